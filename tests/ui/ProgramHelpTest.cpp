// Help on a computer without a browser did nothing at all: the user is told where the help file
// is, and why it does not open.
#include "ui/ProgramHelp.h"
#include "model/Paths.h"
#include "services/ShellExecute.h"
#include "tests/support/TestModel.h"
#include "tests/ui/FakePrompts.h"
#include "ui/HubForm.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class Browserless final : public IShellLauncher {
public:
  bool startProgram(const QString &, const QStringList &, const QString &) override { return true; }
  bool openDocument(const QString &target) override {
    opened << target;
    return true;
  }
  bool canOpenHtml() override { return htmlViewer; }
  bool htmlViewer = false;
  QStringList opened;
};

class ProgramHelp : public ::testing::Test {
protected:
  void writeHelpFile() {
    QFile f(GetHelpFileName());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html></html>");
  }
  TestModel model;
  Browserless launcher;
  ScopedShellLauncher launcherScope{launcher};
  FakePrompts prompts;
  ScopedUiPrompts promptScope{prompts};
};

} // namespace

TEST_F(ProgramHelp, WithoutAProgramForHtmlTheUserIsToldWhereTheHelpFileIs) {
  writeHelpFile();
  EXPECT_FALSE(OpenProgramHelpAt(60));
  EXPECT_TRUE(launcher.opened.isEmpty());
  ASSERT_EQ(prompts.shown.size(), 1);
  EXPECT_TRUE(prompts.shown[0].startsWith("notice: No program on this computer opens HTML files"));
  EXPECT_TRUE(prompts.shown[0].endsWith(QDir::toNativeSeparators(GetHelpFileName())))
      << prompts.shown[0].toStdString();
}

TEST_F(ProgramHelp, AMissingHelpFileIsNamed) {
  launcher.htmlViewer = true;
  QFile::remove(GetHelpFileName());
  EXPECT_FALSE(OpenProgramHelpAt(0));
  ASSERT_EQ(prompts.shown.size(), 1);
  EXPECT_EQ(prompts.shown[0], "notice: Sorry, can't find the help file!\r\n" +
                                  QDir::toNativeSeparators(GetHelpFileName()));
}

TEST_F(ProgramHelp, WithABrowserF1OpensTheWindowsPlaceInTheHelp) {
  launcher.htmlViewer = true;
  writeHelpFile();
  QDialog window;
  window.setProperty("helpContext", 7);
  new THubForm(&window, model.model);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QTest::keyClick(&window, Qt::Key_F1);
  ASSERT_EQ(launcher.opened.size(), 1);
  EXPECT_TRUE(launcher.opened[0].endsWith("tolvane.html#ctx-7"))
      << launcher.opened[0].toStdString();
  EXPECT_TRUE(prompts.shown.isEmpty());
  // And F1 without a browser tells where the file is.
  launcher.htmlViewer = false;
  QTest::keyClick(&window, Qt::Key_F1);
  EXPECT_EQ(launcher.opened.size(), 1);
  EXPECT_EQ(prompts.shown.size(), 1);
}
