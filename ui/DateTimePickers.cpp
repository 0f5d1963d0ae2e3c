#include "ui/DateTimePickers.h"

#include "ui/ScheduleRules.h"

#include <QDateEdit>
#include <QLocale>
#include <QTimeEdit>

void SetUpTimePicker(QTimeEdit *picker) {
  // The long time format may carry a time zone; the short one with seconds added does not.
  QString format = QLocale().timeFormat(QLocale::ShortFormat);
  if (!format.contains(QLatin1Char('s'))) {
    const qsizetype minutes = format.indexOf(QLatin1String("mm"));
    if (minutes >= 0)
      format.insert(minutes + 2, QLatin1String(":ss"));
    else
      format = QStringLiteral("HH:mm:ss");
  }
  picker->setDisplayFormat(format);
}

void SetUpDatePicker(QDateEdit *picker) {
  picker->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
}

TDateTime PickerTime(const QTimeEdit *picker) { return FromQTime(picker->time()); }

TDateTime PickerDate(const QDateEdit *picker) { return FromQDate(picker->date()); }

void SetPickerTime(QTimeEdit *picker, TDateTime t) { picker->setTime(ToQTime(t)); }

void SetPickerDate(QDateEdit *picker, TDateTime t) {
  const QDate date = ToQDate(t);
  if (date.isValid())
    picker->setDate(date);
}
