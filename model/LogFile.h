#pragma once

#include "model/CurrentModel.h"
#include "model/DataObject.h"
#include "platform/DateTime.h"
#include "platform/FormatSettings.h"

#include <QString>
#include <QStringList>

#include <sys/types.h>

class TModel;

// The log: tolvane.log in the data folder (GetLogFileName), one line per event. Each field is
// followed by a TAB, the last one too, and the line ends in CR LF:
//   0 the event time as short date, four blanks, long time (display only)
//   1 the event time as a day number (days since 1899-12-30), locale decimal separator
//   2 the user (CurrentUserName)
//   3 "Program start", "Program stop", "Pause on", "Pause off", or "Start" for a firing
//   4 program events: the text of field 3; firings: the subject
//   5..9 firings: "Sticker", "Ico", "Sound", "Mail", "ShellExec" for each enabled action, else
//        four blanks
//   10 firings: the mail error, else the text cut to 25 characters + "...", else four blanks
//   11 firings: the reminder's id
// Lines are only appended; a purge drops old lines or empties the file.
//
// The log belongs to a model: its folder follows the model's settings and its lines name the
// model's user. The forms without a model write for the current model (model/Model.h), for the
// model's own start-up and older callers.

// The log names what the user was reminded of: readable by the user only.
inline constexpr mode_t LogFileMode = 0600;

// What a firing line says about the reminder that fired.
struct TLogFiring {
  TDateTime fireTime;
  QString subject;
  bool sticker = false;
  bool trayIcon = false;
  bool sound = false;
  bool mail = false;
  bool shellExec = false;
  QString mailError;  // "" when no mail was sent or it went out
  QString soundError; // "" without a sound or when its file is there to play
  QString text;
  QString id;
};

// The firing line's facts about a reminder that fired at `fireTime`: the fire time, the subject,
// the enabled actions, the text and the id; why its sound cannot play, when it cannot.
[[nodiscard]] TLogFiring LogFiringOf(const TDataObject &reminder, TDateTime fireTime,
                                     const QString &mailError);

// The line of a program event at `at`, without the line end.
[[nodiscard]] QString ProgramEventLogLine(const QString &message, TDateTime at,
                                          const QString &user);
TOLVANE_CURRENT_MODEL [[nodiscard]] QString ProgramEventLogLine(const QString &message,
                                                                TDateTime at);
// The line of a firing, without the line end. Line breaks and TABs in the subject, the text and
// the error become blanks, so one firing is always one line of twelve fields.
[[nodiscard]] QString FiringLogLine(const TLogFiring &firing, const QString &user);
TOLVANE_CURRENT_MODEL [[nodiscard]] QString FiringLogLine(const TLogFiring &firing);

// Appends the program event line at the clock's current moment.
void WriteLog(TModel &model, const QString &message);
TOLVANE_CURRENT_MODEL void WriteLog(const QString &message);
// Appends the line of a firing.
void WriteFiringLog(TModel &model, const TLogFiring &firing);
// Appends one finished line and CR LF to the log file, creating it when missing. An empty line
// writes nothing. Errors are swallowed: the line is then lost.
void AppendLogLine(TModel &model, const QString &line);
TOLVANE_CURRENT_MODEL void AppendLogLine(const QString &line);
void AppendLogLine(const QString &fileName, const QString &line);

// Fills the list with the line's fields: the texts before each TAB (the text after the last TAB
// is dropped). In field 1 every "," and "." becomes the locale's decimal separator.
void SplitLogLine(const QString &line, QStringList &list);

// Field 1 of a line, the bytes between its first and its second TAB, as a moment: what
// SplitLogLine and TryStrToFloat make of it, read straight from the file's bytes (the purge and
// the log page read every line of the file so; a number as the log writes it takes no text).
// False when it is no number.
[[nodiscard]] bool ReadLogLineTime(const char *field, qsizetype size, TDateTime &time,
                                   const FormatSettings &fs = formatSettings());

// Removes lines: all of them when `all` is set, else every line whose day number is not after
// `limit` (PurgeOldLogLines, model/LogPurge.h); lines that have no day number are kept. The file
// is rewritten (atomically) only when something changed. False when the file does not exist;
// raises EFileError when it cannot be read or written.
bool PurgeLog(const QString &fileName, bool all, TDateTime limit);

// The lines of the log file as they stand (CR LF, CR or LF ends a line; UTF-8, else Windows-1252).
// A missing file has no lines. Raises EFileError when the file exists but cannot be read.
[[nodiscard]] QStringList ReadLogLines(const QString &fileName);

// How many whole days the log keeps besides today: LocalSettings `Config`/`LogClearPeriod`, 30 when
// missing, not a number, or negative. The purge, the log page's day list and the options page all
// read the period through this one rule.
[[nodiscard]] int LogClearPeriodDays(const TModel &model);
TOLVANE_CURRENT_MODEL [[nodiscard]] int LogClearPeriodDays();

// The purge limit at start-up: midnight of `today` minus LogClearPeriodDays() days.
[[nodiscard]] TDateTime LogPurgeLimit(const TModel &model, TDateTime today);
TOLVANE_CURRENT_MODEL [[nodiscard]] TDateTime LogPurgeLimit(TDateTime today);
