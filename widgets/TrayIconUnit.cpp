#include "widgets/TrayIconUnit.h"

#include "imaging/Icon.h"
#include "imaging/IconList.h"
#include "platform/Errors.h"
#include "widgets/QtTrayBackend.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>
#include <QWidget>

#include <algorithm>

namespace {

constexpr unsigned LeftClicked = 1;
constexpr unsigned RightClicked = 2;
constexpr int MinimumWait = 10;
constexpr int MaxTipLength = 63;

std::function<std::unique_ptr<TTrayBackend>()> &backendFactory() {
  static std::function<std::unique_ptr<TTrayBackend>()> f;
  return f;
}

std::function<QPoint()> &cursorSource() {
  static std::function<QPoint()> f;
  return f;
}

std::function<Qt::KeyboardModifiers()> &modifierSource() {
  static std::function<Qt::KeyboardModifiers()> f;
  return f;
}

QPoint cursorPos() { return cursorSource() ? cursorSource()() : QCursor::pos(); }

TShiftState currentShiftState() {
  const Qt::KeyboardModifiers m =
      modifierSource() ? modifierSource()() : QGuiApplication::queryKeyboardModifiers();
  TShiftState s = 0;
  if (m & Qt::ShiftModifier)
    s |= shift::ssShift;
  if (m & Qt::ControlModifier)
    s |= shift::ssCtrl;
  if (m & Qt::AltModifier)
    s |= shift::ssAlt;
  return s;
}

bool shows(const TIcon *icon) { return icon && !icon->empty(); }

} // namespace

// ---- TTrayTimerThread ----

TTrayTimerThread::TTrayTimerThread(TTrayIcon *owner, bool createSuspended)
    : QObject(owner), m_owner(owner) {
  m_timer.setSingleShot(true);
  m_timer.setTimerType(Qt::PreciseTimer);
  connect(&m_timer, &QTimer::timeout, this, &TTrayTimerThread::RunOnce);
  if (!createSuspended)
    Resume();
}

void TTrayTimerThread::Suspend() {
  m_suspended = true;
  m_timer.stop();
}

void TTrayTimerThread::Resume() {
  if (m_terminated || !m_suspended)
    return;
  m_suspended = false;
  arm();
}

void TTrayTimerThread::Terminate() {
  m_terminated = true;
  m_owner = nullptr;
  m_timer.stop();
}

bool TTrayTimerThread::StopRequested() const {
  return m_terminated || !m_owner || QCoreApplication::closingDown();
}

int TTrayTimerThread::NextWait() const {
  return m_owner ? std::max<int>(m_owner->Interval(), MinimumWait) : MinimumWait;
}

void TTrayTimerThread::arm() {
  if (!StopRequested() && !m_suspended)
    m_timer.start(NextWait());
}

void TTrayTimerThread::RunOnce() {
  if (StopRequested() || m_suspended)
    return;
  // The step may suspend this worker (the icon left the area) or end it (the frames are gone);
  // either stops the re-arm below.
  if (m_owner->Animated())
    m_owner->StepFrame();
  arm();
}

// ---- TTrayIcon ----

TTrayIcon::TTrayIcon(QObject *owner, bool active, std::unique_ptr<TTrayBackend> backend)
    : QObject(owner), m_backend(std::move(backend)), m_icon(std::make_unique<TIcon>()),
      m_icons(std::make_unique<TIconList>()), m_active(active) {
  if (!m_backend)
    m_backend = backendFactory() ? backendFactory()() : std::make_unique<TQtTrayBackend>();
  m_backend->onMouse = [this](int mouseMessage) { Notify(mouseMessage); };
  m_icon->onChange = [this] { picturesChanged(); };
  m_icons->onChange = [this] { picturesChanged(); };
}

TTrayIcon::~TTrayIcon() {
  m_destroying = true;
  m_enabled = false;
  m_icons->onChange = nullptr;
  m_icon->onChange = nullptr;
  m_backend->onMouse = nullptr;
  releaseWorker();
  m_animated = false;
  RemoveFromNotificationArea();
}

void TTrayIcon::SetActive(bool value) {
  if (value == m_active)
    return;
  m_active = value;
  if (value)
    AddToNotificationArea();
  else
    RemoveFromNotificationArea();
}

void TTrayIcon::SetIcon(const TIcon *icon) { m_icon->assign(icon); }

void TTrayIcon::SetIcons(const TIconList *icons) { m_icons->Assign(icons); }

void TTrayIcon::SetHint(const QString &hint) {
  if (hint == m_hint)
    return;
  m_hint = hint;
  RefreshIcon();
}

void TTrayIcon::picturesChanged() {
  m_iconCache.clear();
  RefreshIcon();
}

void TTrayIcon::releaseWorker() {
  if (!m_worker)
    return;
  // The worker may be the caller (a step that found the frames gone): it is stopped now and
  // deleted once control is back in the event loop.
  m_worker->Terminate();
  m_worker->deleteLater();
  m_worker = nullptr;
}

void TTrayIcon::SetAnimated(bool value) {
  value = value && m_icons->GetCount() > 0;
  if (value == m_animated)
    return;
  if (value) {
    releaseWorker();
    m_worker = new TTrayTimerThread(this, !m_added);
    m_animated = true;
  } else {
    m_animated = false;
    releaseWorker();
  }
  m_frameIndex = 0;
  RefreshIcon();
}

const TIcon *TTrayIcon::CurrentIcon() const {
  const int count = m_icons->GetCount();
  if (!m_animated || count == 0)
    return m_icon.get();
  const int start = std::clamp(m_frameIndex, 0, count - 1);
  // An empty frame would take the icon out of the area and stop the stepping for good; the next
  // frame that has a picture is shown in its place.
  for (int k = 0; k < count; ++k) {
    const TIcon *frame = m_icons->Get((start + k) % count);
    if (shows(frame))
      return frame;
  }
  return m_icon.get();
}

QString TTrayIcon::ShortHint(const QString &hint) {
  QString tip = hint.section(QLatin1Char('|'), 0, 0);
  tip.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  int units = 0;
  for (int points = 0; units < tip.size() && points < MaxTipLength; ++points)
    units += (tip.at(units).isHighSurrogate() && units + 1 < tip.size() &&
              tip.at(units + 1).isLowSurrogate())
                 ? 2
                 : 1;
  tip.truncate(units);
  if (tip.endsWith(QLatin1Char('\r')))
    tip.chop(1);
  return tip;
}

QIcon TTrayIcon::iconFor(const TIcon *icon) {
  if (!shows(icon))
    return {};
  auto it = m_iconCache.constFind(icon);
  if (it != m_iconCache.constEnd())
    return it.value();
  QIcon q;
  for (const QImage &image : icon->images())
    if (!image.isNull())
      q.addPixmap(QPixmap::fromImage(image));
  m_iconCache.insert(icon, q);
  return q;
}

TNotifyData TTrayIcon::FillNotifyData() {
  TNotifyData data;
  data.source = CurrentIcon();
  data.icon = iconFor(data.source);
  data.tip = ShortHint(m_hint);
  return data;
}

void TTrayIcon::AddToNotificationArea() {
  RemoveFromNotificationArea();
  if (!shows(CurrentIcon()))
    return;
  m_clickedButtons = 0;
  const TNotifyData data = FillNotifyData();
  m_added = m_backend->add(data);
  if (m_added && data.tip.isEmpty())
    (void)m_backend->modify(data);
  // Also after a failed add: the next step tries again.
  if (m_animated && m_worker)
    m_worker->Resume();
}

void TTrayIcon::RemoveFromNotificationArea() {
  m_backend->remove();
  m_added = false;
  m_clickedButtons = 0;
  if (m_animated && m_worker && !m_worker->Suspended())
    m_worker->Suspend();
}

void TTrayIcon::RefreshIcon() {
  if (m_icons->GetCount() == 0 && m_animated) {
    SetAnimated(false); // refreshes with Icon
    return;
  }
  if (m_added) {
    if (!shows(CurrentIcon()))
      RemoveFromNotificationArea();
    else
      (void)m_backend->modify(FillNotifyData());
  } else if (m_active) {
    AddToNotificationArea();
  }
}

void TTrayIcon::StepFrame() {
  if (m_destroying || !m_animated)
    return;
  const int count = m_icons->GetCount();
  if (count == 0) {
    m_frameIndex = 0;
  } else {
    // Empty frames are passed over; with no picture at all the index just moves on.
    int next = (m_frameIndex + 1) % count;
    for (int k = 0; k < count; ++k) {
      const int i = (m_frameIndex + 1 + k) % count;
      if (shows(m_icons->Get(i))) {
        next = i;
        break;
      }
    }
    m_frameIndex = next;
  }
  RefreshIcon();
}

void TTrayIcon::Notify(int mouseMessage) {
  if (!m_enabled || mouseMessage < tray_mouse::Move || mouseMessage > tray_mouse::MiddleDouble)
    return;
  QPointer<TTrayIcon> self(this);
  const QPoint p = cursorPos();
  const int x = p.x();
  const int y = p.y();
  const TShiftState s = currentShiftState();
  auto raise = [this, &self, x, y](const TTrayMouseEvent &event, TMouseButton button,
                                   TShiftState state) {
    if (event)
      event(this, button, state, x, y);
    return !self.isNull();
  };
  (void)errors::guardedCall([&] {
    using namespace shift;
    switch (mouseMessage) {
    case tray_mouse::Move:
      if (OnMouseMove)
        OnMouseMove(this, s, x, y);
      break;
    case tray_mouse::LeftDown:
      if (raise(OnMouseDown, TMouseButton::mbLeft, s | ssLeft))
        m_clickedButtons |= LeftClicked;
      break;
    case tray_mouse::LeftUp:
      if (m_clickedButtons & LeftClicked) {
        m_clickedButtons &= ~LeftClicked;
        HandleClick(TMouseButton::mbLeft, s | ssLeft, x, y);
        if (!self)
          return;
      }
      (void)raise(OnMouseUp, TMouseButton::mbLeft, s | ssLeft);
      break;
    case tray_mouse::LeftDouble:
      HandleDblClick();
      if (!self)
        return;
      (void)raise(OnMouseDown, TMouseButton::mbLeft, s | ssDouble);
      break;
    case tray_mouse::RightDown:
      if (raise(OnMouseDown, TMouseButton::mbRight, s | ssRight))
        m_clickedButtons |= RightClicked;
      break;
    case tray_mouse::RightUp:
      if (m_clickedButtons & RightClicked) {
        m_clickedButtons &= ~RightClicked;
        HandleClick(TMouseButton::mbRight, s | ssRight, x, y);
        if (!self)
          return;
      }
      (void)raise(OnMouseUp, TMouseButton::mbRight, s | ssRight);
      break;
    case tray_mouse::RightDouble:
      (void)raise(OnMouseDown, TMouseButton::mbRight, s | ssDouble);
      break;
    case tray_mouse::MiddleDown:
      (void)raise(OnMouseDown, TMouseButton::mbMiddle, s | ssMiddle);
      break;
    case tray_mouse::MiddleUp:
      (void)raise(OnMouseUp, TMouseButton::mbMiddle, s | ssMiddle);
      break;
    case tray_mouse::MiddleDouble:
      (void)raise(OnMouseDown, TMouseButton::mbMiddle, s | ssDouble);
      break;
    default:
      break;
    }
  });
}

void TTrayIcon::HandleClick(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::mbRight && PopupAtCursor(x, y))
    return;
  if (OnClick)
    OnClick(this, button, shift, x, y);
}

void TTrayIcon::HandleDblClick() {
  if (!ClickDefaultItem() && OnDblClick)
    OnDblClick(this);
}

void TTrayIcon::CancelFormModes() {
  if (m_destroying)
    return;
  if (QWidget *grabber = QWidget::mouseGrabber())
    grabber->releaseMouse();
}

bool TTrayIcon::PopupAtCursor(int x, int y) {
  QMenu *menu = m_popupMenu;
  if (!m_active || !menu)
    return false;
  const QVariant autoPopup = menu->property(AutoPopupProperty);
  if (autoPopup.isValid() && !autoPopup.toBool())
    return false;
  menu->setProperty(PopupComponentProperty, QVariant::fromValue<QObject *>(this));
  CancelFormModes();
  // popup(), never exec(): a modal menu loop would run handlers that may free this icon.
  menu->popup(QPoint(x, y));
  return true;
}

bool TTrayIcon::ClickDefaultItem() {
  QMenu *menu = m_popupMenu;
  if (!m_active || !menu)
    return false;
  QAction *defaultItem = menu->defaultAction();
  if (!defaultItem || !defaultItem->isEnabled() || !menu->actions().contains(defaultItem))
    return false;
  defaultItem->trigger();
  return true;
}

void TTrayIcon::SetBackendFactory(std::function<std::unique_ptr<TTrayBackend>()> factory) {
  backendFactory() = std::move(factory);
}

void TTrayIcon::SetCursorSource(std::function<QPoint()> source) {
  cursorSource() = std::move(source);
}

void TTrayIcon::SetModifierSource(std::function<Qt::KeyboardModifiers()> source) {
  modifierSource() = std::move(source);
}
