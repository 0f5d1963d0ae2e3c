#include "platform/Errors.h"
#include "tests/ui/FakePrompts.h"
#include "ui/QtPrompts.h"
#include "ui/ReportErrors.h"

#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

TEST(Prompts, FakeAnswersFromItsScriptAndRecordsEveryText) {
  FakePrompts fake;
  ScopedUiPrompts scoped(fake);
  fake.script = {true, int(UiPrompts::Answer::Cancel), QStringLiteral("/tmp/a.xml")};
  EXPECT_TRUE(uiPrompts().askYesNo("Delete?"));
  EXPECT_EQ(uiPrompts().askYesNoCancel("Save?"), UiPrompts::Answer::Cancel);
  TFileChoice choice;
  choice.title = "Open";
  EXPECT_EQ(uiPrompts().openFile(choice), "/tmp/a.xml");
  uiPrompts().notice("Nothing is selected!");
  uiPrompts().error("Sorry, can't save file!", "disk full");
  EXPECT_EQ(fake.shown, QStringList({"ask: Delete?", "ask3: Save?", "open: Open",
                                     "notice: Nothing is selected!",
                                     "error: Sorry, can't save file! / disk full"}));
  EXPECT_TRUE(fake.script.empty());
}

TEST(Prompts, FileFiltersFindNamesInEitherCase) {
  EXPECT_EQ(FileDialogFilters("Xml files (*.xml)|*.XML"), QStringList({"Xml files (*.XML *.xml)"}));
  EXPECT_EQ(FileDialogFilters("Sounds|*.wav;*.mp3|All|*.*"),
            QStringList({"Sounds (*.wav *.WAV *.mp3 *.MP3)", "All (*.*)"}));
}

TEST(Prompts, ErrorRaisedInASlotIsShownAndTheProgramGoesOn) {
  FakePrompts fake;
  ScopedUiPrompts scoped(fake);
  QPushButton button;
  int runs = 0;
  QObject::connect(&button, &QPushButton::clicked, &button, Reported([&runs] {
    if (++runs == 1)
      throw EFileError("Cannot open file \"x.ico\"");
  }));
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(fake.shown, QStringList({"error: Cannot open file \"x.ico\""}));
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(fake.shown.size(), 1);
  // A silent abort shows nothing.
  EXPECT_FALSE(RunReported([] { throw EAbort(); }));
  EXPECT_EQ(fake.shown.size(), 1);
}

TEST(Prompts, DialogsAreModalToTheirWindowOnlyNeverToTheWholeProgram) {
  QWidget form;
  for (QWidget *parent : {static_cast<QWidget *>(nullptr), &form}) {
    auto *dialog = new QDialog(parent);
    Qt::WindowModality seen = Qt::ApplicationModal;
    QTimer::singleShot(0, dialog, [&seen, dialog] {
      seen = dialog->windowModality();
      dialog->accept();
    });
    EXPECT_EQ(RunDialog(dialog), QDialog::Accepted);
    EXPECT_EQ(seen, parent ? Qt::WindowModal : Qt::NonModal);
    delete dialog;
  }
}
