#pragma once

#include "platform/ScopedOverride.h"

#include <QString>
#include <QStringList>

class QObject;

// Starting programs and opening documents. Nothing goes through a shell: programs start with an
// argument vector, documents, folders and URLs open through the desktop's handler (xdg-open).
// Tests install a fake launcher to see exactly what would be started.
class IShellLauncher {
public:
  virtual ~IShellLauncher() = default;
  // Starts the program detached. An empty working folder keeps ours.
  [[nodiscard]] virtual bool startProgram(const QString &program, const QStringList &arguments,
                                          const QString &workingFolder) = 0;
  // Opens a file, folder or URL with the desktop's handler.
  [[nodiscard]] virtual bool openDocument(const QString &target) = 0;
  // Whether some program would open an HTML file (the help). True unless a launcher knows better.
  [[nodiscard]] virtual bool canOpenHtml() { return true; }
};

// The real launcher: QProcess::startDetached, and xdg-open for documents.
class TProcessLauncher final : public IShellLauncher {
public:
  [[nodiscard]] bool startProgram(const QString &program, const QStringList &arguments,
                                  const QString &workingFolder) override;
  [[nodiscard]] bool openDocument(const QString &target) override;
  // xdg-open is on the PATH and either $BROWSER names a program on it or the desktop has a
  // default program for text/html (xdg-mime query default text/html).
  [[nodiscard]] bool canOpenHtml() override;
};

// The process-wide launcher.
[[nodiscard]] IShellLauncher &shellLauncher();
// Where the process-wide launcher is kept (TProcessLauncher unless replaced).
[[nodiscard]] OverrideSlot<IShellLauncher> &shellLauncherSlot();
// Installs a launcher for the lifetime of this object, then puts the previous one back.
using ScopedShellLauncher = ScopedOverride<&shellLauncherSlot>;

// Show commands as stored with a reminder's program action. They are kept and edited, but no
// portable way exists to start another program's window minimised or maximised under X11 or
// Wayland, so launching ignores them.
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOWDEFAULT = 10;

// Opens a file the way the desktop would:
//  - an existing executable file starts as a program, and so does a bare name found on PATH;
//  - any other existing file or folder opens with its handler (the parameters are not used);
//  - a text with a URL scheme ("https:", "mailto:", ...) or starting with "www." opens as a URL;
//  - anything else gives false and starts nothing.
// Parameters are split into arguments as a shell splits words (SplitShellWords: quotes and
// backslashes, no expansion), whether "quoted" or not. The folder becomes the program's working
// folder. The show command, the parent flag and the quoting flag have no effect on Linux.
[[nodiscard]] bool ShellExecuteFile(const QString &file, const QString &parameters,
                                    const QString &folder, int showCommand, bool noParent,
                                    bool unquotedParameters);

// ShellExecuteFile(program, parameters, no folder, SW_SHOWDEFAULT, with a parent, unquoted).
bool RunProgram(const QString &program, const QString &parameters);

// Help is an HTML file opened through xdg-open. A context above 0 (the main window is 0, the FAQ
// 60) or a keyword becomes the anchor "#ctx-<n>" or "#<keyword>". False, and nothing started,
// when the file is missing or no program opens HTML files (HelpProblemOf tells which).
bool ShowHelpContext(const QString &helpFile, int context);
bool ShowHelpKeyword(const QString &helpFile, const QString &keyword);
enum class THelpProblem { None, MissingFile, NoViewer };
// Why the help file cannot be shown, checked in this order.
[[nodiscard]] THelpProblem HelpProblemOf(const QString &helpFile);
// A form's help: the dynamic property "helpType" = "keyword" uses "helpKeyword", anything else
// uses the int property "helpContext" (0 when unset).
bool ShowFormHelp(const QString &helpFile, const QObject *form);
