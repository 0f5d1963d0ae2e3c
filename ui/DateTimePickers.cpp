#include "ui/DateTimePickers.h"

#include "ui/ScheduleRules.h"

#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QTimeEdit>

namespace {

// Selects the section the user put the cursor in, with a click or with the keys that move it, so
// that digits typed next replace it. Qt leaves the cursor without a selection there, and digits
// typed into a full section were refused: only the arrow keys changed the value.
class SectionSelector final : public QObject {
public:
  explicit SectionSelector(QDateTimeEdit *picker) : QObject(picker), m_picker(picker) {
    picker->installEventFilter(this);
    if (QLineEdit *edit = picker->findChild<QLineEdit *>())
      edit->installEventFilter(this);
  }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::MouseButtonRelease && watched != m_picker) {
      const auto *e = static_cast<QMouseEvent *>(event);
      // A drag that selected text of its own keeps it.
      if (e->button() == Qt::LeftButton && !hasSelection())
        select();
    } else if (event->type() == QEvent::KeyRelease && watched == m_picker) {
      switch (static_cast<QKeyEvent *>(event)->key()) {
      case Qt::Key_Left:
      case Qt::Key_Right:
      case Qt::Key_Home:
      case Qt::Key_End:
        if (!hasSelection())
          select();
        break;
      default:
        break;
      }
    }
    return false;
  }

private:
  [[nodiscard]] bool hasSelection() const {
    const QLineEdit *edit = m_picker->findChild<QLineEdit *>();
    return edit && edit->hasSelectedText();
  }
  // The press (of the mouse button or the key) has put the cursor and with it the picker's
  // current section.
  void select() {
    if (m_picker->currentSection() != QDateTimeEdit::NoSection)
      m_picker->setSelectedSection(m_picker->currentSection());
  }

  QDateTimeEdit *m_picker;
};

} // namespace

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
  new SectionSelector(picker);
}

void SetUpDatePicker(QDateEdit *picker) {
  picker->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
  new SectionSelector(picker);
}

TDateTime PickerTime(const QTimeEdit *picker) { return FromQTime(picker->time()); }

TDateTime PickerDate(const QDateEdit *picker) { return FromQDate(picker->date()); }

void SetPickerTime(QTimeEdit *picker, TDateTime t) { picker->setTime(ToQTime(t)); }

void SetPickerDate(QDateEdit *picker, TDateTime t) {
  const QDate date = ToQDate(t);
  if (date.isValid())
    picker->setDate(date);
}
