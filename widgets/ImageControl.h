#pragma once

#include <QWidget>

#include <atomic>
#include <mutex>

class QPainter;
class TGraphic;

// How a control sits in its parent; the image controls use it only to decide which sides
// auto-size may set.
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

// A control that shows a picture. It paints nothing of its own under a transparent or empty
// picture, so the parent and the controls below it show through. Its lock guards the picture
// state against a worker thread that steps or composes frames; it is recursive because a
// picture change notification, or a handler run inside a frame step, comes back in on the same
// thread. Painting happens on the GUI thread only; redrawNow() may be called from any thread.
class TImageControl : public QWidget {
  Q_OBJECT
public:
  explicit TImageControl(QWidget *parent = nullptr);
  ~TImageControl() override;

  void lockDrawing() { m_lock.lock(); }
  void unlockDrawing() { m_lock.unlock(); }

  // Repaints at once on the GUI thread (or schedules a repaint while a paint is under way); from
  // another thread, schedules a repaint on the GUI thread.
  void redrawNow();
  // The same for a part of the control only.
  void redrawNow(const QRect &part);
  // Called after anything that changes the picture: adjusts the size and schedules a repaint.
  void graphicChanged();
  // Palettes are realised by the display itself on true-colour screens, so no palette message is
  // ever needed: always false.
  [[nodiscard]] bool applyPaletteChange();

  [[nodiscard]] TAlign align() const { return m_align; }
  void setAlign(TAlign value);

  // True while the picture is being painted.
  [[nodiscard]] bool drawing() const { return m_drawing; }

protected:
  // Paints the picture; runs inside paintEvent() with drawing() set. The default draws the
  // picture at its own size in the top-left corner.
  virtual void drawImage(QPainter &painter);
  // Brings the control's size in line with the picture; nothing by default.
  virtual void adjustControlSize() {}
  // Paints the background under the picture: nothing by default, so what lies behind shows.
  virtual void paintBackground(QPainter &painter);

  void paintEvent(QPaintEvent *event) override;
  // The part of the control the paint under way covers (empty outside a paint).
  [[nodiscard]] QRect paintedRect() const { return m_paintedRect; }

  // The picture shown (not owned).
  TGraphic *m_graphic = nullptr;
  mutable std::recursive_mutex m_lock;
  // Set at the start of a subclass's destructor: from then on nothing reacts to picture changes.
  bool m_destroying = false;

private:
  std::atomic<bool> m_drawing{false};
  QRect m_paintedRect;
  TAlign m_align = TAlign::alNone;
};
