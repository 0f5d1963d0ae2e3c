#pragma once

#include "imaging/Color.h"
#include "model/DataObject.h"
#include "platform/MessageHub.h"
#include "runtime/FormSticker.h"
#include "runtime/HeadlessUserInterface.h"
#include "runtime/StickerView.h"
#include "tests/support/TestModel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QObject>

#include <memory>
#include <utility>
#include <vector>

// Shared pieces of the sticker window tests.
namespace stickertest {

// When the reminders of these tests fired.
inline const TDateTime kFireTime = EncodeDate(2026, 12, 31) + EncodeTime(9, 5, 7, 0);

// A firing of that kind at kFireTime, as the runtime hands it to the sticker.
inline TFiringState firedAt(TFireKind kind = TFireKind::Main) {
  TFiringState f;
  f.firing = true;
  f.kind = kind;
  f.fireTime = kFireTime;
  return f;
}

// The lookup of a test's reminder: whatever the pointer holds when the sticker asks.
inline TReminderLookup lookupOf(const std::unique_ptr<TDataObject> &reminder) {
  return [&reminder] { return reminder.get(); };
}

// A reminder whose sticker shows a red, centred subject and a black text on yellow, every
// element at an automatic place, the window auto-sized at (100, 100).
inline std::unique_ptr<TDataObject> makeReminder(const QString &id = QStringLiteral("ID-1")) {
  auto r = TDataObject::CreateEmpty(id);
  r->subject = QStringLiteral("Subject");
  r->text = QStringLiteral("First line\r\nSecond line");
  TStickerRec &s = r->sticker;
  s.enable = true;
  s.onTop = true;
  for (TStickerTextRec *t : {&s.subject, &s.text, &s.date, &s.time}) {
    t->enable = false;
    t->font.name = QStringLiteral("DejaVu Sans");
    t->font.size = 12;
    t->font.color = int32_t(clBlack);
  }
  s.subject.enable = true;
  s.subject.alignment = TStickerTextAlignment::Centre;
  s.subject.font.color = int32_t(clRed);
  s.subject.font.style = FontStyleBold;
  s.text.enable = true;
  s.position = {100, 100, 0, 0, true};
  s.background = {false, int32_t(clYellow)};
  s.frame = {false, TStickerFrameStyle::None, int32_t(clBlue)};
  return r;
}

// Runs the deleteLater() calls that are due.
// The user interface of stickers whose presses go nowhere.
inline IUserInterface &headlessUi() {
  static THeadlessUserInterface ui;
  return ui;
}

inline void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// A stand-in for the main window: records the hub messages it receives.
class MessageSink : public QObject {
public:
  MessageSink() : handle(hub().registerWindow(this)) {}
  ~MessageSink() override { hub().unregisterWindow(handle); }
  bool event(QEvent *e) override {
    if (HubEvent *h = HubEvent::cast(e)) {
      received.emplace_back(h->message(), h->wParam());
      return true;
    }
    return QObject::event(e);
  }
  WindowHandle handle;
  std::vector<std::pair<uint, uintptr_t>> received;
};

// The first point of the rectangle whose key-render pixel is not the key colour (a drawn pixel),
// or (-1, -1).
inline QPoint firstDrawnPoint(const QImage &keyImage, const QRect &area) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (keyImage.valid(x, y) && keyImage.pixel(x, y) != TFormSticker::KeyColor)
        return {x, y};
  return {-1, -1};
}

} // namespace stickertest
