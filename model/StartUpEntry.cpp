#include "model/StartUpEntry.h"

#include "platform/AtomicFile.h"
#include "services/VersionInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace {

const QString kExecKey = QStringLiteral("Exec=");

// Characters that make an Exec argument need quotes.
bool needsQuotes(const QString &arg) {
  static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
  if (arg.isEmpty())
    return true;
  for (QChar c : arg) {
    if (kReserved.contains(c))
      return true;
  }
  return false;
}

// The key-file layer: a backslash, a line break or a tab in a value is written as an escape.
QString escapeString(const QString &text) {
  QString out;
  for (QChar c : text) {
    if (c == u'\\')
      out += QStringLiteral("\\\\");
    else if (c == u'\n')
      out += QStringLiteral("\\n");
    else if (c == u'\t')
      out += QStringLiteral("\\t");
    else if (c == u'\r')
      out += QStringLiteral("\\r");
    else
      out += c;
  }
  return out;
}

QString unescapeString(const QString &text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != u'\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const QChar e = text[++i];
    if (e == u's')
      out += u' ';
    else if (e == u'n')
      out += u'\n';
    else if (e == u't')
      out += u'\t';
    else if (e == u'r')
      out += u'\r';
    else
      out += e; // "\\" and anything unknown
  }
  return out;
}

// The Exec value of the entry file, or "" when there is none.
QString readExecValue(const QString &fileName) {
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    return {};
  bool inEntry = false;
  const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
  for (const QString &raw : lines) {
    const QString line = raw.trimmed();
    if (line.startsWith(u'['))
      inEntry = line == QLatin1String("[Desktop Entry]");
    else if (inEntry && line.startsWith(kExecKey))
      return line.mid(kExecKey.size());
  }
  return {};
}

} // namespace

QString StartUpEntryFileName() {
  const char *xdg = std::getenv("XDG_CONFIG_HOME");
  const QString config = xdg && *xdg ? QFile::decodeName(xdg) : QDir::homePath() + "/.config";
  return config + QStringLiteral("/autostart/tolvane.desktop");
}

QString DesktopExecValue(const QStringList &arguments) {
  QStringList parts;
  for (const QString &arg : arguments) {
    QString a = arg;
    a.replace(u'%', QStringLiteral("%%"));
    if (needsQuotes(a)) {
      QString quoted;
      for (QChar c : a) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
          quoted += u'\\';
        quoted += c;
      }
      a = u'"' + quoted + u'"';
    }
    parts << a;
  }
  return escapeString(parts.join(u' '));
}

QStringList DesktopExecArguments(const QString &value) {
  const QString text = unescapeString(value);
  QStringList args;
  QString current;
  bool inArg = false;
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c == u'"') {
        quoted = false;
      } else if (c == u'\\' && i + 1 < text.size()) {
        current += text[++i];
      } else {
        current += c;
      }
      continue;
    }
    if (c == u' ' || c == u'\t') {
      if (inArg)
        args << current;
      current.clear();
      inArg = false;
      continue;
    }
    inArg = true;
    if (c == u'"')
      quoted = true;
    else
      current += c;
  }
  if (inArg)
    args << current;
  for (QString &a : args)
    a.replace(QStringLiteral("%%"), QStringLiteral("%"));
  return args;
}

bool SetStartUpEntryFor(bool flag, const QString &programPath) {
  const QString fileName = StartUpEntryFileName();
  const QString folder = QFileInfo(fileName).absolutePath();
  if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
    return false;
  if (!flag) {
    QFile::remove(fileName);
    return !QFileInfo::exists(fileName);
  }
  const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=Tolvane\n") +
                       kExecKey + DesktopExecValue({programPath}) + u'\n';
  try {
    WriteFileAtomic(fileName, text.toUtf8(), 0644);
  } catch (...) {
    // Not starting with the session is no reason to stop the program from starting now.
    return false;
  }
  return true;
}

bool GetStartUpEntryFor(const QString &programPath) {
  return DesktopExecArguments(readExecValue(StartUpEntryFileName())) == QStringList{programPath};
}

bool SetStartUpEntry(bool flag) { return SetStartUpEntryFor(flag, ProgramFileName()); }

bool GetStartUpEntry() { return GetStartUpEntryFor(ProgramFileName()); }
