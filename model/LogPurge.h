#pragma once

#include "platform/DateTime.h"
#include "platform/FormatSettings.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

// The purge of old log lines, in one pass over the file with a small fixed buffer whatever its
// size: a log of millions of lines is purged in the memory of one read.

// Tells, line by line, which lines of a log a purge keeps, fed the log's bytes in pieces of any
// size; the kept bytes are handed on as they come, unchanged. A line goes when its moment (field
// 1, ReadLogLineTime) is not after the limit; a line without one is kept. Lines end in CR LF, CR
// or LF; a kept last line without a line end is given CR LF, so that the next line appended
// starts a line of its own. Only the start of a line up to its second TAB is held, and at most
// HeadLimit bytes of it: a line whose first two fields are longer is not a line of ours, and is
// kept.
class TLogPurgeFilter {
public:
  static constexpr qsizetype HeadLimit = 4096;
  using TSink = std::function<void(const char *data, qsizetype size)>;

  TLogPurgeFilter(TDateTime limit, FormatSettings fs, TSink keep);

  void feed(const char *data, qsizetype size);
  // The end of the log: a last line without a line end is decided now.
  void finish();
  // Whether a line was left out so far.
  [[nodiscard]] bool dropped() const { return m_dropped; }
  // The most bytes of the log the filter held at once.
  [[nodiscard]] qsizetype largestHeld() const { return m_largestHeld; }

private:
  enum class State { Head, Keep, Drop };
  void decide();
  void endLine(char c);

  TDateTime m_limit;
  FormatSettings m_fs;
  TSink m_keep;
  State m_state = State::Head;
  QByteArray m_head;
  int m_tabs = 0;
  bool m_afterCr = false;  // the last byte ended a line with CR: an LF next belongs to it
  bool m_crKept = false;   // and that line was kept
  bool m_lineOpen = false; // bytes of a line were kept without its line end yet
  bool m_dropped = false;
  qsizetype m_largestHeld = 0;
};

// Held while a line is appended to a log and while a purge puts its file in place, so that no
// line appended during a purge is lost.
[[nodiscard]] std::mutex &LogAppendMutex();

// Drops the lines of the log file `fileName` whose moment is not after `limit`, reading it once
// front to back. The kept lines replace the file atomically, and only when a line went (a purge
// that removes nothing leaves the file alone); lines appended meanwhile by AppendLogLine in this
// process are kept: the file is put in place while no line is being appended, with every line
// appended up to then. When the file was replaced meanwhile (the log emptied, another program),
// the purge gives up and leaves it. A stop request gives up as well. `afterRead` runs after each
// read of the file with the number of bytes it gave, 0 at the end (tests append lines there). False
// when the file does not exist; raises EFileError when it cannot be read or written.
bool PurgeOldLogLines(const QString &fileName, TDateTime limit, const FormatSettings &fs,
                      const std::stop_token &stop = {},
                      const std::function<void(qsizetype bytes)> &afterRead = {});

// The start-up purge of the log, on a thread of its own: the program is up and checks its
// reminders while a large log is purged. The thread has only the file name, the limit and the
// format settings it was given; it touches no model. An error leaves the log as it was. Ending
// the object asks a purge under way to give up and waits for it.
class TBackgroundLogPurge {
public:
  TBackgroundLogPurge() = default;
  ~TBackgroundLogPurge() = default;
  TBackgroundLogPurge(const TBackgroundLogPurge &) = delete;
  TBackgroundLogPurge &operator=(const TBackgroundLogPurge &) = delete;

  // Starts the purge (one still under way is waited for first).
  void Start(const QString &fileName, TDateTime limit);
  // Waits until a purge under way has ended.
  void Wait();

private:
  std::jthread m_thread;
};
