#include "app/CommandLine.h"

#include <cstring>
#include <string_view>

namespace {

// Qt's own command-line options (QGuiApplication, QApplication and the X11 platform): those that
// take the next argument as their value, and those that stand alone. The session manager starts
// the program again with "-session <id>".
constexpr std::string_view QtOptionsWithValue[] = {"platform",      "platformpluginpath",
                                                   "platformtheme", "plugin",
                                                   "qmljsdebugger", "qwindowgeometry",
                                                   "qwindowicon",   "qwindowtitle",
                                                   "session",       "display",
                                                   "geometry",      "title",
                                                   "name",          "visual",
                                                   "style",         "stylesheet",
                                                   "fontengine",    "dialogs"};
constexpr std::string_view QtOptionsAlone[] = {"reverse", "widgetcount", "nograb", "dograb",
                                               "sync"};

template <std::size_t N> bool among(std::string_view name, const std::string_view (&names)[N]) {
  for (std::string_view n : names)
    if (n == name)
      return true;
  return false;
}

} // namespace

TCommandLine ParseCommandLine(int argc, char **argv) {
  TCommandLine result;
  if (argc > 1 && argv[1] && std::strcmp(argv[1], "stop") == 0)
    result.action = TCommandLine::Action::Stop;
  constexpr std::string_view makeLng = "--make-lng";
  for (int i = 1; i < argc && argv[i]; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "-help")
      return {TCommandLine::Action::Help, {}, {}};
    if (arg == "--version")
      return {TCommandLine::Action::Version, {}, {}};
    if (arg == makeLng || arg.starts_with("--make-lng=")) {
      const char *value =
          arg == makeLng ? (i + 1 < argc ? argv[++i] : nullptr) : argv[i] + makeLng.size() + 1;
      if (!value || !*value)
        return {TCommandLine::Action::Mistake,
                QStringLiteral("the option --make-lng needs a file name"),
                {}};
      result.action = TCommandLine::Action::MakeLanguageFile;
      result.file = QString::fromLocal8Bit(value);
      continue;
    }
    if (arg.size() < 2 || arg[0] != '-')
      continue; // a word: "stop" in first place, else nothing
    // Qt takes "-name" and "--name"; a value comes as the next argument or after "=".
    std::string_view name = arg.substr(arg[1] == '-' ? 2 : 1);
    const bool withValue = name.find('=') != std::string_view::npos;
    name = name.substr(0, name.find('='));
    if (among(name, QtOptionsAlone) && !withValue)
      continue;
    if (among(name, QtOptionsWithValue)) {
      if (withValue)
        continue;
      if (i + 1 < argc && argv[i + 1]) {
        ++i;
        continue;
      }
      return {TCommandLine::Action::Mistake,
              QStringLiteral("the option %1 needs a value").arg(QString::fromLocal8Bit(argv[i])),
              {}};
    }
    return {TCommandLine::Action::Mistake,
            QStringLiteral("unknown option %1").arg(QString::fromLocal8Bit(argv[i])),
            {}};
  }
  return result;
}

QString UsageText() {
  return QStringLiteral(
      "Usage: tolvane [stop] [Qt options]\n"
      "A reminder program that runs in the background with an icon in the notification area.\n"
      "\n"
      "  stop        end the running Tolvane of this user and wait until it has ended\n"
      "  --help      show this text\n"
      "  --version   show the version\n"
      "  --make-lng FILE\n"
      "              write the default language file (every window's captions and the\n"
      "              messages) into FILE, to translate from\n"
      "\n"
      "Qt's own options, such as -platform <name> or -display <display>, are passed on.\n");
}
