#include "ui/ProgramHelp.h"

#include "model/LanguageTable.h"
#include "model/Paths.h"
#include "services/ShellExecute.h"
#include "ui/UiPrompts.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Whether the help can be shown; when not, the user is told why and where the file is.
bool helpShowable(const QString &file) {
  const QString where =
      QStringLiteral("\r\n") + QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
  switch (HelpProblemOf(file)) {
  case THelpProblem::None:
    return true;
  case THelpProblem::MissingFile:
    uiPrompts().notice(TranslateText(QStringLiteral("Sorry, can't find the help file!")) + where);
    return false;
  case THelpProblem::NoViewer:
    uiPrompts().notice(
        TranslateText(QStringLiteral("No program on this computer opens HTML files, so the "
                                     "help cannot be shown. The help file is:")) +
        where);
    return false;
  }
  return false;
}

} // namespace

bool OpenProgramHelp(const QObject *form) {
  const QString file = GetHelpFileName();
  return helpShowable(file) && ShowFormHelp(file, form);
}

bool OpenProgramHelpAt(int context) {
  const QString file = GetHelpFileName();
  return helpShowable(file) && ShowHelpContext(file, context);
}
