#pragma once

#include "ui/EditorPage.h"

#include <QStringList>
#include <QWidget>

#include <memory>

namespace Ui {
class FrameMail;
}

// The editor's "Mail" tab: the e-mail sent when the reminder fires (to, from, cc, bcc and the
// attached files). A language frame of its own.
class TFrameMail : public QWidget, public IEditorPage {
  Q_OBJECT
public:
  explicit TFrameMail(QWidget *parent = nullptr);
  ~TFrameMail() override;

  [[nodiscard]] QWidget *Widget() override { return this; }
  [[nodiscard]] bool IsLanguageFrame() const override { return true; }
  void LoadOptions() override;
  void SaveOptions() override;
  // An empty sender becomes the default sender of the mail settings.
  void LoadFromReminder(const QString &id) override;
  // The address lists trimmed, with ";" turned into ","; the files as comma text in list order.
  void SaveToReminder(TDataObject &reminder) override;

  // Adds a file at the end of the list unless it is listed already (the same name, letter case
  // included) or blank. A file that does not exist is shown as missing: a firing's mail leaves
  // it out.
  void AddFile(const QString &name);
  // The listed file names, in order.
  [[nodiscard]] QStringList Files() const;

private:
  void fileAddExecute();
  void fileDeleteExecute();
  void fileDeleteAllExecute();

  std::unique_ptr<Ui::FrameMail> ui;
};
