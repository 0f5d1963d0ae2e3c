#pragma once

#include "ui/EditorPage.h"

#include <QStringList>
#include <QWidget>

#include <memory>
#include <utility>

namespace Ui {
class FrameMail;
}
class QLabel;
class TModel;

// The editor's "Mail" tab: the e-mail sent when the reminder fires (to, from, cc, bcc and the
// attached files). A language frame of its own.
class TFrameMail : public QWidget, public IEditorPage {
  Q_OBJECT
public:
  TFrameMail(TModel &model, QWidget *parent = nullptr);
  ~TFrameMail() override;

  [[nodiscard]] QWidget *Widget() override { return this; }
  [[nodiscard]] bool IsLanguageFrame() const override { return true; }
  void LoadOptions() override;
  void SaveOptions() override;
  // An empty sender becomes the default sender of the mail settings.
  void LoadFromReminder(const QString &id) override;
  // The address lists trimmed, with ";" turned into ","; the files as comma text in list order.
  void SaveToReminder(TDataObject &reminder) override;
  // False, with a notice naming the entry and the reason, while To, From, CC or BCC holds
  // something that is no mail address.
  [[nodiscard]] bool CheckBeforeSave() override;

  // The first address field that is no list of mail addresses, told as AddressFieldProblem tells
  // it, and that field; "" and null when every one parses. The page shows it below the fields
  // whenever one of them is left, and after a load.
  [[nodiscard]] std::pair<QString, QWidget *> AddressProblem() const;

  // Adds a file at the end of the list unless it is listed already (the same name, letter case
  // included) or blank. A file that does not exist is shown as missing: a firing's mail leaves
  // it out.
  void AddFile(const QString &name);
  // The listed file names, in order.
  [[nodiscard]] QStringList Files() const;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void showAddressProblem();
  void fileAddExecute();
  void fileDeleteExecute();
  void fileDeleteAllExecute();

  std::unique_ptr<Ui::FrameMail> ui;
  TModel &m_model;
  QLabel *m_addressProblem; // below the fields; hidden while every address parses
};
