#include "model/StoreJournal.h"

#include "platform/AtomicFile.h"
#include "platform/Errors.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t kJournalMode = 0600;
// Far more than the journal of any store: a file beyond it is no journal of ours.
constexpr qint64 kMaxJournalSize = qint64(64) << 20;

[[noreturn]] void fail(const QString &what, const QString &path, int err) {
  throw EFileError(
      QStringLiteral("%1 \"%2\": %3").arg(what, path, QString::fromLocal8Bit(std::strerror(err))));
}

// FNV-1a, 64 bits: enough to tell a record written whole from one a crash left half written.
uint64_t checksum(const QByteArray &bytes) {
  uint64_t h = 0xCBF29CE484222325ULL;
  for (const char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001B3ULL;
  }
  return h;
}

QString escaped(const QString &text) {
  QString out;
  out.reserve(text.size());
  for (const QChar c : text) {
    if (c == u'\\')
      out += QStringLiteral("\\\\");
    else if (c == u'\t')
      out += QStringLiteral("\\t");
    else if (c == u'\n')
      out += QStringLiteral("\\n");
    else if (c == u'\r')
      out += QStringLiteral("\\r");
    else
      out += c;
  }
  return out;
}

// False for an escape no writer makes.
bool unescaped(const QString &text, QString &out) {
  out.clear();
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != u'\\') {
      out += text[i];
      continue;
    }
    if (++i >= text.size())
      return false;
    switch (text[i].unicode()) {
    case u'\\':
      out += u'\\';
      break;
    case u't':
      out += u'\t';
      break;
    case u'n':
      out += u'\n';
      break;
    case u'r':
      out += u'\r';
      break;
    default:
      return false;
    }
  }
  return true;
}

QByteArray encode(const TJournalRecord &record) {
  QString body = QString::number(record.seq) + u'\t' + escaped(record.id);
  for (const auto &[path, text] : record.values)
    body += u'\t' + escaped(path) + u'=' + escaped(text);
  QByteArray line = body.toUtf8();
  line += '\t' + QByteArray::number(static_cast<qulonglong>(checksum(line)), 16) + '\n';
  return line;
}

bool decode(const QByteArray &line, TJournalRecord &record) {
  const qsizetype tab = line.lastIndexOf('\t');
  if (tab <= 0)
    return false;
  const QByteArray body = line.left(tab);
  bool ok = false;
  const qulonglong sum = line.mid(tab + 1).toULongLong(&ok, 16);
  if (!ok || sum != checksum(body))
    return false;
  const QStringList fields = QString::fromUtf8(body).split(u'\t');
  if (fields.size() < 2)
    return false;
  record.seq = fields[0].toULongLong(&ok);
  if (!ok || !unescaped(fields[1], record.id) || record.id.isEmpty())
    return false;
  record.values.clear();
  for (qsizetype i = 2; i < fields.size(); ++i) {
    const qsizetype eq = fields[i].indexOf(u'=');
    QString path, text;
    if (eq <= 0 || !unescaped(fields[i].left(eq), path) || !unescaped(fields[i].mid(eq + 1), text))
      return false;
    record.values.emplace_back(path, text);
  }
  return true;
}

// Makes the journal's entry in its folder durable once it was created.
void syncFolderOf(const QString &file) {
  const qsizetype slash = file.lastIndexOf(u'/');
  const QString folder = slash <= 0 ? QStringLiteral("/") : file.left(slash);
  const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

} // namespace

QString JournalFileName(const QString &storeFile) { return storeFile + QStringLiteral(".journal"); }

void AppendJournalRecord(const QString &storeFile, const TJournalRecord &record) {
  // Beside the store's own file, wherever a link leads it, and through a link of its own.
  const QString path = ResolveWriteTarget(JournalFileName(ResolveWriteTarget(storeFile)));
  const QByteArray native = QFile::encodeName(path);
  struct stat st {};
  const bool existed = ::stat(native.constData(), &st) == 0;
  const int fd = ::open(native.constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, kJournalMode);
  if (fd < 0)
    fail(QStringLiteral("Cannot open file"), path, errno);
  QByteArray line = encode(record);
  // A record a kill cut short stays where it is: the new one starts on a line of its own.
  struct stat now {};
  char last = '\n';
  if (::fstat(fd, &now) == 0 && now.st_size > 0 && ::pread(fd, &last, 1, now.st_size - 1) == 1 &&
      last != '\n')
    line.prepend('\n');
  const char *p = line.constData();
  qsizetype left = line.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      fail(QStringLiteral("Cannot write file"), path, err);
    }
    p += n;
    left -= n;
  }
  if (::fdatasync(fd) != 0) {
    const int err = errno;
    ::close(fd);
    fail(QStringLiteral("Cannot write file"), path, err);
  }
  ::close(fd);
  if (!existed)
    syncFolderOf(path);
}

std::vector<TJournalRecord> ReadJournal(const QString &storeFile) {
  std::vector<TJournalRecord> records;
  QString path;
  try {
    path = ResolveWriteTarget(JournalFileName(ResolveWriteTarget(storeFile)));
  } catch (const EFileError &) {
    return records; // a link that loops leads to no journal
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxJournalSize)
    return records;
  const QByteArray bytes = file.readAll();
  qsizetype start = 0;
  // Only lines that end: the last one may have been cut short.
  for (qsizetype end = bytes.indexOf('\n'); end >= 0; end = bytes.indexOf('\n', start)) {
    TJournalRecord record;
    if (decode(bytes.mid(start, end - start), record))
      records.push_back(std::move(record));
    start = end + 1;
  }
  return records;
}

bool ClearJournal(const QString &storeFile) {
  QString path;
  try {
    path = ResolveWriteTarget(JournalFileName(ResolveWriteTarget(storeFile)));
  } catch (const EFileError &) {
    return false;
  }
  const QByteArray native = QFile::encodeName(path);
  struct stat st {};
  if (::stat(native.constData(), &st) != 0)
    return errno == ENOENT;
  if (st.st_size == 0)
    return true;
  return ::truncate(native.constData(), 0) == 0;
}
