#include "model/LogFile.h"

#include "model/LogPurge.h"
#include "model/Model.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/SoundFileCheck.h"
#include "model/UserData.h"
#include "platform/AnsiText.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/FormatSettings.h"
#include "services/TextHelpers.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kTab = QStringLiteral("\t");
const QString kEmptyCell = QStringLiteral("    ");
constexpr int kTextCellLength = 25;
constexpr int kDefaultClearPeriod = 30;
// More digits than this may round differently from the text reader: those go through it.
constexpr int kExactDigits = 15;

// One field on one line: a TAB or a line break inside it would split the line or shift columns.
QString cell(const QString &text) {
  QString out = FlattenLineBreaks(text);
  out.replace(u'\t', u' ');
  return out;
}

QString timeFields(TDateTime t) {
  const FormatSettings &fs = formatSettings();
  return DateToStr(t, fs) + QStringLiteral("    ") + TimeToStr(t, fs) + kTab +
         FloatToStr(ToDays(t), fs) + kTab;
}

// The first `count` characters (whole code points) of the text.
QString leftCharacters(const QString &text, int count) {
  qsizetype end = 0;
  for (int n = 0; n < count && end < text.size(); ++n)
    end += (text[end].isHighSurrogate() && end + 1 < text.size()) ? 2 : 1;
  return text.left(end);
}

QString textCell(const TLogFiring &f) {
  // What went wrong takes the text's place: the mail's failure, the sound's, or both.
  QStringList errors;
  for (const QString &error : {f.mailError, f.soundError})
    if (!error.isEmpty())
      errors << error;
  if (!errors.isEmpty())
    return cell(errors.join(QStringLiteral("; ")));
  const QString text = cell(f.text);
  if (text.isEmpty())
    return kEmptyCell;
  const QString cut = leftCharacters(text, kTextCellLength);
  return cut.size() < text.size() ? cut + QStringLiteral("...") : text;
}

// The lines of the file as it stands, split at CR LF, CR or LF; each kept as its own bytes so
// that a purge writes back untouched lines exactly as they were.
QList<QByteArray> splitLines(const QByteArray &bytes) {
  QList<QByteArray> lines;
  qsizetype start = 0;
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n')
      continue;
    lines << bytes.mid(start, i - start);
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
      ++i;
    start = i + 1;
  }
  if (start < bytes.size())
    lines << bytes.mid(start);
  return lines;
}

QByteArray readWholeFile(const QString &fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EFileError(QStringLiteral("Can't read %1: %2").arg(fileName, file.errorString()));
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    throw EFileError(QStringLiteral("Can't read %1: %2").arg(fileName, file.errorString()));
  return bytes;
}

} // namespace

TLogFiring LogFiringOf(const TDataObject &reminder, TDateTime fireTime, const QString &mailError) {
  TLogFiring f;
  f.fireTime = fireTime;
  f.subject = reminder.subject;
  f.sticker = reminder.sticker.enable;
  f.trayIcon = reminder.tray;
  f.sound = reminder.sound.enable;
  // A sound whose file is missing was logged as played: it is logged as the failure it is.
  if (f.sound)
    f.soundError = SoundFileProblem(reminder.sound.fileName);
  f.mail = reminder.mail.enable;
  f.shellExec = reminder.shellExec.enable;
  f.mailError = mailError;
  f.text = reminder.text;
  f.id = reminder.Id;
  return f;
}

QString ProgramEventLogLine(const QString &message, TDateTime at) {
  return ProgramEventLogLine(message, at, CurrentUserName());
}

QString ProgramEventLogLine(const QString &message, TDateTime at, const QString &user) {
  const QString text = cell(message);
  return timeFields(at) + cell(user) + kTab + text + kTab + text + kTab;
}

QString FiringLogLine(const TLogFiring &f) { return FiringLogLine(f, CurrentUserName()); }

QString FiringLogLine(const TLogFiring &f, const QString &user) {
  QString line = timeFields(f.fireTime) + cell(user) + kTab + QStringLiteral("Start") + kTab +
                 cell(f.subject) + kTab;
  const std::pair<bool, const char *> actions[] = {{f.sticker, "Sticker"},
                                                   {f.trayIcon, "Ico"},
                                                   {f.sound && f.soundError.isEmpty(), "Sound"},
                                                   {f.mail, "Mail"},
                                                   {f.shellExec, "ShellExec"}};
  for (const auto &[on, name] : actions)
    line += (on ? QString::fromLatin1(name) : kEmptyCell) + kTab;
  return line + textCell(f) + kTab + cell(f.id) + kTab;
}

void WriteLog(const QString &message) { WriteLog(TModel::Current(), message); }

void WriteLog(TModel &model, const QString &message) {
  AppendLogLine(model, ProgramEventLogLine(message, currentClock().now(), model.CurrentUserName()));
}

void WriteFiringLog(TModel &model, const TLogFiring &firing) {
  AppendLogLine(model, FiringLogLine(firing, model.CurrentUserName()));
}

void AppendLogLine(TModel &model, const QString &line) {
  if (line.isEmpty())
    return;
  try {
    AppendLogLine(GetLogFileName(model), line);
  } catch (...) {
    // The log is best effort: a line that cannot be written is lost.
  }
}

void AppendLogLine(const QString &line) { AppendLogLine(TModel::Current(), line); }

void AppendLogLine(const QString &fileName, const QString &line) {
  if (line.isEmpty())
    return;
  const QByteArray bytes = line.toUtf8() + "\r\n";
  const std::lock_guard<std::mutex> purge(LogAppendMutex());
  const int fd = ::open(QFile::encodeName(fileName).constData(),
                        O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, LogFileMode);
  if (fd < 0)
    return;
  // With O_APPEND every write lands at the end, even while another writer appends too.
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    done += n;
  }
  ::close(fd);
}

void SplitLogLine(const QString &line, QStringList &list) {
  list.clear();
  const QChar separator = formatSettings().decimalSeparator;
  qsizetype start = 0;
  for (;;) {
    const qsizetype tab = line.indexOf(u'\t', start);
    if (tab < 0)
      return;
    QString field = line.mid(start, tab - start);
    if (list.size() == 1) {
      field.replace(u',', separator);
      field.replace(u'.', separator);
    }
    list << field;
    start = tab + 1;
  }
}

bool ReadLogLineTime(const char *field, qsizetype size, TDateTime &time, const FormatSettings &fs) {
  // The log's own numbers ("46363,5869097222": digits, one separator, digits) are read here: an
  // integer of at most 15 digits and a power of ten are exact as doubles, so their quotient is the
  // correctly rounded number the text reader gives too. Anything else takes the text reader.
  int64_t mantissa = 0;
  int digits = 0;
  int fraction = -1; // digits after the separator; -1 before it
  bool plain = size > 0;
  for (qsizetype i = 0; i < size && plain; ++i) {
    const char c = field[i];
    if (c >= '0' && c <= '9') {
      mantissa = mantissa * 10 + (c - '0');
      ++digits;
      if (fraction >= 0)
        ++fraction;
    } else if ((c == ',' || c == '.') && fraction < 0 && i > 0) {
      fraction = 0;
    } else {
      plain = false;
    }
  }
  if (plain && digits <= kExactDigits && fraction != 0) {
    static constexpr double powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    time = FromDays(double(mantissa) / powers[std::max(fraction, 0)]);
    return true;
  }
  QString text = DecodeFileText(QByteArray(field, size));
  text.replace(u',', fs.decimalSeparator);
  text.replace(u'.', fs.decimalSeparator);
  double days = 0;
  if (!TryStrToFloat(text, days, fs))
    return false;
  time = FromDays(days);
  return true;
}

bool PurgeLog(const QString &fileName, bool all, TDateTime limit) {
  if (!QFileInfo::exists(fileName))
    return false;
  if (!all)
    return PurgeOldLogLines(fileName, limit, formatSettings());
  // A purge under way on its thread finds the file replaced and leaves it.
  const std::lock_guard<std::mutex> appends(LogAppendMutex());
  WriteFileAtomic(fileName, QByteArray(), LogFileMode);
  return true;
}

QStringList ReadLogLines(const QString &fileName) {
  QStringList out;
  if (!QFileInfo::exists(fileName))
    return out;
  const QList<QByteArray> lines = splitLines(readWholeFile(fileName));
  out.reserve(lines.size());
  // Decoded line by line: one line written by an older program in the ANSI code page must not turn
  // every other line into Windows-1252.
  for (const QByteArray &line : lines)
    out << DecodeFileText(line);
  return out;
}

int LogClearPeriodDays() { return LogClearPeriodDays(TModel::Current()); }

int LogClearPeriodDays(const TModel &model) {
  const QString text = model.LocalSettings().readString(
      settings_keys::Config, settings_keys::LogClearPeriod, settings_keys::DefaultLogClearPeriod);
  bool ok = false;
  const int days = text.trimmed().toInt(&ok);
  // A negative period would put the purge limit in the future and empty the log at every start.
  return ok && days >= 0 ? days : kDefaultClearPeriod;
}

TDateTime LogPurgeLimit(TDateTime today) { return LogPurgeLimit(TModel::Current(), today); }

TDateTime LogPurgeLimit(const TModel &model, TDateTime today) {
  return DateOf(today) - OneDay * LogClearPeriodDays(model);
}
