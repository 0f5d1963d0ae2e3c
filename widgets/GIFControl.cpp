#include "widgets/GIFControl.h"

#include "imaging/GIFImage.h"
#include "platform/Errors.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QThread>

#include <algorithm>

namespace {

QRect frameRect(const TGIFFrame &f) { return QRect(f.Left, f.Top, f.width(), f.height()); }

// Disposal codes 4 to 7 are not defined: they mean no disposal, whether the frame is stepped
// over or replayed in a fresh composition.
int disposalOf(const TGIFFrame &f) { return f.Disposal <= 3 ? f.Disposal : 0; }

void fill(QPainter &p, const QRect &r, const QColor &brush) {
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.fillRect(r, brush);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

} // namespace

TGIFAnimator::TGIFAnimator(QWidget *parent) : TGIFAnimator(parent, nullptr) {}

TGIFAnimator::TGIFAnimator(QWidget *parent, std::shared_ptr<TTimerSleeper> sleeper)
    : TImageControl(parent), m_timer(std::make_unique<TThreadTimer>(nullptr, std::move(sleeper))),
      m_image(std::make_unique<TGIFImage>()) {
  m_graphic = m_image.get();
  m_image->onChange = [this] { imageChanged(); };
  m_hasParent = parentWidget() != nullptr;
}

TGIFAnimator::~TGIFAnimator() {
  onStart = nullptr;
  onStop = nullptr;
  onChange = nullptr;
  onFrameChanged = nullptr;
  m_destroying = true;
  setAnimate(false);
  // The worker may be inside a tick that uses the picture and the cache: join it first.
  m_timer.reset();
  m_image->onChange = nullptr;
  m_graphic = nullptr;
}

void TGIFAnimator::setImage(const TGIFImage *image) {
  std::lock_guard lk(m_lock);
  // The copy's change notification runs imageChanged(), which takes the lock again.
  m_image->assign(image);
}

void TGIFAnimator::imageChanged() {
  {
    std::lock_guard lk(m_lock);
    m_cache = Cache();
    m_shownIndex = -1;
    m_broken = false;
    m_frameIndex = m_image->frameIndex();
    if (m_frameIndex >= 0 && m_image->frameCount() > 0)
      m_timer->setInterval(uint32_t(frameDelay()));
  }
  graphicChanged();
  raiseEvent(onChange);
}

void TGIFAnimator::setAnimate(bool value) {
  if (m_animate == value)
    return;
  if (value) {
    m_timer->setOnTimer([this](QObject *) { timerExpired(); });
    m_timer->setEnabled(true);
    m_animate = m_timer->enabled();
    raiseEvent(onStart);
  } else {
    m_timer->setEnabled(false);
    m_timer->setOnTimer(nullptr);
    m_animate = false;
    raiseEvent(onStop);
    graphicChanged();
  }
}

void TGIFAnimator::setAsyncDrawing(bool value) {
  if (m_asyncDrawing == value)
    return;
  std::lock_guard lk(m_lock);
  m_timer->setSyncEvent(!value);
  m_asyncDrawing = value;
}

void TGIFAnimator::setAutoSize(bool value) {
  if (m_autoSize == value)
    return;
  m_autoSize = value;
  adjustControlSize();
  updateGeometry();
}

void TGIFAnimator::setCenter(bool value) {
  if (m_center == value)
    return;
  {
    std::lock_guard lk(m_lock);
    m_center = value;
  }
  graphicChanged();
  if (m_animate)
    redrawNow();
}

void TGIFAnimator::setStretch(bool value) {
  if (m_stretch == value)
    return;
  {
    std::lock_guard lk(m_lock);
    m_stretch = value;
  }
  graphicChanged();
  if (m_animate)
    redrawNow();
}

void TGIFAnimator::setTransparent(bool value) {
  if (m_transparent == value)
    return;
  {
    std::lock_guard lk(m_lock);
    m_transparent = value;
    m_cache = Cache(); // the background of the composition depends on it
    m_shownIndex = -1;
  }
  graphicChanged();
  if (m_animate)
    redrawNow();
}

void TGIFAnimator::setFrameIndex(int value) {
  {
    std::lock_guard lk(m_lock);
    const int count = m_image->frameCount();
    if (value < 0 || value >= count || value == m_frameIndex)
      return;
    m_frameIndex = value;
    m_shownIndex = -1;
    m_timer->setInterval(uint32_t(frameDelay()));
  }
  raiseEvent(onFrameChanged);
  graphicChanged();
}

int TGIFAnimator::frameDelay() {
  std::lock_guard lk(m_lock);
  const int count = m_image->frameCount();
  const int index = m_frameIndex;
  if (count < 2 || index < 0 || index >= count)
    return 0;
  return std::clamp(int(m_image->frame(index).Delay), MinFrameDelay, MaxFrameDelay);
}

void TGIFAnimator::raiseEvent(const TNotifyEvent &handler) {
  if (!handler)
    return;
  // A copy: the handler may replace itself.
  const TNotifyEvent call = handler;
  call(this);
}

bool TGIFAnimator::event(QEvent *e) {
  switch (e->type()) {
  case QEvent::Show:
    m_shown = true;
    break;
  case QEvent::Hide:
    m_shown = false;
    break;
  case QEvent::ParentChange:
    m_hasParent = parentWidget() != nullptr;
    break;
  default:
    break;
  }
  return TImageControl::event(e);
}

// A tick. On the GUI thread the lock is held throughout (handlers run on this same thread and
// the lock is recursive). On the worker the lock is never held while waiting for the GUI thread,
// which may itself be waiting for the lock in a paint or a property writer.
void TGIFAnimator::timerExpired() {
  if (!m_shown || !m_hasParent)
    return;
  if (m_asyncDrawing && QThread::currentThread() != thread())
    stepOnWorker();
  else
    stepOnGuiThread();
}

void TGIFAnimator::stepOnGuiThread() {
  std::lock_guard lk(m_lock);
  const int count = m_image->frameCount();
  if (count < 2 || m_broken)
    return;
  m_frameIndex = m_frameIndex < count - 1 ? m_frameIndex + 1 : 0;
  // Frame N stays on screen for the delay of frame N, also when a handler raised.
  struct SetInterval {
    TGIFAnimator *self;
    ~SetInterval() {
      const int n = self->m_image->frameCount();
      if (self->m_frameIndex >= 0 && self->m_frameIndex < n)
        errors::guardedCall([this] { self->m_timer->setInterval(uint32_t(self->frameDelay())); });
    }
  };
  {
    SetInterval guard{this};
    // What to repaint is decided before the handlers run: they may render the window elsewhere
    // (a sticker's colour key), which paints this frame without showing it. Only the part that
    // differs from the frame shown before is repainted; every step once repainted the whole
    // screen, a 4096 x 4096 one included.
    const int index = m_frameIndex;
    QRect dirty = rect();
    if (!m_broken && !m_image->empty() && screenUsable()) {
      try {
        (void)composeFrame(index);
        if (m_shownIndex >= 0 && m_shownIndex == index - 1 && m_cache.work.index == index)
          dirty = shownPart(m_cache.work.changed) & rect();
      } catch (...) {
        markBroken();
      }
    }
    raiseEvent(onFrameChanged);
    if (m_frameIndex == index) {
      redrawNow(dirty);
      m_shownIndex = index;
    } else {
      // A handler moved to another frame.
      redrawNow();
    }
  }
  if (!m_loop && m_frameIndex == 0)
    stopAnimation();
}

void TGIFAnimator::stepOnWorker() {
  {
    std::lock_guard lk(m_lock);
    const int count = m_image->frameCount();
    if (count < 2 || m_broken)
      return;
    m_frameIndex = m_frameIndex < count - 1 ? m_frameIndex + 1 : 0;
    // Compose here, so the paint on the GUI thread finds the frame ready.
    try {
      (void)composeFrame(m_frameIndex);
    } catch (...) {
      markBroken();
    }
    m_shownIndex = -1; // the repaint below covers the whole control
  }
  m_timer->callSynchronized([this] { raiseEvent(onFrameChanged); });
  redrawNow();
  bool stop = false;
  {
    std::lock_guard lk(m_lock);
    const int index = m_frameIndex;
    if (index >= 0 && index < m_image->frameCount())
      m_timer->setInterval(uint32_t(frameDelay()));
    stop = !m_loop && index == 0;
  }
  if (stop)
    m_timer->callSynchronized([this] { stopAnimation(); });
}

bool TGIFAnimator::screenUsable() const {
  const int w = m_image->screenWidth();
  const int h = m_image->screenHeight();
  return w >= 1 && h >= 1 && w <= MaxScreenSide && h <= MaxScreenSide &&
         qint64(w) * h <= MaxScreenPixels;
}

// Composition, in outline:
// 1. A frame kept from an earlier pass is taken as it is.
// 2. The next frame after the one composed last reuses that composition, unless that frame is to
//    be restored to what was before it (disposal 3); a disposal-2 frame's rectangle is first
//    refilled with the background. A composition that is kept is copied first (implicitly,
//    when it is painted on), one that is not is painted on in place.
// 3. Otherwise start afresh: fill with the background, find the nearest earlier frame that
//    covers the whole screen and hides everything below it, replay the frames from there, each as
//    its disposal says.
// 4. Draw the frame itself, and keep the composition while the budget allows.
QImage TGIFAnimator::composeFrame(int index) {
  std::lock_guard lk(m_lock);
  const int count = m_image->frameCount();
  if (count == 0 || !screenUsable())
    return {};
  index = std::clamp(index, 0, count - 1);
  Composition &work = m_cache.work;
  if (index == work.index && !work.image.isNull())
    return work.image;
  if (m_cache.kept.size() != std::size_t(count))
    m_cache.kept.assign(std::size_t(count), Composition{});
  if (const Composition &kept = m_cache.kept[std::size_t(index)]; !kept.image.isNull()) {
    work = kept;
    return work.image;
  }

  const bool reuse = !work.image.isNull() && work.index >= 0 && index == work.index + 1 &&
                     disposalOf(m_image->frame(work.index)) != 3;
  if (!reuse) {
    composeFresh(index);
  } else {
    work.scanned = false;
    const QRect screen(0, 0, work.image.width(), work.image.height());
    QPainter p(&work.image);
    const TGIFFrame &previous = m_image->frame(work.index);
    work.changed = frameRect(m_image->frame(index)) & screen;
    if (disposalOf(previous) == 2) {
      fill(p, frameRect(previous), m_cache.brush);
      work.changed |= frameRect(previous) & screen;
    }
    drawFrame(p, m_image->frame(index));
  }
  work.index = index;
  keep();
  return work.image;
}

void TGIFAnimator::keep() {
  // Room for one more composition is always left: the one a step paints on when it cannot be
  // kept. So everything held stays within the budget.
  const qint64 bytes = m_cache.work.image.sizeInBytes();
  if (m_cache.keptBytes + 2 * bytes > CacheBudget)
    return;
  m_cache.kept[std::size_t(m_cache.work.index)] = m_cache.work;
  m_cache.keptBytes += bytes;
}

qint64 TGIFAnimator::cachedBytes() const {
  std::lock_guard lk(m_lock);
  const Composition &work = m_cache.work;
  const bool workKept =
      work.index >= 0 && std::size_t(work.index) < m_cache.kept.size() &&
      m_cache.kept[std::size_t(work.index)].image.cacheKey() == work.image.cacheKey();
  return m_cache.keptBytes + (work.image.isNull() || workKept ? 0 : work.image.sizeInBytes());
}

bool TGIFAnimator::frameShowsThrough(QRgb key) {
  std::lock_guard lk(m_lock);
  if (m_broken || m_image->empty() || !screenUsable())
    return true;
  try {
    if (composeFrame(m_frameIndex).isNull())
      return true;
  } catch (...) {
    return true;
  }
  Composition &work = m_cache.work;
  if (!work.scanned || work.scannedKey != key) {
    bool through = false;
    for (int y = 0; y < work.image.height() && !through; ++y) {
      const auto *line = reinterpret_cast<const QRgb *>(work.image.constScanLine(y));
      for (int x = 0; x < work.image.width() && !through; ++x)
        through = qAlpha(line[x]) != 255 || (line[x] & 0x00FFFFFF) == (key & 0x00FFFFFF);
    }
    work.scanned = true;
    work.scannedKey = key;
    work.showsThrough = through;
    Composition &kept = m_cache.kept[std::size_t(work.index)];
    if (kept.image.cacheKey() == work.image.cacheKey())
      kept = work;
  }
  return work.showsThrough;
}

void TGIFAnimator::drawFrame(QPainter &p, const TGIFFrame &f) {
  // Each frame leaves out its own see-through pixels (by table index), so an opaque pixel that
  // happens to have the key colour stays opaque. A frame that cannot be decoded draws nothing.
  const QImage picture = f.toImage(true);
  ++m_frameConversions;
  if (!picture.isNull())
    p.drawImage(QPoint(f.Left, f.Top), picture);
}

void TGIFAnimator::composeFresh(int index) {
  const int sw = m_image->screenWidth();
  const int sh = m_image->screenHeight();

  // The background: the image's current frame's transparent colour (see-through when
  // Transparent is on, else that colour itself); else the picture's background colour when it
  // is transparent; else the window colour.
  TColor found = clNone;
  const int current = m_image->frameIndex();
  if (current >= 0 && current < m_image->frameCount())
    found = m_image->frame(current).TransparentColor;
  QColor brush;
  if (found != clNone)
    brush = m_transparent ? QColor(Qt::transparent) : QColor(ColorToQRgb(found));
  else if (m_image->backgroundColor() != clNone && m_image->transparent())
    brush = QColor(ColorToQRgb(m_image->backgroundColor()));
  else
    brush = QColor(ColorToQRgb(clWindow));

  // An opaque composition needs no alpha, and is copied to the screen without blending.
  Composition &work = m_cache.work;
  work = Composition{}; // the old one goes before the new one is made
  QImage picture(sw, sh,
                 brush.alpha() == 255 ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
  if (picture.isNull())
    throw std::bad_alloc();
  QPainter p(&picture);
  fill(p, picture.rect(), brush);

  // Start at the nearest frame, walking back to 1 at most, that covers the whole screen and
  // either hides everything below it or, restored to the background before `index`, clears it.
  // An earlier frame restored to what was before it (disposal 3) hides nothing: stopping there
  // would lose the frames it covered for a moment.
  int start = index;
  for (; start > 0; --start) {
    const TGIFFrame &f = m_image->frame(start);
    const bool before = start < index;
    // A frame may reach beyond the screen (and is then cut to it when decoded).
    const bool fullScreen = frameRect(f).contains(QRect(0, 0, sw, sh));
    const bool hidesBelow = f.TransparentColor == clNone && !(before && disposalOf(f) == 3);
    const bool clearsAll = before && disposalOf(f) == 2;
    if (fullScreen && (hidesBelow || clearsAll))
      break;
  }
  for (int j = start; j < index; ++j) {
    const TGIFFrame &f = m_image->frame(j);
    const int disposal = disposalOf(f);
    if (disposal == 0 || disposal == 1)
      drawFrame(p, f);
    else if (disposal == 2 && j > start)
      fill(p, frameRect(f), brush);
  }
  drawFrame(p, m_image->frame(index));
  p.end();

  work.image = picture;
  work.changed = picture.rect();
  m_cache.transparentColor = found;
  m_cache.brush = brush;
}

void TGIFAnimator::markBroken() {
  // Reported once, later and on the GUI thread: the report may open a window, which must not
  // happen inside a paint.
  const QString text = errors::describeCurrentException();
  m_broken = true;
  m_cache = Cache();
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [text] { errors::guardedCall([&text] { throw EInvalidGraphic(text); }); },
      Qt::QueuedConnection);
}

void TGIFAnimator::paintBackground(QPainter &painter) {
  std::lock_guard lk(m_lock);
  // Under a transparent or empty picture what lies behind shows; else the control's colour.
  if (!m_image->transparent() && !m_image->empty())
    painter.fillRect(rect(), palette().color(backgroundRole()));
}

void TGIFAnimator::drawImage(QPainter &painter) {
  std::lock_guard lk(m_lock);
  if (m_broken || m_image->empty() || !screenUsable())
    return;
  QImage picture;
  try {
    picture = composeFrame(m_frameIndex);
  } catch (...) {
    markBroken();
    return;
  }
  if (picture.isNull())
    return;
  const QRect target = targetRect(picture.size());
  // Nearest neighbour, never smoothed: pixel art stays crisp when stretched.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(target, picture);
}

QRect TGIFAnimator::targetRect(const QSize &picture) const {
  QRect target(QPoint(0, 0), picture);
  if (m_stretch)
    target = rect();
  else if (m_center)
    target.moveTo((width() - picture.width()) / 2, (height() - picture.height()) / 2);
  return target;
}

QRect TGIFAnimator::shownPart(const QRect &screenPart) const {
  const QSize screen(m_image->screenWidth(), m_image->screenHeight());
  const QRect target = targetRect(screen);
  if (!m_stretch)
    return screenPart.translated(target.topLeft());
  // Stretched: every control pixel whose source lies in the part, with a pixel to spare for the
  // rounding of the scaling.
  const auto scale = [](int v, int to, int from, bool up) {
    const qint64 n = qint64(v) * to;
    return int(up ? (n + from - 1) / from : n / from);
  };
  const int left = scale(screenPart.left(), target.width(), screen.width(), false);
  const int top = scale(screenPart.top(), target.height(), screen.height(), false);
  const int right =
      scale(screenPart.left() + screenPart.width(), target.width(), screen.width(), true);
  const int bottom =
      scale(screenPart.top() + screenPart.height(), target.height(), screen.height(), true);
  return QRect(QPoint(left, top), QPoint(right, bottom))
      .adjusted(-1, -1, 1, 1)
      .translated(target.topLeft());
}

void TGIFAnimator::adjustControlSize() {
  std::lock_guard lk(m_lock);
  if (!m_autoSize || m_image->empty() || !screenUsable())
    return;
  const int sw = m_image->screenWidth();
  const int sh = m_image->screenHeight();
  switch (align()) {
  case TAlign::alClient:
    break; // the parent's layout decides
  case TAlign::alLeft:
  case TAlign::alRight:
    resize(sw, height());
    break;
  case TAlign::alTop:
  case TAlign::alBottom:
    resize(width(), sh);
    break;
  case TAlign::alNone:
  case TAlign::alCustom:
    resize(sw, sh);
    break;
  }
  updateGeometry();
}

QSize TGIFAnimator::sizeHint() const {
  std::lock_guard lk(m_lock);
  if (m_autoSize && !m_image->empty() && screenUsable())
    return {m_image->screenWidth(), m_image->screenHeight()};
  return {105, 105};
}
