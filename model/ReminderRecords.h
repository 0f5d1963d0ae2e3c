#pragma once

// The codes and plain sub-records that make up one reminder (TDataObject). Every code is kept as
// the integer that was stored: a value outside its list stays as read (it has no name and is never
// due), it is never truncated or wrapped.

#include "platform/DateTime.h"

#include <QString>

#include <array>
#include <cstdint>

// --- Codes ------------------------------------------------------------------------------------

enum class TMeasure : int { Minute = 0, Hour = 1, Day = 2, Week = 3, Month = 4, Year = 5 };

enum class TRepeatType : int {
  Once = 0,
  Minutely = 1,
  Hourly = 2,
  Daily = 3,
  Weekly = 4,
  Monthly = 5,
  Annually = 6
};

enum class TReminderState : int { Active = 0, Archive = 1, Trash = 2 };

// What a firing is for: the main event, the warning ahead of it, or the remind-again window.
enum class TFireKind : int { Main = 0, RemindBefore = 1, RemindAfter = 2 };

enum class TStartBoundType : int {
  AfterDefinedTime = 0,
  AfterDefinedDateTime = 1,
  AfterWindowsStart = 2
};

enum class TStopBoundType : int {
  UntilDefinedTime = 0,
  UntilDefinedDateTime = 1,
  WithinHourlyLimits = 2,
  WithinDailyLimits = 3,
  UntilHourEnd = 4,
  UntilMidnight = 5,
  UntilWeekEnd = 6,
  UntilMonthEnd = 7,
  UntilYearEnd = 8
};

enum class TStickerTextAlignment : int { Left = 0, Right = 1, Centre = 2 };

enum class TStickerFrameStyle : int { Solid = 0, None = 5 };

// How the program action shows the started program's window.
enum class TShowFlag : int { Normal = 1, Minimized = 2, Maximized = 3 };

// Bits of TFontRec::style.
inline constexpr int FontStyleBold = 1;
inline constexpr int FontStyleItalic = 2;
inline constexpr int FontStyleUnderline = 4;
inline constexpr int FontStyleStrikeout = 8;

// --- Names of the codes (English; shown through the language table) ---------------------------

inline constexpr std::array<const char *, 7> RepeatTypeNames = {
    "Once", "Minutely", "Hourly", "Daily", "Weekly", "Monthly", "Annually"};
inline constexpr std::array<const char *, 6> MeasureNames = {"minute", "hour",  "day",
                                                             "week",   "month", "year"};
inline constexpr std::array<const char *, 3> StartBoundNames = {
    "after defined time", "after defined date and time", "after windows start"};
inline constexpr std::array<const char *, 9> StopBoundNames = {
    "until defined time",   "until defined date and time",
    "within hourly limits", "within daily limits",
    "until hour end",       "until midnight",
    "until week end",       "until month end",
    "until year end"};

// The name of a stored code, or the empty text for a code outside the table.
template <std::size_t N, typename Code>
[[nodiscard]] QString CodeName(const std::array<const char *, N> &table, Code code) {
  const auto i = static_cast<int64_t>(code);
  if (i < 0 || i >= static_cast<int64_t>(N))
    return {};
  return QString::fromLatin1(table[static_cast<std::size_t>(i)]);
}

// --- Sub-records ------------------------------------------------------------------------------

struct TValueRec {
  int32_t value = 0;
  TMeasure measure = TMeasure::Minute;
};

struct TMainRepeatRec {
  TRepeatType type = TRepeatType::Once;
  // The repeat period. Weekly, Monthly and Annually keep the unit week, month or year here.
  TValueRec value1;
  // Hourly: the minute of the hour, in value.
  TValueRec value2;
  // Once: the moment. Every other type: its time of day is the run time.
  TDateTime dt;
  // Chosen days, each as "(" + number + ")": ISO week days, days of the month or of the year.
  QString days;
};

struct TStartBoundRec {
  TStartBoundType type = TStartBoundType::AfterDefinedTime;
  TDateTime dt;
};

struct TStopBoundRec {
  bool enable = false;
  TStopBoundType type = TStopBoundType::UntilDefinedTime;
  TDateTime dt;
  // The length for the hourly and daily limits.
  TValueRec value;
};

struct TDurationRec {
  bool enable = false;
  TValueRec value1; // hours
  TValueRec value2; // minutes
};

struct TRemindBeforeRec {
  bool enable = false;
  TValueRec value;
};

// The remind-again ("snooze") window.
struct TRemindAfterRec {
  bool enable = false;
  TValueRec value;
  TDateTime dtStart;
  TDateTime dtStop;
};

struct TFontRec {
  QString name;
  int style = 0;     // FontStyle... bits
  int32_t color = 0; // 0x00BBGGRR or a system colour
  int32_t size = 0;  // points
  int32_t charset = 0;
};

struct TPositionRec {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool autoSize = false;
};

struct TStickerTextRec {
  bool enable = false;
  TFontRec font;
  TStickerTextAlignment alignment = TStickerTextAlignment::Left;
  TPositionRec position;
};

struct TStickerImageRec {
  bool enable = false;
  bool transparent = false;
  TPositionRec position;
};

struct TStickerFrameRec {
  bool enable = false;
  TStickerFrameStyle style = TStickerFrameStyle::Solid;
  int32_t color = 0;
};

struct TStickerBackgroundRec {
  bool transparent = false;
  int32_t color = 0;
};

struct TStickerRec {
  bool enable = false;
  bool onTop = false;
  int32_t opacity = 0; // percent of transparency; 0 is opaque
  bool subjectAsHintEnable = false;
  bool textAsHintEnable = false;
  TStickerTextRec subject;
  TStickerTextRec text;
  TStickerTextRec date;
  TStickerTextRec time;
  TStickerImageRec image;
  TStickerImageRec movingImage;
  TStickerFrameRec frame;
  TPositionRec position; // the window
  TStickerBackgroundRec background;
};

struct TMailRec {
  bool enable = false;
  QString to;
  QString from;
  QString cc;
  QString bcc;
  QString files; // comma text of file names
};

struct TSoundRec {
  bool enable = false;
  int32_t volume = 0; // 0..100
  QString fileName;
  bool repeat = false;
};

struct TShellExecRec {
  bool enable = false;
  QString fileName;
  QString params;
  QString folder;
  // Zero until a value is set or read; the store's default is TShowFlag::Normal.
  TShowFlag flag = TShowFlag{0};
};
