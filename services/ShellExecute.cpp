#include "services/ShellExecute.h"

#include "services/ShellWords.h"

#include <QFileInfo>
#include <QObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>
#include <QVariant>

namespace {

// A scheme of two letters or more, so that "c:" stays a (Windows-style) file name.
bool looksLikeUrl(const QString &text) {
  static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
  return scheme.match(text).hasMatch() ||
         text.startsWith(QLatin1String("www."), Qt::CaseInsensitive);
}

QString helpTarget(const QString &helpFile, const QString &anchor) {
  if (anchor.isEmpty())
    return QFileInfo(helpFile).absoluteFilePath();
  QUrl url = QUrl::fromLocalFile(QFileInfo(helpFile).absoluteFilePath());
  url.setFragment(anchor);
  return url.toString();
}

} // namespace

bool TProcessLauncher::startProgram(const QString &program, const QStringList &arguments,
                                    const QString &workingFolder) {
  return QProcess::startDetached(program, arguments, workingFolder);
}

bool TProcessLauncher::openDocument(const QString &target) {
  return QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

bool TProcessLauncher::canOpenHtml() {
  if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
    return false;
  // In a session without a desktop, xdg-open runs $BROWSER.
  for (const QString &browser : qEnvironmentVariable("BROWSER").split(u':', Qt::SkipEmptyParts))
    if (!QStandardPaths::findExecutable(browser.section(u' ', 0, 0)).isEmpty())
      return true;
  QProcess query;
  query.start(QStringLiteral("xdg-mime"), {"query", "default", "text/html"});
  if (!query.waitForFinished(3000)) {
    query.kill();
    query.waitForFinished(1000);
    return true; // no answer is no proof: let xdg-open try
  }
  return query.exitStatus() == QProcess::NormalExit &&
         !query.readAllStandardOutput().trimmed().isEmpty();
}

OverrideSlot<IShellLauncher> &shellLauncherSlot() {
  static constinit OverrideSlot<IShellLauncher> slot{[]() -> IShellLauncher & {
    static TProcessLauncher real;
    return real;
  }};
  return slot;
}

IShellLauncher &shellLauncher() { return shellLauncherSlot().get(); }

bool ShellExecuteFile(const QString &file, const QString &parameters, const QString &folder,
                      int showCommand, bool noParent, bool unquotedParameters) {
  (void)showCommand; // see SW_SHOWDEFAULT
  (void)noParent;    // the parent window only served the Windows shell's error boxes
  if (file.trimmed().isEmpty())
    return false;
  // Quoted or not, the parameters are split as a shell splits a command line: "a b" gave the
  // program one argument "a b", where a user who typed two words expected two (the Windows shell
  // quoted the text, and the program there split it again).
  (void)unquotedParameters;
  const QStringList arguments = SplitShellWords(parameters);

  const QFileInfo info(file);
  if (info.exists()) {
    if (info.isFile() && info.isExecutable())
      return shellLauncher().startProgram(info.absoluteFilePath(), arguments, folder);
    return shellLauncher().openDocument(info.absoluteFilePath());
  }
  if (!file.contains(QLatin1Char('/'))) {
    const QString program = QStandardPaths::findExecutable(file);
    if (!program.isEmpty())
      return shellLauncher().startProgram(program, arguments, folder);
  }
  if (looksLikeUrl(file)) {
    const QString target = file.startsWith(QLatin1String("www."), Qt::CaseInsensitive)
                               ? QUrl::fromUserInput(file).toString()
                               : file;
    return shellLauncher().openDocument(target);
  }
  return false;
}

bool RunProgram(const QString &program, const QString &parameters) {
  return ShellExecuteFile(program, parameters, QString(), SW_SHOWDEFAULT, false, true);
}

THelpProblem HelpProblemOf(const QString &helpFile) {
  if (!QFileInfo(helpFile).isFile())
    return THelpProblem::MissingFile;
  return shellLauncher().canOpenHtml() ? THelpProblem::None : THelpProblem::NoViewer;
}

bool ShowHelpContext(const QString &helpFile, int context) {
  if (HelpProblemOf(helpFile) != THelpProblem::None)
    return false;
  return shellLauncher().openDocument(
      helpTarget(helpFile, context > 0 ? QStringLiteral("ctx-%1").arg(context) : QString()));
}

bool ShowHelpKeyword(const QString &helpFile, const QString &keyword) {
  if (HelpProblemOf(helpFile) != THelpProblem::None)
    return false;
  return shellLauncher().openDocument(helpTarget(helpFile, keyword));
}

bool ShowFormHelp(const QString &helpFile, const QObject *form) {
  if (!form)
    return false;
  if (form->property("helpType").toString() == QLatin1String("keyword"))
    return ShowHelpKeyword(helpFile, form->property("helpKeyword").toString());
  return ShowHelpContext(helpFile, form->property("helpContext").toInt());
}
