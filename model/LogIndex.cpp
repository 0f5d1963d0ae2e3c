#include "model/LogIndex.h"

#include "model/LogFile.h"
#include "platform/AnsiText.h"
#include "platform/Errors.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// One read of the file; a line longer than this is indexed by the start that fits.
constexpr qsizetype kBuffer = 1024 * 1024;
// What is read of a line to find its end when its text is asked for, at first.
constexpr qsizetype kLineGuess = 512;
// The fields the page needs before it lists a line: up to the event word (field 3).
constexpr int kListedTabs = 4;
constexpr int kTimeField = 1;
constexpr int kEventField = 3;

[[noreturn]] void readFailed(const QString &fileName, int err) {
  throw EFileError(QStringLiteral("Can't read %1: %2")
                       .arg(fileName, QString::fromLocal8Bit(std::strerror(err))));
}

// The first CR or LF in [p, end), or end.
const char *lineEnd(const char *p, const char *end) {
  const void *lf = std::memchr(p, '\n', size_t(end - p));
  const char *stop = lf ? static_cast<const char *>(lf) : end;
  const void *cr = std::memchr(p, '\r', size_t(stop - p));
  return cr ? static_cast<const char *>(cr) : stop;
}

// Whether the line [p, end) is listed, and its moment.
bool listedLine(const char *p, const char *end, TDateTime &time) {
  const char *fieldStart[kListedTabs + 1] = {p};
  int tabs = 0;
  for (const char *q = p; q < end && tabs < kListedTabs;) {
    const void *tab = std::memchr(q, '\t', size_t(end - q));
    if (!tab)
      break;
    q = static_cast<const char *>(tab) + 1;
    fieldStart[++tabs] = q;
  }
  if (tabs < kListedTabs)
    return false;
  const char *event = fieldStart[kEventField];
  const qsizetype eventSize = fieldStart[kEventField + 1] - 1 - event;
  if (eventSize == 5 && std::memcmp(event, "Error", 5) == 0)
    return false;
  const char *timeText = fieldStart[kTimeField];
  if (!ReadLogLineTime(timeText, fieldStart[kTimeField + 1] - 1 - timeText, time))
    time = TDateTime();
  return true;
}

} // namespace

TLogIndex::TLogIndex() = default;

TLogIndex::~TLogIndex() {
  if (m_fd >= 0)
    ::close(m_fd);
}

TLogIndex::TLogIndex(TLogIndex &&other) noexcept
    : m_lines(std::move(other.m_lines)), m_fd(std::exchange(other.m_fd, -1)) {}

TLogIndex &TLogIndex::operator=(TLogIndex &&other) noexcept {
  if (this != &other) {
    if (m_fd >= 0)
      ::close(m_fd);
    m_lines = std::move(other.m_lines);
    m_fd = std::exchange(other.m_fd, -1);
  }
  return *this;
}

// 1. The file is read a buffer at a time. Each whole line in the buffer is looked at up to its
//    fifth field; a line that runs past the buffer's end moves to the front for the next read.
// 2. A line longer than the whole buffer is judged by the part that fits; the rest of it is
//    skipped up to its line end.
// 3. A CR at the end of a buffer may be the first half of a CR LF: an LF first in the next read
//    belongs to it.
TLogIndex TLogIndex::Read(const QString &fileName) {
  TLogIndex index;
  index.m_fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
  if (index.m_fd < 0) {
    if (errno == ENOENT)
      return index;
    readFailed(fileName, errno);
  }
  std::unique_ptr<char[]> buffer(new char[size_t(kBuffer)]);
  qsizetype kept = 0;    // bytes of an unfinished line at the buffer's front
  qint64 keptAt = 0;     // where they lie in the file
  bool skipping = false; // the rest of an overlong line
  bool afterCr = false;
  const auto add = [&index](qint64 offset, const char *p, const char *end) {
    TDateTime time;
    if (listedLine(p, end, time))
      index.m_lines.push_back({offset, time});
  };
  for (;;) {
    const ssize_t n = ::read(index.m_fd, buffer.get() + kept, size_t(kBuffer - kept));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      readFailed(fileName, errno);
    }
    const char *const begin = buffer.get();
    const char *const end = begin + kept + n;
    if (n == 0) {
      if (kept > 0 && !skipping)
        add(keptAt, begin, end);
      break;
    }
    const char *p = begin;
    const qint64 base = keptAt;
    if (afterCr && kept == 0 && *p == '\n')
      ++p;
    afterCr = false;
    while (p < end) {
      const char *e = lineEnd(p, end);
      if (e == end) {
        if (skipping)
          p = end;
        else if (p == begin && end - begin == kBuffer) {
          add(base, p, end);
          skipping = true;
          p = end;
        }
        break;
      }
      if (!skipping)
        add(base + (p - begin), p, e);
      skipping = false;
      p = e + 1;
      if (*e == '\r') {
        if (p < end && *p == '\n')
          ++p;
        else if (p == end)
          afterCr = true;
      }
    }
    kept = end - p;
    keptAt = base + (p - begin);
    if (kept > 0)
      std::memmove(buffer.get(), p, size_t(kept));
  }
  return index;
}

QString TLogIndex::LineText(int i) const {
  if (i < 0 || i >= Count() || m_fd < 0)
    return {};
  const qint64 offset = At(i).offset;
  QByteArray bytes;
  for (qsizetype want = kLineGuess; want <= kBuffer; want *= 4) {
    bytes.resize(want);
    ssize_t n = 0;
    do
      n = ::pread(m_fd, bytes.data(), size_t(want), offset);
    while (n < 0 && errno == EINTR);
    if (n <= 0)
      return {};
    bytes.truncate(n);
    const char *e = lineEnd(bytes.constData(), bytes.constData() + n);
    if (e < bytes.constData() + n || n < want) {
      bytes.truncate(e - bytes.constData());
      return DecodeFileText(bytes);
    }
  }
  // A line of more than half a megabyte shows its first half megabyte.
  return DecodeFileText(bytes);
}
