// The program's notices: raised anywhere (inside the reminder check among others), shown one at
// a time by the event loop once the step that raised them has returned, never waited for there.

#include "ui/NoticeQueue.h"
#include "model/Model.h"
#include "model/XMLStore.h"
#include "platform/Errors.h"
#include "tests/runtime/RuntimeFixture.h"
#include "tests/ui/FakePrompts.h"
#include "ui/UserInterface.h"

#include <QCoreApplication>
#include <QFile>

namespace {

using runtimetest::RuntimeTest;

// The reminder check over a model on a file, with the notices going where the program sends
// them: the user interface, into the queue.
class NoticeQueueTest : public RuntimeTest {
protected:
  NoticeQueueTest() { prompts.holdNotices = true; }

  // Another program (a sync tool) writes its own version of data.xml.
  void rewriteFileElsewhere() {
    QFile f(testModel.file);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("<!-- synced elsewhere -->\n");
  }
  [[nodiscard]] QStringList notices() const { return prompts.shown.filter("notice: "); }

  FakePrompts prompts;
  ScopedUiPrompts promptsScope{prompts};
  TNoticeQueue queue;
  TUserInterface userInterface{testModel.model, queue};
  errors::ScopedInfoReporter reporter{
      [this](const QString &text) { userInterface.ShowMessage(text); }};
};

TEST_F(NoticeQueueTest, ANoticeFromTheCheckShowsAfterItAndTheChecksGoOnWhileItIsOpen) {
  TDataObject &first = list.add(once(at(9, 0, 0)));
  TDataObject &second = list.add(once(at(9, 0, 5)));
  TDataObject &third = list.add(once(at(9, 0, 8)));
  ASSERT_TRUE(testModel.model.Store().SaveToFile(testModel.file));
  rewriteFileElsewhere();

  // The first firing's write-back finds the other version, keeps it and tells the user: not
  // inside the check, which goes on to its end first.
  tickAt(at(9, 0, 0, 100));
  prompts.shown << "check returned";
  EXPECT_TRUE(firing(first).firing);
  EXPECT_TRUE(notices().isEmpty());
  QCoreApplication::processEvents();
  ASSERT_EQ(prompts.shown.size(), 2);
  EXPECT_EQ(prompts.shown[0], "check returned");
  EXPECT_TRUE(
      prompts.shown[1].startsWith("notice: The reminder file was changed by another program."))
      << prompts.shown[1].toStdString();
  EXPECT_TRUE(queue.Showing());

  // The box stays open: the clock runs on, and the reminders due meanwhile fire. A second
  // notice waits for the first box to close.
  rewriteFileElsewhere();
  tickAt(at(9, 0, 5, 100));
  QCoreApplication::processEvents();
  tickAt(at(9, 0, 8, 100));
  QCoreApplication::processEvents();
  EXPECT_TRUE(firing(second).firing);
  EXPECT_TRUE(firing(third).firing);
  EXPECT_EQ(notices().size(), 1);
  EXPECT_EQ(queue.Waiting(), 1);

  ASSERT_EQ(prompts.open.size(), 1u);
  prompts.open[0]();              // OK
  EXPECT_EQ(notices().size(), 1); // shown by the loop, not inside the close
  QCoreApplication::processEvents();
  EXPECT_EQ(notices().size(), 2);
  EXPECT_EQ(queue.Waiting(), 0);
  EXPECT_TRUE(queue.Showing());
}

// The program's start holds its notices back until it is up, also through the pumps inside it.
TEST_F(NoticeQueueTest, HeldNoticesShowOnceReleased) {
  queue.Hold();
  errors::reportInfo("The settings file was damaged");
  errors::reportInfo("Sorry, can't read the reminder file!");
  QCoreApplication::processEvents();
  EXPECT_TRUE(notices().isEmpty());
  queue.Release();
  EXPECT_TRUE(notices().isEmpty()); // from the loop, not inside Release
  QCoreApplication::processEvents();
  EXPECT_EQ(notices(), QStringList({"notice: The settings file was damaged"}));
  prompts.open[0]();
  QCoreApplication::processEvents();
  EXPECT_EQ(notices().size(), 2);
}

// The end: no loop shows them any more, so they are shown there, each waited for, in order.
TEST_F(NoticeQueueTest, TheNoticesLeftAtTheEndAreShownInOrderWithoutALoop) {
  errors::reportInfo("Sorry, can't save file!");
  QCoreApplication::processEvents(); // the first box opens and stays
  errors::reportInfo("second");
  errors::reportInfo("third");
  EXPECT_EQ(notices(), QStringList({"notice: Sorry, can't save file!"}));
  prompts.holdNotices = false; // the user presses OK on each
  queue.ShowWaiting();
  EXPECT_EQ(notices(),
            QStringList({"notice: Sorry, can't save file!", "notice: second", "notice: third"}));
  EXPECT_FALSE(queue.Showing());
  EXPECT_EQ(queue.Waiting(), 0);
  // What the end itself tells goes through the same way.
  errors::reportInfo("last");
  queue.ShowWaiting();
  EXPECT_EQ(notices().last(), "notice: last");
}

} // namespace
