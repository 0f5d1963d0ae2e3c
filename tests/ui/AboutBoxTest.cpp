#include "model/Paths.h"
#include "platform/MemIniFile.h"
#include "tests/support/TestModel.h"
#include "ui/FormAbout.h"

#include <gtest/gtest.h>

namespace {

void writeLanguageFile(const QString &formCaption) {
  TMMemIniFile lng;
  lng.writeString(QStringLiteral("FormAbout"), QStringLiteral("FormAbout"), formCaption);
  lng.writeString(QStringLiteral("FormAbout"), QStringLiteral("Button1"), QStringLiteral("Close"));
  lng.saveToFile(GetLanguageFileName());
}

} // namespace

// The box's own caption in the language file ("About") replaced the title it was given.
TEST(AboutBox, IsTitledTolvaneAndTheMainWindowsCaptionWhateverTheLanguageFileHolds) {
  TestModel model;
  writeLanguageFile(QStringLiteral("About"));
  TFormAbout box(model.model);
  box.Prepare(QStringLiteral("&About"));
  EXPECT_EQ(box.windowTitle(), QStringLiteral("Tolvane. About"));
  // A translated main window passes its translated caption.
  writeLanguageFile(QStringLiteral("Über"));
  TFormAbout translated(model.model);
  translated.Prepare(QStringLiteral("Ü&ber"));
  EXPECT_EQ(translated.windowTitle(), QStringLiteral("Tolvane. Über"));
}
