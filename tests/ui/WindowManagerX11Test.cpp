// Windows as a window manager handles them (Xvfb with openbox: frames, stacking, activation).
// Run through the ui_window_manager_x11 test, which starts both; under the offscreen platform
// they skip.
#include "model/Settings.h"
#include "runtime/StickerView.h"
#include "tests/runtime/StickerTestSupport.h"
#include "tests/support/TestModel.h"
#include "ui/FormEditReminAfter.h"
#include "ui/FormEditReminderDT.h"
#include "ui/FormEditVolume.h"
#include "ui/HubForm.h"
#include "ui/QtPrompts.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

bool onX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

QString run(const QString &program, const QStringList &arguments) {
  QProcess p;
  p.start(program, arguments);
  p.waitForFinished(5000);
  return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// Where the X server has the window's inside, on the screen.
QPoint clientOnScreen(const QWidget &w) {
  const QString info = run(QStringLiteral("xwininfo"), {"-id", QString::number(w.winId())});
  const auto field = [&](const char *name) {
    const QRegularExpression re(QLatin1String(name) + QStringLiteral(":\\s+(-?\\d+)"));
    return re.match(info).captured(1).toInt();
  };
  return {field("Absolute upper-left X"), field("Absolute upper-left Y")};
}

// The windows of a root-window list (_NET_CLIENT_LIST_STACKING: bottom to top).
QList<WId> rootList(const char *property) {
  const QString text = run(QStringLiteral("xprop"), {"-root", QLatin1String(property)});
  QList<WId> ids;
  static const QRegularExpression id(QStringLiteral("0x[0-9a-fA-F]+"));
  for (auto it = id.globalMatch(text.section(u'#', 1)); it.hasNext();)
    ids << it.next().captured().toULongLong(nullptr, 16);
  return ids;
}

// Events handled until the window manager has framed the window and the window stays where it
// is (or two seconds passed): the manager may move a window once more after framing it.
void waitForFrame(QWidget &w) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  for (int i = 0; i < 100 && w.frameGeometry() == w.geometry(); ++i)
    QTest::qWait(20);
  QPoint last = clientOnScreen(w);
  for (int i = 0; i < 20; ++i) {
    QTest::qWait(100);
    const QPoint now = clientOnScreen(w);
    if (now == last)
      return;
    last = now;
  }
}

// Where the X server has the window's inside once the window manager has left it alone, with no
// event handled meanwhile: for a window closed before the program heard of its frame.
QPoint settledClientWithoutEvents(const QWidget &w) {
  QPoint last = clientOnScreen(w);
  for (int same = 0, i = 0; same < 3 && i < 60; ++i) {
    QThread::msleep(50);
    const QPoint now = clientOnScreen(w);
    same = now == last ? same + 1 : 0;
    last = now;
  }
  return last;
}

// The message box on show: the modal one, else any visible one (a window-modal window's box is not
// the application's modal widget).
QMessageBox *shownMessageBox() {
  if (auto *open = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
    return open;
  for (QWidget *w : QApplication::topLevelWidgets())
    if (auto *b = qobject_cast<QMessageBox *>(w); b && b->isVisible())
      return b;
  return nullptr;
}

// Where the time-bounds dialog of a page of a larger window (as in the editor) opens, four times;
// `measure` runs while it is open, before it is closed.
QList<QPoint> boundsDialogOpenings(QPoint (*measure)(QWidget &)) {
  TestModel model;
  QDialog owner;
  auto *page = new QWidget(&owner);
  (new QVBoxLayout(&owner))->addWidget(page);
  owner.resize(600, 500);
  owner.move(150, 100);
  owner.show();
  waitForFrame(owner);
  auto *dialog = new TFormEditReminderDT(model.model, page);
  dialog->LoadReminder(QStringLiteral("new"));
  QList<QPoint> seen;
  for (int opening = 0; opening < 4; ++opening) {
    QTimer::singleShot(0, dialog, [&] {
      seen << measure(*dialog);
      dialog->reject();
    });
    (void)RunDialog(dialog);
  }
  return seen;
}

void expectOnePlace(const QList<QPoint> &seen) {
  ASSERT_EQ(seen.size(), 4);
  for (const QPoint &p : seen)
    EXPECT_LE((p - seen.first()).manhattanLength(), 2)
        << "opening at " << p.x() << "," << p.y() << ", first at " << seen.first().x() << ","
        << seen.first().y();
}

// The reminder's sticker fired while the box is open, once the window manager framed the box
// (whose window `box` is) and then the sticker.
std::unique_ptr<TStickerView> fireOver(QMessageBox &open, TestModel &model,
                                       const std::unique_ptr<TDataObject> &reminder, WId &box) {
  waitForFrame(open);
  box = open.winId();
  auto sticker = TStickerView::Show(model.model, stickertest::headlessUi(),
                                    stickertest::lookupOf(reminder), stickertest::firedAt(), 0, {});
  waitForFrame(*sticker->window());
  return sticker;
}

} // namespace

TEST(WindowManagerX11, AWindowOpenedAgainAtItsSavedPlaceDoesNotMove) {
  if (!onX11())
    GTEST_SKIP() << "needs an X server with a window manager (ui_window_manager_x11)";
  TestModel model;
  for (const bool createdFirst : {false, true}) {
    SCOPED_TRACE(createdFirst ? "created before its place is set" : "created when shown");
    MainSettings().eraseSection(QStringLiteral("FormBoundsProbe"));
    QList<QPoint> seen;
    for (int opening = 0; opening < 4; ++opening) {
      QDialog dialog;
      dialog.setObjectName(QStringLiteral("FormBoundsProbe"));
      auto *hub = new THubForm(&dialog, model.model);
      dialog.resize(300, 200);
      if (createdFirst)
        (void)dialog.winId();
      hub->RestoreBounds(TBoundsKeys::Position);
      dialog.show();
      waitForFrame(dialog);
      seen << clientOnScreen(dialog);
      hub->SaveBounds();
      dialog.close();
    }
    expectOnePlace(seen);
  }
}

TEST(WindowManagerX11, TheTimeBoundsDialogOpensAtTheSamePlaceEveryTime) {
  if (!onX11())
    GTEST_SKIP() << "needs an X server with a window manager (ui_window_manager_x11)";
  expectOnePlace(boundsDialogOpenings([](QWidget &dialog) {
    waitForFrame(dialog);
    return clientOnScreen(dialog);
  }));
}

// Closed before the program handled what the window manager did with it (a busy machine, a key
// pressed at once): opened again, it came back in the corner of the screen, or a title bar lower.
TEST(WindowManagerX11, ATimeBoundsDialogClosedAtOnceOpensAgainWhereItWas) {
  if (!onX11())
    GTEST_SKIP() << "needs an X server with a window manager (ui_window_manager_x11)";
  expectOnePlace(
      boundsDialogOpenings([](QWidget &dialog) { return settledClientWithoutEvents(dialog); }));
}

// A sticker that fires while a message box is open comes up below it and leaves it the keys: the
// box's OK stays in sight and Return and Escape still close it.
TEST(WindowManagerX11, AStickerFiringWhileAMessageIsOpenStaysBelowItAndLeavesItTheKeys) {
  if (!onX11())
    GTEST_SKIP() << "needs an X server with a window manager (ui_window_manager_x11)";
  TestModel model;
  auto reminder = stickertest::makeReminder();
  reminder->sticker.position = {}; // the middle of the screen, where the box is too
  std::unique_ptr<TStickerView> sticker;
  WId box = 0;
  QList<WId> stacking;
  WId active = 0;
  QTimer::singleShot(0, [&] {
    QMessageBox *open = shownMessageBox();
    ASSERT_TRUE(open);
    sticker = fireOver(*open, model, reminder, box);
    stacking = rootList("_NET_CLIENT_LIST_STACKING");
    const QList<WId> a = rootList("_NET_ACTIVE_WINDOW");
    active = a.isEmpty() ? 0 : a.first();
    open->done(QMessageBox::Ok);
  });
  TQtPrompts().notice(QStringLiteral("A notice the user reads"));
  ASSERT_TRUE(sticker);
  const WId stickerWindow = sticker->window()->winId();
  ASSERT_TRUE(stacking.contains(box));
  ASSERT_TRUE(stacking.contains(stickerWindow));
  EXPECT_GT(stacking.indexOf(box), stacking.indexOf(stickerWindow)) << "the sticker covers the box";
  EXPECT_EQ(active, box) << "the sticker took the keys";
  sticker->close();
  stickertest::flushDeletes();
}

// The same with the message box of a window-modal window, as the editor's "Next dates of run" is:
// openbox raised the box only within the family of the editor and the main window, in their
// layer, and the sticker stayed above it.
TEST(WindowManagerX11, AStickerFiringWhileAModalWindowsMessageIsOpenStaysBelowIt) {
  if (!onX11())
    GTEST_SKIP() << "needs an X server with a window manager (ui_window_manager_x11)";
  TestModel model;
  QWidget main;
  main.resize(400, 300);
  main.show();
  waitForFrame(main);
  QDialog editor;
  editor.resize(300, 200);
  editor.setWindowModality(Qt::WindowModal);
  (void)editor.winId();
  editor.windowHandle()->setTransientParent(main.windowHandle());
  editor.show();
  waitForFrame(editor);
  editor.activateWindow();
  auto reminder = stickertest::makeReminder();
  reminder->sticker.position = {};
  std::unique_ptr<TStickerView> sticker;
  WId box = 0;
  bool below = false;
  QTimer::singleShot(0, [&] {
    QMessageBox *open = shownMessageBox();
    ASSERT_TRUE(open);
    sticker = fireOver(*open, model, reminder, box);
    const WId stickerWindow = sticker->window()->winId();
    below = QTest::qWaitFor([&] {
      const QList<WId> stacking = rootList("_NET_CLIENT_LIST_STACKING");
      return stacking.contains(box) && stacking.contains(stickerWindow) &&
             stacking.indexOf(box) > stacking.indexOf(stickerWindow);
    });
    open->done(QMessageBox::Ok);
  });
  ASSERT_EQ(QApplication::activeModalWidget(), &editor);
  TQtPrompts().notice(QStringLiteral("Next dates of run:"));
  ASSERT_TRUE(sticker);
  EXPECT_TRUE(below) << "the sticker covers the box";
  sticker->close();
  stickertest::flushDeletes();
}

// The two small dialogs of a firing reminder are fixed in size and ask for no minimise or maximise
// button (the _MOTIF_WM_HINTS functions and decorations hold neither), so the window manager does
// not offer to maximise them. (Openbox shows its iconify button on every window, whatever the
// hints say.)
TEST(WindowManagerX11, TheVolumeAndRemindAgainDialogsHaveNoMinimiseOrMaximiseButtons) {
  if (!onX11())
    GTEST_SKIP() << "needs an X server with a window manager (ui_window_manager_x11)";
  TestModel model;
  // Prepared as a sticker's menu prepares them (no such reminder: they are only placed).
  TFormEditVolume volume(model.model);
  (void)volume.Prepare(QPoint(200, 200), 0);
  TFormEditReminAfter again(model.model);
  (void)again.Prepare(QStringLiteral("Close and remind in ..."), QPoint(400, 200), 0);
  for (QDialog *dialog : {static_cast<QDialog *>(&volume), static_cast<QDialog *>(&again)}) {
    SCOPED_TRACE(dialog->objectName().toStdString());
    dialog->show();
    waitForFrame(*dialog);
    const QString hints =
        run(QStringLiteral("xprop"), {"-id", QString::number(dialog->winId()), "_MOTIF_WM_HINTS"});
    // "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = flags, functions, decorations, input mode, status"
    const QStringList fields = hints.section(u'=', 1).split(u',');
    ASSERT_GE(fields.size(), 3) << hints.toStdString();
    const uint flags = fields[0].trimmed().toUInt(nullptr, 0);
    const uint functions = fields[1].trimmed().toUInt(nullptr, 0);
    const uint decorations = fields[2].trimmed().toUInt(nullptr, 0);
    constexpr uint HasFunctions = 1, HasDecorations = 2, All = 1;
    constexpr uint FunctionMinimize = 8, FunctionMaximize = 16;
    constexpr uint DecorMinimize = 32, DecorMaximize = 64;
    ASSERT_TRUE(flags & HasFunctions) << hints.toStdString();
    EXPECT_FALSE(functions & (All | FunctionMinimize | FunctionMaximize)) << hints.toStdString();
    const QString actions = run(QStringLiteral("xprop"), {"-id", QString::number(dialog->winId()),
                                                          "_NET_WM_ALLOWED_ACTIONS"});
    EXPECT_FALSE(actions.contains(QLatin1String("MAXIMIZE"))) << actions.toStdString();
    if (flags & HasDecorations) {
      EXPECT_FALSE(decorations & (All | DecorMinimize | DecorMaximize)) << hints.toStdString();
    }
    dialog->hide();
  }
}
