#include "model/ReminderTexts.h"

#include "model/LanguageTable.h"
#include "model/ScheduleText.h"
#include "platform/FormatSettings.h"

QString GetScheduleSummary(const TDataObject &r) {
  QString text = TranslateText(QStringLiteral("Run reminder:")) + u' ' + RepeatText(r.repeat);
  const QString separator = QStringLiteral(", ");
  if (r.duration.enable)
    text += separator + DurationText(r.duration);
  text += separator + StartBoundText(r.startBound);
  if (r.stopBound.enable)
    text += separator + StopBoundText(r.stopBound);
  if (r.remindBefore.enable)
    text += separator + RemindBeforeText(r.remindBefore);
  return text;
}

QString GetHintText(const TDataObject &r, const TFiringState &firing) {
  const QString lineBreak = QStringLiteral("\r\n");
  QString text = DateTimeToStr(firing.fireTime, formatSettings());
  if (firing.kind == TFireKind::RemindBefore)
    text += lineBreak + QStringLiteral("( ") + RemindBeforeText(r.remindBefore).toUpper() +
            QStringLiteral(" )");
  if (r.sticker.subjectAsHintEnable && !r.subject.isEmpty())
    text += lineBreak + r.subject;
  if (r.sticker.textAsHintEnable && !r.text.isEmpty())
    text += lineBreak + r.text;
  return text;
}
