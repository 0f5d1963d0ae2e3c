#include "services/ShellExecute.h"
#include "tests/support/Sandbox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QThread>

#include <gtest/gtest.h>

namespace {

struct Launch {
  QString kind; // "program" or "document"
  QString target;
  QStringList arguments;
  QString folder;
};

class RecordingLauncher final : public IShellLauncher {
public:
  bool startProgram(const QString &program, const QStringList &arguments,
                    const QString &workingFolder) override {
    launches.push_back({"program", program, arguments, workingFolder});
    return true;
  }
  bool openDocument(const QString &target) override {
    launches.push_back({"document", target, {}, {}});
    return true;
  }
  std::vector<Launch> launches;
};

QString makeFile(const QString &path, const QByteArray &content, bool executable) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(content);
  f.close();
  if (executable)
    f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser);
  return path;
}

class ShellExecute : public ::testing::Test {
protected:
  RecordingLauncher fake;
  ScopedShellLauncher scope{fake};
  QString dir = sandbox::makeTempDir("shell");
};

} // namespace

// "Parameters: a b" ran `touch "a b"`: one file with a blank in its name, not the two a user
// expected.
TEST_F(ShellExecute, ParametersAreSplitAsAShellSplitsWordsWithTheFolder) {
  const QString prog = makeFile(dir + "/tool", "#!/bin/sh\n", true);
  EXPECT_TRUE(ShellExecuteFile(prog, "a b \"c d\"", dir, SW_SHOWMINIMIZED, false, false));
  ASSERT_EQ(fake.launches.size(), 1u);
  EXPECT_EQ(fake.launches[0].kind, "program");
  EXPECT_EQ(fake.launches[0].target, prog);
  EXPECT_EQ(fake.launches[0].arguments, QStringList({"a", "b", "c d"}));
  EXPECT_EQ(fake.launches[0].folder, dir);
  // No parameters: no empty argument.
  EXPECT_TRUE(ShellExecuteFile(prog, "", "", SW_SHOWNORMAL, true, false));
  EXPECT_EQ(fake.launches[1].arguments, QStringList());
}

TEST_F(ShellExecute, RunProgramSplitsItsParameters) {
  const QString prog = makeFile(dir + "/tool", "#!/bin/sh\n", true);
  EXPECT_TRUE(RunProgram(prog, " -a \"b c\" d"));
  ASSERT_EQ(fake.launches.size(), 1u);
  EXPECT_EQ(fake.launches[0].arguments, QStringList({"-a", "b c", "d"}));
  EXPECT_EQ(fake.launches[0].folder, "");
}

TEST_F(ShellExecute, BareNamesAreFoundOnThePath) {
  EXPECT_TRUE(RunProgram("sh", "-c true"));
  ASSERT_EQ(fake.launches.size(), 1u);
  EXPECT_EQ(fake.launches[0].kind, "program");
  EXPECT_TRUE(fake.launches[0].target.endsWith("/sh"));
  EXPECT_EQ(fake.launches[0].arguments, QStringList({"-c", "true"}));
}

TEST_F(ShellExecute, DocumentsFoldersAndUrlsOpenWithTheirHandler) {
  const QString doc = makeFile(dir + "/notes.txt", "text", false);
  EXPECT_TRUE(ShellExecuteFile(doc, "ignored", dir, SW_SHOWDEFAULT, false, false));
  EXPECT_TRUE(ShellExecuteFile(dir, "", "", SW_SHOWDEFAULT, false, false));
  EXPECT_TRUE(ShellExecuteFile("https://example.org/a?b=c", "", "", SW_SHOWDEFAULT, false, false));
  EXPECT_TRUE(ShellExecuteFile("mailto:someone@example.org", "", "", SW_SHOWDEFAULT, false, true));
  EXPECT_TRUE(ShellExecuteFile("www.example.org", "", "", SW_SHOWDEFAULT, false, false));
  ASSERT_EQ(fake.launches.size(), 5u);
  for (const Launch &l : fake.launches)
    EXPECT_EQ(l.kind, "document");
  EXPECT_EQ(fake.launches[0].target, doc);
  EXPECT_EQ(fake.launches[1].target, dir);
  EXPECT_EQ(fake.launches[2].target, "https://example.org/a?b=c");
  EXPECT_EQ(fake.launches[3].target, "mailto:someone@example.org");
  EXPECT_EQ(fake.launches[4].target, "http://www.example.org");
}

TEST_F(ShellExecute, MissingFilesGiveFalseAndStartNothing) {
  EXPECT_FALSE(ShellExecuteFile(dir + "/missing", "x", "", SW_SHOWDEFAULT, false, false));
  EXPECT_FALSE(RunProgram("no-such-program-xyz", ""));
  EXPECT_FALSE(RunProgram("c:\\windows\\notepad.exe", ""));
  EXPECT_FALSE(RunProgram("", "x"));
  EXPECT_TRUE(fake.launches.empty());
}

TEST_F(ShellExecute, HelpOpensTheHelpFileAtItsAnchor) {
  const QString help = makeFile(dir + "/tolvane.html", "<html/>", false);
  EXPECT_TRUE(ShowHelpContext(help, 0));
  EXPECT_TRUE(ShowHelpContext(help, 60));
  EXPECT_TRUE(ShowHelpKeyword(help, "options"));
  EXPECT_TRUE(ShowHelpKeyword(help, ""));
  QObject form;
  form.setProperty("helpContext", 7);
  EXPECT_TRUE(ShowFormHelp(help, &form));
  form.setProperty("helpType", "keyword");
  form.setProperty("helpKeyword", "editor");
  EXPECT_TRUE(ShowFormHelp(help, &form));
  EXPECT_FALSE(ShowHelpContext(dir + "/missing.html", 0));
  ASSERT_EQ(fake.launches.size(), 6u);
  const QString url = "file://" + help;
  EXPECT_EQ(fake.launches[0].target, help);
  EXPECT_EQ(fake.launches[1].target, url + "#ctx-60");
  EXPECT_EQ(fake.launches[2].target, url + "#options");
  EXPECT_EQ(fake.launches[3].target, help);
  EXPECT_EQ(fake.launches[4].target, url + "#ctx-7");
  EXPECT_EQ(fake.launches[5].target, url + "#editor");
}

// The real launcher: a /bin/sh script records the argument vector it was started with.
TEST(ShellExecuteReal, AScriptReceivesTheArgumentVector) {
  const QString dir = sandbox::makeTempDir("shellreal");
  const QString out = dir + "/out.txt";
  const QString script = makeFile(dir + "/record.sh",
                                  "#!/bin/sh\n"
                                  "{ echo \"$#\"; for a in \"$@\"; do echo \"[$a]\"; done; pwd; } "
                                  "> \"$0.tmp\" && mv \"$0.tmp\" \"" +
                                      QFile::encodeName(out) + "\"\n",
                                  true);
  auto waitForOutput = [&]() -> QString {
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(out) && t.elapsed() < 10000)
      QThread::msleep(10);
    QFile f(out);
    if (!f.open(QIODevice::ReadOnly))
      return QString();
    const QString text = QString::fromUtf8(f.readAll());
    f.close();
    f.remove();
    return text;
  };

  QDir().mkpath(dir + "/work");
  ASSERT_TRUE(
      ShellExecuteFile(script, "one 'two three'", dir + "/work", SW_SHOWDEFAULT, false, false));
  EXPECT_EQ(waitForOutput(), "2\n[one]\n[two three]\n" + dir + "/work\n");

  ASSERT_TRUE(RunProgram(script, "one \"two three\" $HOME;x"));
  const QString text = waitForOutput();
  EXPECT_TRUE(text.startsWith("3\n[one]\n[two three]\n[$HOME;x]\n")) << text.toStdString();
}

// Whether a program opens HTML files: xdg-open must be there, and $BROWSER or the desktop's
// default for text/html (asked of xdg-mime) names one.
TEST(ShellExecuteReal, AProgramForHtmlNeedsXdgOpenAndABrowserOrADefaultForHtml) {
  const QString dir = sandbox::makeTempDir("htmlviewer");
  const QByteArray path = qgetenv("PATH");
  const QByteArray browser = qgetenv("BROWSER");
  qputenv("PATH", QFile::encodeName(dir));
  qunsetenv("BROWSER");
  TProcessLauncher launcher;
  EXPECT_FALSE(launcher.canOpenHtml()); // no xdg-open
  makeFile(dir + "/xdg-open", "#!/bin/sh\n", true);
  makeFile(dir + "/xdg-mime", "#!/bin/sh\necho\n", true);
  EXPECT_FALSE(launcher.canOpenHtml()); // no default program for HTML
  makeFile(dir + "/xdg-mime", "#!/bin/sh\necho firefox.desktop\n", true);
  EXPECT_TRUE(launcher.canOpenHtml());
  makeFile(dir + "/xdg-mime", "#!/bin/sh\necho\n", true);
  makeFile(dir + "/links", "#!/bin/sh\n", true);
  qputenv("BROWSER", "links");
  EXPECT_TRUE(launcher.canOpenHtml());
  qputenv("PATH", path);
  if (browser.isNull())
    qunsetenv("BROWSER");
  else
    qputenv("BROWSER", browser);
}
