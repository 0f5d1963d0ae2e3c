#include "platform/MessageHub.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Records every message it gets and answers sent ones with message + wParam.
class Recorder : public QObject {
public:
  struct Entry {
    uint message;
    uintptr_t wParam;
    intptr_t lParam;
  };
  std::vector<Entry> got;

  bool event(QEvent *e) override {
    if (HubEvent *h = HubEvent::cast(e)) {
      got.push_back({h->message(), h->wParam(), h->lParam()});
      h->setResult(static_cast<intptr_t>(h->message() + h->wParam()));
      return true;
    }
    return QObject::event(e);
  }
};

} // namespace

TEST(MessageHub, SendRunsTheHandlerAtOnceAndReturnsItsResult) {
  MessageHub hub;
  Recorder r;
  const WindowHandle h = hub.registerWindow(&r);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(hub.send(h, msg::WM_REMINDER_UPDATED, 7, 3), 1033 + 7);
  ASSERT_EQ(r.got.size(), 1u);
  EXPECT_EQ(r.got[0].lParam, 3);
}

TEST(MessageHub, PostIsQueuedAndDeliveredInOrder) {
  MessageHub hub;
  Recorder r;
  const WindowHandle h = hub.registerWindow(&r);
  EXPECT_TRUE(hub.post(h, msg::WM_CHECK_REMINDER, 1));
  EXPECT_TRUE(hub.post(h, msg::WM_CHECK_REMINDER, 2));
  EXPECT_TRUE(hub.post(h, msg::WM_REMINDER_CHANGED, 3));
  EXPECT_TRUE(r.got.empty());
  QCoreApplication::sendPostedEvents();
  ASSERT_EQ(r.got.size(), 3u);
  EXPECT_EQ(r.got[0].wParam, 1u);
  EXPECT_EQ(r.got[1].wParam, 2u);
  EXPECT_EQ(r.got[2].message, msg::WM_REMINDER_CHANGED);
}

TEST(MessageHub, HandlesAreNeverReusedAndZeroIsNoWindow) {
  MessageHub hub;
  EXPECT_EQ(hub.send(0, msg::WM_REFRESH_LIST), 0);
  EXPECT_FALSE(hub.post(0, msg::WM_REFRESH_LIST));
  WindowHandle first = 0;
  {
    Recorder r;
    first = hub.registerWindow(&r);
    EXPECT_EQ(hub.registerWindow(&r), first); // the same window keeps its handle
  }
  Recorder again;
  const WindowHandle second = hub.registerWindow(&again);
  EXPECT_NE(second, first);
  EXPECT_EQ(hub.send(first, msg::WM_REFRESH_LIST), 0);
  EXPECT_TRUE(again.got.empty());
}

TEST(MessageHub, MessagesToADestroyedWindowAreDropped) {
  MessageHub hub;
  auto r = std::make_unique<Recorder>();
  const WindowHandle h = hub.registerWindow(r.get());
  EXPECT_TRUE(hub.post(h, msg::WM_CHECK_REMINDER, 1));
  r.reset(); // destroyed with a message still queued
  EXPECT_NO_FATAL_FAILURE(QCoreApplication::sendPostedEvents());
  EXPECT_FALSE(hub.isWindow(h));
  EXPECT_FALSE(hub.post(h, msg::WM_CHECK_REMINDER, 2));
  EXPECT_EQ(hub.send(h, msg::WM_CLOSE_REMINDER, 2), 0);
}

TEST(MessageHub, UnregisteredWindowGetsNothing) {
  MessageHub hub;
  Recorder r;
  const WindowHandle h = hub.registerWindow(&r);
  hub.unregisterWindow(h);
  EXPECT_EQ(hub.send(h, msg::WM_REFRESH_LIST), 0);
  EXPECT_TRUE(r.got.empty());
}

TEST(MessageHub, PostFromOtherThreadsArrivesOnTheGuiThread) {
  MessageHub hub;
  Recorder r;
  const WindowHandle h = hub.registerWindow(&r);
  constexpr int kThreads = 4;
  constexpr int kEach = 250;
  std::vector<std::unique_ptr<QThread>> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back(QThread::create([&hub, h, t] {
      for (int i = 0; i < kEach; ++i)
        hub.post(h, msg::MM_MCINOTIFY, static_cast<uintptr_t>(t), i);
    }));
    threads.back()->start();
  }
  for (auto &t : threads)
    t->wait();
  QCoreApplication::sendPostedEvents();
  ASSERT_EQ(r.got.size(), size_t(kThreads * kEach));
  // Each thread's messages keep their order.
  std::vector<intptr_t> last(kThreads, -1);
  for (const auto &e : r.got) {
    EXPECT_GT(e.lParam, last[e.wParam]);
    last[e.wParam] = e.lParam;
  }
}

TEST(MessageHub, AWindowIsFoundByItsNameWhileItLives) {
  auto first = std::make_unique<Recorder>();
  auto second = std::make_unique<Recorder>();
  first->setObjectName(QStringLiteral("FindMe"));
  second->setObjectName(QStringLiteral("FindMe"));
  EXPECT_EQ(hub().findWindow(QStringLiteral("FindMe")), 0u); // not registered yet
  const WindowHandle a = hub().registerWindow(first.get());
  const WindowHandle b = hub().registerWindow(second.get());
  EXPECT_EQ(hub().findWindow(QStringLiteral("FindMe")), a); // the first registered
  EXPECT_EQ(hub().findWindow(QStringLiteral("findme")), 0u);
  first.reset();
  EXPECT_EQ(hub().findWindow(QStringLiteral("FindMe")), b);
  hub().unregisterWindow(b);
  EXPECT_EQ(hub().findWindow(QStringLiteral("FindMe")), 0u);
}

TEST(MessageHub, RegisteredMessageNumbersAreStablePerName) {
  MessageHub hub;
  const uint a = hub.registerWindowMessage(QStringLiteral("TaskbarCreated"));
  EXPECT_GE(a, 0xC000u);
  EXPECT_EQ(hub.registerWindowMessage(QStringLiteral("TaskbarCreated")), a);
  EXPECT_NE(hub.registerWindowMessage(QStringLiteral("Other")), a);
}

TEST(MessageHub, MessageNumbersAreTheProgramsOwn) {
  EXPECT_EQ(msg::WM_DROP_TEXT, 1024u);
  EXPECT_EQ(msg::WM_CLOSE_REMINDER, 1025u);
  EXPECT_EQ(msg::WM_RELOAD_STORE, 1029u);
  EXPECT_EQ(msg::WM_SHOW_MAIN_WINDOW, 1030u);
  EXPECT_EQ(msg::WM_SETTINGS_CHANGED, 1032u);
  EXPECT_EQ(msg::WM_DEMO_MODE_CHANGED, 1038u);
}
