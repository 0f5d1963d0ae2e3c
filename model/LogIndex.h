#pragma once

#include "platform/DateTime.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// The lines of a log file that the log page lists, as an index: where each begins in the file
// and its moment. It is made in one pass over the file with a buffer of fixed size, and keeps 16
// bytes a line (a log of a million lines: 16 MB); the text of a line is read from the file when
// it is asked for. The index keeps the file it read open, so that it reads the lines it indexed
// even after a purge put a new file in place; a new index sees the new file.
//
// Listed are the lines of ours (at least four fields) whose event word (field 3) is not "Error".
class TLogIndex {
public:
  struct Line {
    qint64 offset = 0;
    TDateTime time; // 0 when field 1 is no moment
  };

  TLogIndex();
  ~TLogIndex();
  TLogIndex(TLogIndex &&) noexcept;
  TLogIndex &operator=(TLogIndex &&) noexcept;
  TLogIndex(const TLogIndex &) = delete;
  TLogIndex &operator=(const TLogIndex &) = delete;

  // The index of the file as it stands; a missing file has no lines. Raises EFileError when the
  // file exists but cannot be read.
  [[nodiscard]] static TLogIndex Read(const QString &fileName);

  [[nodiscard]] int Count() const { return static_cast<int>(m_lines.size()); }
  [[nodiscard]] const Line &At(int i) const { return m_lines[static_cast<size_t>(i)]; }
  // The text of listed line i, without its line end (UTF-8, else Windows-1252); empty when the
  // file can no longer be read there.
  [[nodiscard]] QString LineText(int i) const;

private:
  std::vector<Line> m_lines;
  int m_fd = -1;
};
