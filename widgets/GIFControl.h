#pragma once

#include "imaging/Color.h"
#include "imaging/Dib.h"
#include "widgets/ImageControl.h"
#include "widgets/ThreadTimer.h"

#include <QImage>

#include <atomic>
#include <memory>
#include <vector>

class TGIFFrame;
class TGIFImage;

// Shows a multi-frame GIF picture and steps through its frames on its own timer, each frame for
// its own delay (clamped to 50..10000 ms). Frames are composed on an off-screen image of the
// picture's logical screen size, honouring each frame's origin, transparency and disposal; the
// next frame reuses the previous composition. Composed frames are kept, up to CacheBudget bytes,
// so a looping animation converts its frames on the first pass only; past the budget a frame is
// composed again from the one before it. A step repaints only the part of the screen it changed.
//
// Every tick runs on the GUI thread unless AsyncDrawing is on; then the worker steps and
// composes under the control's lock, and hands events, the end-of-run stop and the repaint to
// the GUI thread without holding the lock. In that mode touch image() only under lockDrawing().
class TGIFAnimator : public TImageControl {
  Q_OBJECT
  Q_PROPERTY(bool animate READ animate WRITE setAnimate)
  Q_PROPERTY(bool asyncDrawing READ asyncDrawing WRITE setAsyncDrawing)
  Q_PROPERTY(bool autoSize READ autoSize WRITE setAutoSize)
  Q_PROPERTY(bool center READ center WRITE setCenter)
  Q_PROPERTY(int frameIndex READ frameIndex WRITE setFrameIndex)
  Q_PROPERTY(bool loop READ loop WRITE setLoop)
  Q_PROPERTY(bool stretch READ stretch WRITE setStretch)
  Q_PROPERTY(bool transparent READ transparent WRITE setTransparent)
public:
  // Frame delays are clamped to this range.
  static constexpr int MinFrameDelay = 50;
  static constexpr int MaxFrameDelay = 10000;
  // A logical screen larger than this is not drawn and does not size the control: the size comes
  // from the file, and up to 65535 x 65535 would mean gigabytes for one composition.
  static constexpr int MaxScreenSide = 8192;
  static constexpr qint64 MaxScreenPixels = Dib::MaxShownPixels;
  // The most bytes the composed frames hold, the one being stepped on included.
  static constexpr qint64 CacheBudget = qint64(64) << 20;

  explicit TGIFAnimator(QWidget *parent = nullptr);
  // With the sleeper the frame clock's worker waits on (tests drive it by hand).
  TGIFAnimator(QWidget *parent, std::shared_ptr<TTimerSleeper> sleeper);
  ~TGIFAnimator() override;

  // The picture, owned by the control. Changes to it reach the control through its change
  // notification.
  [[nodiscard]] TGIFImage &image() { return *m_image; }
  // Takes a copy of the picture (null empties it); the caller keeps its own.
  void setImage(const TGIFImage *image);

  [[nodiscard]] bool animate() const { return m_animate; }
  void setAnimate(bool value);
  [[nodiscard]] bool asyncDrawing() const { return m_asyncDrawing; }
  void setAsyncDrawing(bool value);
  [[nodiscard]] bool autoSize() const { return m_autoSize; }
  void setAutoSize(bool value);
  [[nodiscard]] bool center() const { return m_center; }
  void setCenter(bool value);
  [[nodiscard]] int frameIndex() const { return m_frameIndex; }
  // An index outside the frames is ignored.
  void setFrameIndex(int value);
  [[nodiscard]] bool loop() const { return m_loop; }
  void setLoop(bool value) { m_loop = value; }
  [[nodiscard]] bool stretch() const { return m_stretch; }
  void setStretch(bool value);
  [[nodiscard]] bool transparent() const { return m_transparent; }
  void setTransparent(bool value);

  // The frame clock.
  [[nodiscard]] TThreadTimer &timer() { return *m_timer; }
  // How long the current frame stays: 0 for fewer than 2 frames or an index out of range, else
  // the frame's delay clamped to MinFrameDelay..MaxFrameDelay.
  [[nodiscard]] int frameDelay();

  // One tick of the frame clock: shows the next frame and sets the clock to its delay. Does
  // nothing while the control is hidden, has no parent or the picture has fewer than 2 frames.
  void timerExpired();
  // Animate := false.
  void stopAnimation() { setAnimate(false); }

  // The picture of a frame as shown: the logical screen with the frames up to it replayed.
  // Null for an empty picture or one whose screen is too large. Exceptions pass on.
  [[nodiscard]] QImage composeFrame(int index);

  // Whether the frame shown lets what lies behind show through, or holds pixels of the colour
  // `key`: a window keyed on that colour keeps its key while the frames it steps through have
  // neither. Worked out once per composition (true when nothing can be composed).
  [[nodiscard]] bool frameShowsThrough(QRgb key);

  // Test hooks (conversions are counted, never timed): the bytes the composed frames hold, and
  // how many times a frame was converted to be drawn into a composition.
  [[nodiscard]] qint64 cachedBytes() const;
  [[nodiscard]] int frameConversions() const { return m_frameConversions; }

  [[nodiscard]] QSize sizeHint() const override;

  TNotifyEvent onStart;        // after the animation started
  TNotifyEvent onStop;         // after it stopped, also at the end of a run without Loop
  TNotifyEvent onChange;       // after the picture changed
  TNotifyEvent onFrameChanged; // after each step and each FrameIndex change

protected:
  void drawImage(QPainter &painter) override;
  void adjustControlSize() override;
  void paintBackground(QPainter &painter) override;
  bool event(QEvent *e) override;

private:
  // A composed frame, and the part of the screen in which it differs from the composition of
  // the frame before it (the whole screen when it was composed afresh).
  struct Composition {
    QImage image;
    int index = -1;
    QRect changed;
    // frameShowsThrough() for this key, once worked out.
    bool scanned = false;
    QRgb scannedKey = 0;
    bool showsThrough = true;
  };
  struct Cache {
    Composition work;              // the composition last made or taken
    std::vector<Composition> kept; // by frame index; a null image is not kept
    qint64 keptBytes = 0;
    TColor transparentColor = clNone;
    QColor brush;
  };

  void imageChanged();
  void raiseEvent(const TNotifyEvent &handler);
  void stepOnGuiThread();
  void stepOnWorker();
  [[nodiscard]] bool screenUsable() const;
  void composeFresh(int index);
  void drawFrame(QPainter &p, const TGIFFrame &frame);
  void keep();
  // Where a picture of this size is drawn in the control, and where a part of it lands.
  [[nodiscard]] QRect targetRect(const QSize &picture) const;
  [[nodiscard]] QRect shownPart(const QRect &screenPart) const;
  void markBroken();

  std::unique_ptr<TThreadTimer> m_timer;
  std::unique_ptr<TGIFImage> m_image;
  Cache m_cache;
  // The frame the last step painted in full, or -1: a step to the frame after it repaints only
  // what changed.
  int m_shownIndex = -1;
  int m_frameConversions = 0;

  std::atomic<bool> m_animate{false};
  std::atomic<bool> m_asyncDrawing{false};
  bool m_autoSize = true;
  std::atomic<bool> m_center{false};
  std::atomic<int> m_frameIndex{0};
  std::atomic<bool> m_loop{true};
  std::atomic<bool> m_stretch{false};
  std::atomic<bool> m_transparent{true};
  // A composition failed: the picture draws nothing and is not stepped until it changes.
  bool m_broken = false;
  // Mirrors of the widget state a tick on the worker needs.
  std::atomic<bool> m_shown{false};
  std::atomic<bool> m_hasParent{false};
};
