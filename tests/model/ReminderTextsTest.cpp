#include "model/ReminderTexts.h"

#include "platform/Clock.h"
#include "platform/FormatSettings.h"

#include <gtest/gtest.h>

namespace {

FormatSettings pinnedFormats() {
  FormatSettings fs;
  fs.shortDateFormat = QStringLiteral("dd.mm.yy");
  fs.longTimeFormat = QStringLiteral("hh:nn:ss");
  return fs;
}

class ReminderTexts : public ::testing::Test {
protected:
  ReminderTexts() {
    once.repeat.type = TRepeatType::Once;
    once.repeat.dt = EncodeDateTime(2024, 3, 5, 10, 30, 0, 0);
    once.startBound.type = TStartBoundType::AfterDefinedTime;
  }
  ScopedFormatSettings formats{pinnedFormats()};
  ManualClock clock{EncodeDateTime(2024, 3, 5, 10, 0, 0, 0)};
  ScopedClock clockScope{clock};
  TDataObject once{QStringLiteral("id")};
};

} // namespace

TEST_F(ReminderTexts, SummaryAddsThePartsThatAreOnInOrder) {
  EXPECT_EQ(GetScheduleSummary(once),
            QStringLiteral("Run reminder: once - at 10:30:00 on the 05.03.24, running after "
                           "defined time - 00:00:00"));
  once.duration = {true, {1, TMeasure::Hour}, {30, TMeasure::Minute}};
  once.stopBound.enable = true;
  once.stopBound.type = TStopBoundType::UntilMidnight;
  once.remindBefore = {true, {10, TMeasure::Minute}};
  EXPECT_EQ(GetScheduleSummary(once),
            QStringLiteral("Run reminder: once - at 10:30:00 on the 05.03.24, duration - 1 h 30 "
                           "min, running after defined time - 00:00:00, run until midnight, "
                           "remind before for 10 minute"));
}

TEST_F(ReminderTexts, HintOfAWarningWithSubjectAndText) {
  TDataObject &r = once;
  TFiringState firing;
  firing.fireTime = EncodeDateTime(2024, 3, 5, 8, 50, 0, 0);
  firing.kind = TFireKind::RemindBefore;
  r.remindBefore = {true, {10, TMeasure::Minute}};
  r.subject = QStringLiteral("Call Bob");
  r.text = QStringLiteral("L1\r\nL2");
  r.sticker.subjectAsHintEnable = true;
  r.sticker.textAsHintEnable = true;
  EXPECT_EQ(GetHintText(r, firing),
            QStringLiteral("05.03.24 08:50:00\r\n( REMIND BEFORE FOR 10 MINUTE )\r\n"
                           "Call Bob\r\nL1\r\nL2"));
  r.subject.clear();
  firing.kind = TFireKind::Main;
  EXPECT_EQ(GetHintText(r, firing), QStringLiteral("05.03.24 08:50:00\r\nL1\r\nL2"));
  r.sticker.textAsHintEnable = false;
  EXPECT_EQ(GetHintText(r, firing), QStringLiteral("05.03.24 08:50:00"));
}
