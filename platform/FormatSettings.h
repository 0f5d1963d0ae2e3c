#pragma once

#include "platform/DateTime.h"
#include "platform/ScopedOverride.h"

#include <QLocale>
#include <QString>

#include <array>

// How dates, times and numbers are written and read for the user: the locale's formats, taken once
// at start-up and replaceable in tests. Formats use the classic date-time letters, which are not
// case-sensitive: d dd ddd dddd ddddd dddddd, m mm mmm mmmm (minutes right after h or hh),
// yy yyyy, h hh, n nn, s ss, z zzz, t tt, am/pm a/p ampm, c, "/" and ":" for the separators, and
// text in single or double quotes.
struct FormatSettings {
  QString shortDateFormat = QStringLiteral("m/d/yy");
  QString longDateFormat = QStringLiteral("dddd, mmmm d, yyyy");
  QString shortTimeFormat = QStringLiteral("h:nn AMPM");
  QString longTimeFormat = QStringLiteral("h:nn:ss AMPM");
  QChar dateSeparator = u'/';
  QChar timeSeparator = u':';
  QChar decimalSeparator = u'.';
  QString timeAMString = QStringLiteral("AM");
  QString timePMString = QStringLiteral("PM");
  // Index 0 is Sunday, as in the classic arrays (1..7 there).
  std::array<QString, 7> shortDayNames{};
  std::array<QString, 7> longDayNames{};
  // Index 0 is January.
  std::array<QString, 12> shortMonthNames{};
  std::array<QString, 12> longMonthNames{};
  // Two-digit years are taken within this many years before now and the rest of the century after.
  int twoDigitYearCenturyWindow = 50;

  FormatSettings();
  [[nodiscard]] static FormatSettings fromLocale(const QLocale &locale);
};

// The process-wide settings (from the system locale unless replaced).
[[nodiscard]] const FormatSettings &formatSettings();
// Overwrites the current settings (those of an active ScopedFormatSettings while there is one).
void setFormatSettings(const FormatSettings &settings);
// Where the process-wide settings are kept.
[[nodiscard]] OverrideSlot<FormatSettings> &formatSettingsSlot();
// Installs a copy of the settings for the lifetime of this object, then restores the previous ones.
using ScopedFormatSettings = ScopedOverride<&formatSettingsSlot>;

// Turns a Qt date or time format ("dd.MM.yyyy", "h:mm:ss AP") into the classic letters.
[[nodiscard]] QString QtFormatToClassic(const QString &qtFormat);

[[nodiscard]] QString FormatDateTime(const QString &format, TDateTime t,
                                     const FormatSettings &fs = formatSettings());
[[nodiscard]] QString DateToStr(TDateTime t, const FormatSettings &fs = formatSettings());
[[nodiscard]] QString TimeToStr(TDateTime t, const FormatSettings &fs = formatSettings());
// The date, and the long time after a blank unless the time of day is midnight.
[[nodiscard]] QString DateTimeToStr(TDateTime t, const FormatSettings &fs = formatSettings());

// Read a date in the order of the short date format, with any of the usual separators; a missing
// year is this year, a two-digit year goes through the century window. The time reader takes
// h[:n[:s[.z]]] with an optional AM/PM. Give false for anything they cannot read.
[[nodiscard]] bool TryStrToDate(const QString &text, TDateTime &out,
                                const FormatSettings &fs = formatSettings());
[[nodiscard]] bool TryStrToTime(const QString &text, TDateTime &out,
                                const FormatSettings &fs = formatSettings());
[[nodiscard]] bool TryStrToDateTime(const QString &text, TDateTime &out,
                                    const FormatSettings &fs = formatSettings());

// A number in its shortest form with up to 15 significant digits and the decimal separator.
[[nodiscard]] QString FloatToStr(double value, const FormatSettings &fs = formatSettings());
// Reads a number written with the decimal separator (or "."); false for anything else.
[[nodiscard]] bool TryStrToFloat(const QString &text, double &out,
                                 const FormatSettings &fs = formatSettings());
