#include "model/NotifyWindows.h"

#include "tests/support/TestModel.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class Receiver : public QObject {
public:
  bool event(QEvent *e) override {
    if (HubEvent *h = HubEvent::cast(e)) {
      if (h->message() == msg::WM_REFRESH_CONTROLS)
        ++refreshes;
      return true;
    }
    return QObject::event(e);
  }
  int refreshes = 0;
};

} // namespace

TEST(NotifyWindows, RegisterOnceBroadcastToLiveWindowsOnly) {
  TestModel test; // the list is the model's
  Receiver a;
  auto b = std::make_unique<Receiver>();
  const WindowHandle ha = hub().registerWindow(&a);
  const WindowHandle hb = hub().registerWindow(b.get());

  RegisterNotifyWindow(ha, QStringLiteral("FormA"));
  RegisterNotifyWindow(ha, QStringLiteral("FormA again"));
  RegisterNotifyWindow(hb, QStringLiteral("FormB"));
  RegisterNotifyWindow(0, QStringLiteral("no window"));
  ASSERT_EQ(NotifyWindows().size(), 3u);
  EXPECT_EQ(NotifyWindows()[0].first, QStringLiteral("FormA"));

  b.reset(); // destroyed without unregistering
  BroadcastToWindows(msg::WM_REFRESH_CONTROLS, 0, 0);
  EXPECT_EQ(a.refreshes, 0) << "posted, not sent";
  QCoreApplication::processEvents();
  EXPECT_EQ(a.refreshes, 1);

  UnregisterNotifyWindow(ha);
  UnregisterNotifyWindow(hb);
  UnregisterNotifyWindow(0);
  UnregisterNotifyWindow(12345); // not listed: nothing happens
  EXPECT_TRUE(NotifyWindows().empty());
  BroadcastToWindows(msg::WM_REFRESH_CONTROLS, 0, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(a.refreshes, 1);
}
