#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class FormAbout;
}
class THubForm;
class TModel;

// The about box: the product's name (a link to its web page), the maker's notice and the version,
// the maker's web address (a link too) and the program's picture. Created for each showing and
// translated by the language file; F1 opens the help at its own context. Its hidden "Make lng"
// writes its captions into the default language file.
class TFormAbout : public QDialog {
  Q_OBJECT
public:
  TFormAbout(TModel &model, QWidget *parent = nullptr);
  ~TFormAbout() override;

  // Shows the box titled "Tolvane. " + text (the caption of the caller's "About" command, whose
  // accelerator marks are dropped), modal to the owner alone. Always false: the box has no OK.
  static bool ShowAboutBox(TModel &model, const QString &text, QWidget *owner);

  // Titles the box, applies the language file and fills in the labels and the picture.
  void Prepare(const QString &text);
  // "Make lng": marks the information line as nothing to translate and writes the box's section
  // of the default language file.
  void ActionAboutMakeLngExecute();
  // The same into the given language file.
  void SaveLanguageSection(const QString &file);

  // The web pages the two links open.
  [[nodiscard]] static QString ProductWebAddress();

private:
  std::unique_ptr<Ui::FormAbout> ui;
  TModel &m_model;
  THubForm *m_hubForm;
};
