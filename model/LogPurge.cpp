#include "model/LogPurge.h"

#include "model/LogFile.h"
#include "platform/AtomicFile.h"
#include "platform/Errors.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// What one read takes from the log, and how much kept text is gathered before it is written.
constexpr qsizetype kChunk = 64 * 1024;

[[noreturn]] void readFailed(const QString &fileName, int err) {
  throw EFileError(QStringLiteral("Can't read %1: %2")
                       .arg(fileName, QString::fromLocal8Bit(std::strerror(err))));
}

class FdCloser {
public:
  explicit FdCloser(int fd) : m_fd(fd) {}
  ~FdCloser() { ::close(m_fd); }
  FdCloser(const FdCloser &) = delete;
  FdCloser &operator=(const FdCloser &) = delete;

private:
  int m_fd;
};

qsizetype readSome(int fd, char *buffer, qsizetype size, const QString &fileName) {
  for (;;) {
    const ssize_t n = ::read(fd, buffer, static_cast<size_t>(size));
    if (n >= 0)
      return n;
    if (errno != EINTR)
      readFailed(fileName, errno);
  }
}

} // namespace

std::mutex &LogAppendMutex() {
  static std::mutex mutex;
  return mutex;
}

// --- TLogPurgeFilter ----------------------------------------------------------------------------

TLogPurgeFilter::TLogPurgeFilter(TDateTime limit, FormatSettings fs, TSink keep)
    : m_limit(limit), m_fs(std::move(fs)), m_keep(std::move(keep)) {}

// The bytes of a line go through three states: its head (up to the second TAB) is held until the
// line's moment can be read; then the rest of the line is handed on (kept) or skipped (dropped)
// up to its line end. A CR LF split between two pieces stays one line end.
void TLogPurgeFilter::feed(const char *data, qsizetype size) {
  const char *p = data;
  const char *const end = data + size;
  const auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };
  while (p < end) {
    if (m_afterCr) {
      m_afterCr = false;
      if (*p == '\n') {
        if (m_crKept)
          m_keep(p, 1);
        ++p;
        continue;
      }
    }
    const char *q = p;
    switch (m_state) {
    case State::Head:
      while (q < end && !isLineEnd(*q) && m_tabs < 2 && m_head.size() + (q - p) < HeadLimit) {
        if (*q == '\t')
          ++m_tabs;
        ++q;
      }
      m_head.append(p, q - p);
      m_largestHeld = std::max(m_largestHeld, m_head.size());
      p = q;
      if (q < end && isLineEnd(*q)) {
        decide();
        endLine(*q);
        ++p;
      } else if (m_tabs >= 2 || m_head.size() >= HeadLimit) {
        decide();
      }
      break;
    case State::Keep:
    case State::Drop:
      while (q < end && !isLineEnd(*q))
        ++q;
      if (m_state == State::Keep && q > p) {
        m_keep(p, q - p);
        m_lineOpen = true;
      }
      p = q;
      if (q < end) {
        endLine(*q);
        ++p;
      }
      break;
    }
  }
}

void TLogPurgeFilter::decide() {
  bool old = false;
  if (m_tabs >= 2) {
    const qsizetype first = m_head.indexOf('\t');
    const qsizetype second = m_head.indexOf('\t', first + 1);
    TDateTime t;
    old = ReadLogLineTime(m_head.constData() + first + 1, second - first - 1, t, m_fs) &&
          t <= m_limit;
  }
  if (old) {
    m_dropped = true;
    m_state = State::Drop;
  } else {
    if (!m_head.isEmpty()) {
      m_keep(m_head.constData(), m_head.size());
      m_lineOpen = true;
    }
    m_state = State::Keep;
  }
  m_head.resize(0); // keeps its room for the next line
  m_tabs = 0;
}

void TLogPurgeFilter::endLine(char c) {
  if (m_state == State::Head)
    decide();
  m_crKept = m_state == State::Keep;
  if (m_crKept)
    m_keep(&c, 1);
  m_afterCr = c == '\r';
  m_lineOpen = false;
  m_state = State::Head;
}

void TLogPurgeFilter::finish() {
  if (m_state == State::Head && !m_head.isEmpty())
    decide();
  if (m_state == State::Keep && m_lineOpen)
    m_keep("\r\n", 2);
  m_state = State::Head;
  m_lineOpen = false;
  m_afterCr = false;
}

// --- The purge of a file ------------------------------------------------------------------------

// 1. Read the file front to back, piece by piece, through the filter. Until the first line goes,
//    the kept bytes are the file's own first bytes: they are only counted, so that a purge that
//    removes nothing writes nothing. At the first line that goes, the new file is begun with that
//    many bytes copied from the old one; from then on what is kept is written to it.
// 2. At the end of the file, the new file is flushed to disk; then, with appends held, whatever
//    was appended meanwhile is read as well, and the new file is renamed over the old one while no
//    line can be appended to the old.
bool PurgeOldLogLines(const QString &fileName, TDateTime limit, const FormatSettings &fs,
                      const std::stop_token &stop,
                      const std::function<void(qsizetype bytes)> &afterRead) {
  const QByteArray native = QFile::encodeName(fileName);
  const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT)
      return false;
    readFailed(fileName, errno);
  }
  const FdCloser closer(fd);
  struct stat opened {};
  if (::fstat(fd, &opened) != 0)
    readFailed(fileName, errno);

  std::vector<char> buffer(static_cast<size_t>(kChunk));
  std::optional<TAtomicFileWriter> writer;
  QByteArray out;
  qsizetype prefix = 0; // bytes kept before the first line that went
  const auto beginNewFile = [&] {
    writer.emplace(fileName, LogFileMode);
    for (qsizetype done = 0; done < prefix;) {
      const ssize_t n =
          ::pread(fd, buffer.data(), static_cast<size_t>(std::min(kChunk, prefix - done)), done);
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0)
        readFailed(fileName, n < 0 ? errno : EIO);
      writer->write(buffer.data(), n);
      done += n;
    }
  };
  // The filter's output asks the filter whether a line went yet.
  std::optional<TLogPurgeFilter> filter;
  filter.emplace(limit, fs, [&](const char *data, qsizetype size) {
    if (!filter->dropped()) {
      prefix += size;
      return;
    }
    if (!writer)
      beginNewFile();
    out.append(data, size);
    if (out.size() >= kChunk) {
      writer->write(out);
      out.clear();
    }
  });
  // The file is read into a buffer of its own: the prefix is copied through `buffer` while the
  // filter still works on the piece read last.
  std::vector<char> piece(static_cast<size_t>(kChunk));
  const auto readInto = [&] { return readSome(fd, piece.data(), kChunk, fileName); };

  for (;;) {
    if (stop.stop_requested())
      return true; // the writer, when begun, removes its file
    const qsizetype n = readInto();
    if (afterRead)
      afterRead(n);
    if (n == 0)
      break;
    filter->feed(piece.data(), n);
  }
  if (writer) {
    writer->write(out);
    out.clear();
    writer->sync();
  }

  const std::lock_guard<std::mutex> appends(LogAppendMutex());
  for (qsizetype n = readInto(); n > 0; n = readInto())
    filter->feed(piece.data(), n);
  filter->finish();
  if (!filter->dropped())
    return true;
  // Emptied or replaced since it was opened: what is there now is not what was read.
  struct stat now {};
  if (::stat(native.constData(), &now) != 0 || now.st_dev != opened.st_dev ||
      now.st_ino != opened.st_ino)
    return true;
  if (!writer)
    beginNewFile();
  writer->write(out);
  writer->commit();
  return true;
}

// --- TBackgroundLogPurge ------------------------------------------------------------------------

void TBackgroundLogPurge::Start(const QString &fileName, TDateTime limit) {
  Wait();
  m_thread = std::jthread([fileName, limit, fs = formatSettings()](const std::stop_token &stop) {
    try {
      (void)PurgeOldLogLines(fileName, limit, fs, stop);
    } catch (...) {
      // A log that cannot be purged stays as it is.
    }
  });
}

void TBackgroundLogPurge::Wait() {
  if (m_thread.joinable())
    m_thread.join();
}
