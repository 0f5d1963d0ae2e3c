#include "platform/MessageHub.h"

#include <QCoreApplication>
#include <QThread>

HubEvent::HubEvent(uint message, uintptr_t wParam, intptr_t lParam)
    : QEvent(eventType()), m_message(message), m_wParam(wParam), m_lParam(lParam) {}

QEvent::Type HubEvent::eventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

HubEvent *HubEvent::cast(QEvent *e) {
  return e && e->type() == eventType() ? static_cast<HubEvent *>(e) : nullptr;
}

WindowHandle MessageHub::registerWindow(QObject *window) {
  if (!window)
    return 0;
  QMutexLocker l(&m_lock);
  if (auto it = m_handles.constFind(window); it != m_handles.constEnd())
    return it.value();
  const WindowHandle h = ++m_next;
  m_windows.insert(h, window);
  m_handles.insert(window, h);
  l.unlock();
  connect(
      window, &QObject::destroyed, this, [this](QObject *o) { forget(o); }, Qt::DirectConnection);
  return h;
}

void MessageHub::unregisterWindow(WindowHandle h) {
  QMutexLocker l(&m_lock);
  if (QObject *w = m_windows.take(h))
    m_handles.remove(w);
}

void MessageHub::forget(QObject *window) {
  QMutexLocker l(&m_lock);
  if (auto it = m_handles.find(window); it != m_handles.end()) {
    m_windows.remove(it.value());
    m_handles.erase(it);
  }
}

QObject *MessageHub::window(WindowHandle h) const {
  QMutexLocker l(&m_lock);
  return m_windows.value(h, nullptr);
}

WindowHandle MessageHub::findWindow(const QString &name) const {
  QMutexLocker l(&m_lock);
  WindowHandle found = 0;
  for (auto it = m_windows.constBegin(); it != m_windows.constEnd(); ++it)
    if ((found == 0 || it.key() < found) && it.value()->objectName() == name)
      found = it.key();
  return found;
}

intptr_t MessageHub::send(WindowHandle h, uint message, uintptr_t wParam, intptr_t lParam) {
  Q_ASSERT(!QCoreApplication::instance() ||
           QThread::currentThread() == QCoreApplication::instance()->thread());
  QObject *target = window(h);
  if (!target)
    return 0;
  HubEvent e(message, wParam, lParam);
  QCoreApplication::sendEvent(target, &e);
  return e.result();
}

bool MessageHub::post(WindowHandle h, uint message, uintptr_t wParam, intptr_t lParam) {
  // The lock is held across postEvent: a window that is being destroyed removes itself under the
  // same lock, and Qt drops events still queued for a destroyed receiver.
  QMutexLocker l(&m_lock);
  QObject *target = m_windows.value(h, nullptr);
  if (!target)
    return false;
  QCoreApplication::postEvent(target, new HubEvent(message, wParam, lParam));
  return true;
}

uint MessageHub::registerWindowMessage(const QString &name) {
  QMutexLocker l(&m_lock);
  const QString key = name.toUpper();
  if (auto it = m_registered.constFind(key); it != m_registered.constEnd())
    return it.value();
  const uint number = 0xC000 + static_cast<uint>(m_registered.size());
  m_registered.insert(key, number);
  return number;
}

MessageHub &hub() {
  static MessageHub h;
  return h;
}
