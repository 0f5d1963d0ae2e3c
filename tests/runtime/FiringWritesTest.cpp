// What firings cost the disk: the store's file is written once per check however many reminders
// fire or close in it, each firing is made durable by its journal record, and a demonstration
// writes nothing at all.
#include "RuntimeFixture.h"

#include "model/Model.h"
#include "model/StoreJournal.h"

#include <QFileInfo>

#include <vector>

namespace runtimetest {
namespace {

class FiringWrites : public RuntimeTest {
protected:
  // A one-time reminder at `when` under an id of its own.
  std::unique_ptr<TDataObject> reminder(TDateTime when, int serial) const {
    auto r = once(when);
    r->Id = QStringLiteral("%1-AAAA-BBBB-CCCC-DDDDEEEEFFFF").arg(serial, 8, 10, QChar(u'0'));
    return r;
  }
};

// Fault: every firing rewrote the whole file: a hundred reminders due in one second cost a
// hundred writes of it.
TEST_F(FiringWrites, AHundredRemindersDueInOneSecondWriteTheFileOncePerCheck) {
  std::vector<int32_t> numbers;
  for (int i = 0; i < 100; ++i) {
    auto r = reminder(at(9, 0), i);
    r->duration = {true, {0, TMeasure::Hour}, {1, TMeasure::Minute}};
    numbers.push_back(list.add(std::move(r)).Number);
  }
  const int before = fileWrites();

  tickAfter(1000); // 09:00:00.600: all fire
  for (const int32_t n : numbers)
    ASSERT_TRUE(firing(*list.FindByNumber(n)).firing);
  EXPECT_EQ(fileWrites(), before + 1);
  for (const int32_t n : {numbers.front(), numbers[50], numbers.back()})
    EXPECT_EQ(onFile(*list.FindByNumber(n))->LastRunDue, at(9, 0));

  tickAfter(1000); // nothing changed: nothing written
  EXPECT_EQ(fileWrites(), before + 1);

  tickAt(at(9, 1, 0, 600)); // all close, and the one-time reminders are switched off
  for (const int32_t n : numbers)
    ASSERT_FALSE(firing(*list.FindByNumber(n)).firing);
  EXPECT_EQ(fileWrites(), before + 2);
  EXPECT_FALSE(onFile(*list.FindByNumber(numbers.back()))->enable);
}

// Fault: demo mode wrote the whole file for every sticker it showed.
TEST_F(FiringWrites, ADemonstrationWritesNeitherTheFileNorTheJournal) {
  std::vector<int32_t> numbers;
  for (int i = 0; i < 50; ++i)
    numbers.push_back(list.add(reminder(at(11, 0), i)).Number);
  const int before = fileWrites();
  const QString journal = JournalFileName(testModel.file);

  testModel.model.SetDemoMode(true);
  ticker.Tick();
  for (const int32_t n : numbers) {
    ASSERT_TRUE(firing(*list.FindByNumber(n)).firedInDemo);
    EXPECT_EQ(outputs.liveStickers(n), 1);
  }
  EXPECT_EQ(fileWrites(), before);
  EXPECT_FALSE(QFileInfo::exists(journal));

  testModel.model.SetDemoMode(false);
  tickAfter(1000);
  for (const int32_t n : numbers) {
    ASSERT_FALSE(firing(*list.FindByNumber(n)).firing);
    EXPECT_EQ(outputs.liveStickers(n), 0);
  }
  EXPECT_EQ(fileWrites(), before);
  EXPECT_FALSE(QFileInfo::exists(journal));
}

} // namespace
} // namespace runtimetest
