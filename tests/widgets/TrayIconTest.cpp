#include "imaging/Icon.h"
#include "imaging/IconList.h"
#include "platform/Errors.h"
#include "tests/widgets/FakeTrayBackend.h"
#include "widgets/QtTrayBackend.h"
#include "widgets/TrayIconUnit.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>

#include <stdexcept>

#include <gtest/gtest.h>

namespace {

TIcon solid(QRgb colour) {
  QImage image(16, 16, QImage::Format_ARGB32);
  image.fill(colour);
  TIcon icon;
  icon.setImage(image);
  return icon;
}

struct TrayIconFixture : ::testing::Test {
  std::shared_ptr<FakeTrayState> tray = std::make_shared<FakeTrayState>();
  FakeTrayBackend *backend = nullptr;

  std::unique_ptr<TTrayIcon> make(bool active = true) {
    auto b = std::make_unique<FakeTrayBackend>(tray);
    backend = b.get();
    return std::make_unique<TTrayIcon>(nullptr, active, std::move(b));
  }
  // Icons := frames (a null colour leaves an empty slot), then Animated.
  static void setFrames(TTrayIcon &icon, const std::vector<QRgb> &colours) {
    TIconList list;
    for (QRgb c : colours) {
      if (c == 0) {
        list.Add(nullptr);
      } else {
        const TIcon frame = solid(c);
        list.Add(&frame);
      }
    }
    icon.SetIcons(&list);
  }
  // The frame the area shows, as its index in Icons (-1 for Icon, -2 for nothing).
  static int shownFrame(TTrayIcon &icon, const FakeTrayState &state) {
    if (!state.shown)
      return -2;
    for (int i = 0; i < icon.Icons().GetCount(); ++i)
      if (icon.Icons().Get(i) == state.shownIcon)
        return i;
    return state.shownIcon == &icon.Icon() ? -1 : -3;
  }
};

// ---- Visibility ----

TEST_F(TrayIconFixture, StaysOutOfTheAreaUntilItHasAPictureAndLeavesItWhenInactive) {
  auto icon = make();
  icon->SetHint(QStringLiteral("tip"));
  EXPECT_FALSE(icon->Added());
  EXPECT_EQ(tray->count(TrayCall::Add), 0);

  const TIcon red = solid(qRgb(255, 0, 0));
  icon->SetIcon(&red);
  EXPECT_TRUE(icon->Added());
  EXPECT_TRUE(tray->shown);
  EXPECT_EQ(tray->shownTip, QStringLiteral("tip"));

  icon->SetActive(false);
  EXPECT_FALSE(icon->Added());
  EXPECT_FALSE(tray->shown);
  icon->SetActive(true);
  EXPECT_TRUE(tray->shown);

  icon.reset();
  EXPECT_FALSE(tray->shown);
  EXPECT_EQ(tray->calls.back().kind, TrayCall::Remove);
}

TEST_F(TrayIconFixture, AnInactiveIconGetsItsPictureWithoutEnteringTheArea) {
  auto icon = make(false);
  const TIcon red = solid(qRgb(255, 0, 0));
  icon->SetIcon(&red);
  EXPECT_FALSE(icon->Added());
  EXPECT_TRUE(tray->calls.empty());
  icon->Show();
  EXPECT_TRUE(icon->Added());
}

TEST_F(TrayIconFixture, AFailedAddIsTriedAgainAtTheNextRefresh) {
  auto icon = make();
  tray->refuseAdd = true;
  const TIcon red = solid(qRgb(255, 0, 0));
  icon->SetIcon(&red);
  EXPECT_FALSE(icon->Added());
  tray->refuseAdd = false;
  icon->SetHint(QStringLiteral("again"));
  EXPECT_TRUE(icon->Added());
  EXPECT_EQ(tray->count(TrayCall::Add), 2);
}

TEST_F(TrayIconFixture, AnEmptyTipIsSentAgainAsAModifyAfterTheAdd) {
  auto icon = make();
  const TIcon red = solid(qRgb(255, 0, 0));
  icon->SetIcon(&red);
  ASSERT_GE(tray->calls.size(), 2u);
  EXPECT_EQ(tray->calls[tray->calls.size() - 2].kind, TrayCall::Add);
  EXPECT_EQ(tray->calls.back().kind, TrayCall::Modify);
}

TEST_F(TrayIconFixture, TheHintIsActedOnOnlyWhenItChanges) {
  auto icon = make();
  const TIcon red = solid(qRgb(255, 0, 0));
  icon->SetIcon(&red);
  icon->SetHint(QStringLiteral("a"));
  const size_t calls = tray->calls.size();
  icon->SetHint(QStringLiteral("a"));
  EXPECT_EQ(tray->calls.size(), calls);
}

TEST(TrayIconTip, IsTheHintBeforeTheBarCutTo63Characters) {
  EXPECT_EQ(TTrayIcon::ShortHint(QStringLiteral("ab|cd")), QStringLiteral("ab"));
  EXPECT_EQ(TTrayIcon::ShortHint(QString(100, QLatin1Char('x'))), QString(63, QLatin1Char('x')));
  EXPECT_EQ(TTrayIcon::ShortHint(QString()), QString());
  const QString umlauts(63, QChar(0x00E4));
  EXPECT_EQ(TTrayIcon::ShortHint(umlauts + QStringLiteral("zz")), umlauts);
  // A character outside the basic plane is two UTF-16 units and is never split.
  QString faces;
  for (int i = 0; i < 70; ++i)
    faces += QString::fromUcs4(U"\U0001F600", 1);
  const QString tip = TTrayIcon::ShortHint(faces);
  EXPECT_EQ(tip.size(), 126);
  EXPECT_EQ(tip.toUcs4().size(), 63);
  EXPECT_EQ(TTrayIcon::ShortHint(QStringLiteral("12.03.25 09:00\r\nSubject")),
            QStringLiteral("12.03.25 09:00\nSubject"));
  // A cut right after a CR of a line break leaves no lone CR.
  EXPECT_EQ(TTrayIcon::ShortHint(QString(62, QLatin1Char('x')) + QStringLiteral("\r")),
            QString(62, QLatin1Char('x')));
}

// ---- Animation ----

TEST_F(TrayIconFixture, AnimationNeedsFrames) {
  auto icon = make();
  icon->SetAnimated(true);
  EXPECT_FALSE(icon->Animated());
  EXPECT_EQ(icon->Worker(), nullptr);
}

TEST_F(TrayIconFixture, ThreeFramesShowFrameZeroAtOnceThenStepInACircle) {
  auto icon = make();
  setFrames(*icon, {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)});
  icon->SetAnimated(true);
  EXPECT_EQ(shownFrame(*icon, *tray), 0);
  ASSERT_NE(icon->Worker(), nullptr);
  EXPECT_TRUE(icon->Worker()->Waiting());
  std::vector<int> seen;
  for (int i = 0; i < 4; ++i) {
    icon->Worker()->RunOnce();
    seen.push_back(shownFrame(*icon, *tray));
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 0, 1}));
}

TEST_F(TrayIconFixture, StoppingTheAnimationShowsTheStillIconOrLeavesTheArea) {
  auto icon = make();
  setFrames(*icon, {qRgb(255, 0, 0), qRgb(0, 255, 0)});
  icon->SetAnimated(true);
  icon->SetAnimated(false);
  EXPECT_FALSE(tray->shown); // no still icon

  const TIcon white = solid(qRgb(255, 255, 255));
  icon->SetIcon(&white);
  icon->SetAnimated(true);
  EXPECT_EQ(shownFrame(*icon, *tray), 0);
  icon->SetIcons(nullptr); // clearing the frames ends the animation
  EXPECT_FALSE(icon->Animated());
  EXPECT_EQ(shownFrame(*icon, *tray), -1);
}

TEST_F(TrayIconFixture, InactiveSuspendsTheStepsAndActiveGoesOnFromTheFrameReached) {
  auto icon = make();
  setFrames(*icon, {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)});
  icon->SetAnimated(true);
  icon->Worker()->RunOnce();
  icon->SetActive(false);
  EXPECT_TRUE(icon->Worker()->Suspended());
  EXPECT_FALSE(icon->Worker()->Waiting());
  icon->Worker()->RunOnce(); // a late expiry does nothing while suspended
  EXPECT_EQ(icon->FrameIndex(), 1);
  icon->SetActive(true);
  EXPECT_TRUE(icon->Worker()->Waiting());
  EXPECT_EQ(shownFrame(*icon, *tray), 1);
  icon->Worker()->RunOnce();
  EXPECT_EQ(shownFrame(*icon, *tray), 2);
}

TEST_F(TrayIconFixture, TheIntervalIsReadAtEveryWaitAndZeroCannotSpin) {
  auto icon = make();
  setFrames(*icon, {qRgb(255, 0, 0), qRgb(0, 255, 0)});
  icon->SetAnimated(true);
  EXPECT_EQ(icon->Worker()->NextWait(), 150);
  icon->SetInterval(400);
  EXPECT_EQ(icon->Worker()->NextWait(), 400);
  icon->SetInterval(0);
  EXPECT_EQ(icon->Worker()->NextWait(), 10);
}

TEST_F(TrayIconFixture, AnEmptyFrameIsPassedOverAndTheAnimationGoesOn) {
  auto icon = make();
  setFrames(*icon, {qRgb(255, 0, 0), 0, qRgb(0, 0, 255)});
  icon->SetAnimated(true);
  std::vector<int> seen{shownFrame(*icon, *tray)};
  for (int i = 0; i < 3; ++i) {
    icon->Worker()->RunOnce();
    seen.push_back(shownFrame(*icon, *tray));
  }
  EXPECT_EQ(seen, (std::vector<int>{0, 2, 0, 2}));
  EXPECT_TRUE(icon->Worker()->Waiting());
}

TEST_F(TrayIconFixture, OnlyEmptyFramesShowTheStillIcon) {
  auto icon = make();
  const TIcon white = solid(qRgb(255, 255, 255));
  icon->SetIcon(&white);
  setFrames(*icon, {0, 0});
  icon->SetAnimated(true);
  EXPECT_EQ(shownFrame(*icon, *tray), -1);
  icon->Worker()->RunOnce();
  EXPECT_EQ(shownFrame(*icon, *tray), -1);
  EXPECT_TRUE(icon->Worker()->Waiting());
}

TEST_F(TrayIconFixture, EveryStartOfTheAnimationHasAFreshWorkerFromFrameZero) {
  auto icon = make();
  setFrames(*icon, {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)});
  icon->SetAnimated(true);
  QPointer<TTrayTimerThread> first = icon->Worker();
  first->RunOnce();
  icon->SetAnimated(false);
  EXPECT_EQ(icon->Worker(), nullptr);
  icon->SetAnimated(true);
  EXPECT_NE(icon->Worker(), first.data());
  EXPECT_EQ(icon->FrameIndex(), 0);
  EXPECT_EQ(shownFrame(*icon, *tray), 0);
  // The released worker steps nothing any more.
  ASSERT_FALSE(first.isNull());
  first->RunOnce();
  EXPECT_EQ(icon->FrameIndex(), 0);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull());
}

TEST_F(TrayIconFixture, AnIconLeavingTheAreaIsCreatedWithASuspendedWorker) {
  auto icon = make(false);
  setFrames(*icon, {qRgb(255, 0, 0), qRgb(0, 255, 0)});
  icon->SetAnimated(true);
  EXPECT_TRUE(icon->Worker()->Suspended());
  icon->Show();
  EXPECT_FALSE(icon->Worker()->Suspended());
}

TEST_F(TrayIconFixture, DestroyingAnAnimatingIconLeavesNoTimerBehind) {
  auto icon = make();
  setFrames(*icon, {qRgb(255, 0, 0), qRgb(0, 255, 0)});
  icon->SetInterval(10);
  icon->SetAnimated(true);
  QPointer<TTrayTimerThread> worker = icon->Worker();
  ASSERT_TRUE(worker->Waiting());
  icon.reset();
  EXPECT_TRUE(worker.isNull());
  QCoreApplication::processEvents();
}

// ---- Mouse ----

struct MouseFixture : TrayIconFixture {
  std::unique_ptr<TTrayIcon> icon;
  TTrayIcon *raw = nullptr;
  std::vector<QString> events;
  QString exceptionText;
  errors::ScopedExceptionHandler handler{[this](const QString &text) { exceptionText = text; }};

  void SetUp() override {
    TTrayIcon::SetCursorSource([] { return QPoint(10, 20); });
    TTrayIcon::SetModifierSource([] { return Qt::KeyboardModifiers(Qt::ShiftModifier); });
    icon = make();
    raw = icon.get();
    const TIcon red = solid(qRgb(255, 0, 0));
    icon->SetIcon(&red);
    auto name = [](TMouseButton b) {
      return b == TMouseButton::mbLeft ? "L" : b == TMouseButton::mbRight ? "R" : "M";
    };
    auto record = [this, name](const char *what) {
      return [this, name, what](TTrayIcon *sender, TMouseButton b, TShiftState s, int x, int y) {
        EXPECT_EQ(sender, raw);
        events.push_back(QStringLiteral("%1 %2 %3 %4,%5")
                             .arg(QLatin1String(what), QLatin1String(name(b)))
                             .arg(s)
                             .arg(x)
                             .arg(y));
      };
    };
    icon->OnMouseDown = record("down");
    icon->OnMouseUp = record("up");
    icon->OnClick = record("click");
    icon->OnDblClick = [this](TTrayIcon *) { events.push_back(QStringLiteral("dbl")); };
    icon->OnMouseMove = [this](TTrayIcon *, TShiftState s, int x, int y) {
      events.push_back(QStringLiteral("move %1 %2,%3").arg(s).arg(x).arg(y));
    };
  }
  void TearDown() override {
    icon.reset();
    TTrayIcon::SetCursorSource({});
    TTrayIcon::SetModifierSource({});
  }
  std::vector<QString> press(std::initializer_list<int> messages) {
    events.clear();
    for (int m : messages)
      backend->mouse(m);
    return events;
  }
};

using namespace shift;
const QString S = QString::number(ssShift);
QString st(TShiftState s) { return QString::number(ssShift | s); }

TEST_F(MouseFixture, TheMouseTableRaisesItsEventsInOrder) {
  using namespace tray_mouse;
  const QString at = QStringLiteral(" 10,20");
  EXPECT_EQ(press({Move}), (std::vector<QString>{QStringLiteral("move ") + S + at}));
  EXPECT_EQ(press({LeftDown, LeftUp}),
            (std::vector<QString>{"down L " + st(ssLeft) + at, "click L " + st(ssLeft) + at,
                                  "up L " + st(ssLeft) + at}));
  EXPECT_EQ(press({LeftDouble}), (std::vector<QString>{"dbl", "down L " + st(ssDouble) + at}));
  EXPECT_EQ(press({RightDown, RightUp}),
            (std::vector<QString>{"down R " + st(ssRight) + at, "click R " + st(ssRight) + at,
                                  "up R " + st(ssRight) + at}));
  EXPECT_EQ(press({RightDouble}), (std::vector<QString>{"down R " + st(ssDouble) + at}));
  EXPECT_EQ(press({MiddleDown, MiddleUp}),
            (std::vector<QString>{"down M " + st(ssMiddle) + at, "up M " + st(ssMiddle) + at}));
  EXPECT_EQ(press({MiddleDouble}), (std::vector<QString>{"down M " + st(ssDouble) + at}));
  EXPECT_TRUE(press({511, 522, tray_mouse::CallbackMessage}).empty());
}

TEST_F(MouseFixture, AnUpWithoutItsDownIsNoClick) {
  EXPECT_EQ(press({tray_mouse::LeftUp}).size(), 1u);
  EXPECT_TRUE(events[0].startsWith(QStringLiteral("up L")));
  // Leaving the area forgets a pending down.
  backend->mouse(tray_mouse::RightDown);
  icon->Hide();
  icon->Show();
  EXPECT_EQ(press({tray_mouse::RightUp}).size(), 1u);
}

TEST_F(MouseFixture, DisabledRaisesNothing) {
  icon->SetEnabled(false);
  EXPECT_TRUE(press({tray_mouse::LeftDown, tray_mouse::LeftUp, tray_mouse::LeftDouble}).empty());
}

TEST_F(MouseFixture, ARightClickPopsTheMenuUpAtTheCursorInsteadOfClicking) {
  QMenu menu;
  menu.addAction(QStringLiteral("item"));
  icon->SetPopupMenu(&menu);
  const auto got = press({tray_mouse::RightDown, tray_mouse::RightUp});
  ASSERT_EQ(got.size(), 2u);
  EXPECT_TRUE(got[0].startsWith(QStringLiteral("down R")));
  EXPECT_TRUE(got[1].startsWith(QStringLiteral("up R")));
  EXPECT_TRUE(menu.isVisible());
  EXPECT_EQ(menu.property(PopupComponentProperty).value<QObject *>(), icon.get());
  menu.hide();

  menu.setProperty(AutoPopupProperty, false);
  const auto noPopup = press({tray_mouse::RightDown, tray_mouse::RightUp});
  ASSERT_EQ(noPopup.size(), 3u);
  EXPECT_TRUE(noPopup[1].startsWith(QStringLiteral("click R")));
  EXPECT_FALSE(menu.isVisible());
}

TEST_F(MouseFixture, AForgottenMenuIsNoMenu) {
  auto menu = std::make_unique<QMenu>();
  icon->SetPopupMenu(menu.get());
  menu.reset();
  EXPECT_EQ(icon->PopupMenu(), nullptr);
  EXPECT_EQ(press({tray_mouse::RightDown, tray_mouse::RightUp}).size(), 3u);
}

TEST_F(MouseFixture, ADoubleClickRunsTheEnabledDefaultItemInsteadOfTheEvent) {
  QMenu menu;
  menu.addAction(QStringLiteral("first"));
  QAction *def = menu.addAction(QStringLiteral("default"));
  menu.setDefaultAction(def);
  int triggered = 0;
  QObject::connect(def, &QAction::triggered, [&] { ++triggered; });
  icon->SetPopupMenu(&menu);

  const auto got = press({tray_mouse::LeftDouble});
  EXPECT_EQ(triggered, 1);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_TRUE(got[0].startsWith("down L " + st(ssDouble)));

  def->setEnabled(false);
  const auto disabled = press({tray_mouse::LeftDouble});
  EXPECT_EQ(triggered, 1);
  ASSERT_EQ(disabled.size(), 2u);
  EXPECT_EQ(disabled[0], QStringLiteral("dbl"));
}

TEST_F(MouseFixture, AThrowingHandlerReachesTheExceptionHandlerAndTheIconGoesOn) {
  icon->OnMouseDown = [](TTrayIcon *, TMouseButton, TShiftState, int, int) {
    throw std::runtime_error("handler failed");
  };
  press({tray_mouse::LeftDown});
  EXPECT_EQ(exceptionText, QStringLiteral("handler failed"));
  const auto later = press({tray_mouse::MiddleUp});
  EXPECT_EQ(later.size(), 1u);
}

TEST_F(MouseFixture, AHandlerMayDeleteTheIcon) {
  icon->OnMouseDown = [this](TTrayIcon *, TMouseButton, TShiftState, int, int) { icon.reset(); };
  backend->mouse(tray_mouse::LeftDown); // ASan reports any use after the delete
  EXPECT_EQ(icon, nullptr);
}

TEST_F(MouseFixture, AMenuItemThatReleasesTheIconLater) {
  QMenu menu;
  QAction *def = menu.addAction(QStringLiteral("close"));
  menu.setDefaultAction(def);
  icon->SetPopupMenu(&menu);
  QPointer<TTrayIcon> watched = icon.release();
  QObject::connect(def, &QAction::triggered, [&] { watched->deleteLater(); });
  backend->mouse(tray_mouse::LeftDouble);
  ASSERT_FALSE(watched.isNull());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(watched.isNull());
}

// ---- Qt backend ----

TEST(QtTrayBackend, MapsActivationsToMouseNotifications) {
  using R = QSystemTrayIcon;
  using V = std::vector<int>;
  using namespace tray_mouse;
  EXPECT_EQ(TQtTrayBackend::MouseMessagesFor(R::Trigger, false), (V{LeftDown, LeftUp}));
  EXPECT_EQ(TQtTrayBackend::MouseMessagesFor(R::Trigger, true),
            (V{LeftDown, LeftUp, LeftDouble, LeftUp}));
  EXPECT_EQ(TQtTrayBackend::MouseMessagesFor(R::DoubleClick, false), (V{LeftDouble, LeftUp}));
  EXPECT_EQ(TQtTrayBackend::MouseMessagesFor(R::Context, false), (V{RightDown, RightUp}));
  EXPECT_EQ(TQtTrayBackend::MouseMessagesFor(R::MiddleClick, false), (V{MiddleDown, MiddleUp}));
  EXPECT_TRUE(TQtTrayBackend::MouseMessagesFor(R::Unknown, false).empty());
}

TEST(QtTrayBackend, WorksWithoutATrayAndDeliversAContextClick) {
  TQtTrayBackend backend;
  std::vector<int> got;
  backend.onMouse = [&](int m) { got.push_back(m); };
  TNotifyData data;
  data.icon = QIcon(QPixmap::fromImage(solid(qRgb(1, 2, 3)).image()));
  data.tip = QStringLiteral("Tolvane");
  EXPECT_TRUE(backend.add(data));
  EXPECT_TRUE(backend.modify(data));
  EXPECT_EQ(backend.TrayIcon().toolTip(), QStringLiteral("Tolvane"));
  backend.remove();
  EXPECT_FALSE(backend.TrayIcon().isVisible());
  backend.Activate(QSystemTrayIcon::Context);
  EXPECT_EQ(got, (std::vector<int>{tray_mouse::RightDown, tray_mouse::RightUp}));
}

} // namespace
