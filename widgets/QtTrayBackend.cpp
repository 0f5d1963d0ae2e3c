#include "widgets/QtTrayBackend.h"

#include "widgets/TrayHostMonitor.h"

#include <QPointer>

TQtTrayBackend::TQtTrayBackend(QObject *parent) : QObject(parent) {
  connect(&m_tray, &QSystemTrayIcon::activated, this, &TQtTrayBackend::Activate);
}

TQtTrayBackend::~TQtTrayBackend() { m_tray.hide(); }

bool TQtTrayBackend::add(const TNotifyData &data) {
  m_tray.setIcon(data.icon);
  m_tray.setToolTip(data.tip);
  m_tray.show();
  return true;
}

bool TQtTrayBackend::modify(const TNotifyData &data) {
  // Qt re-sends the picture to the desktop on every setIcon, so an unchanged frame is skipped.
  if (m_tray.icon().cacheKey() != data.icon.cacheKey())
    m_tray.setIcon(data.icon);
  if (m_tray.toolTip() != data.tip)
    m_tray.setToolTip(data.tip);
  return true;
}

void TQtTrayBackend::remove() { m_tray.hide(); }

std::vector<int> TQtTrayBackend::MouseMessagesFor(QSystemTrayIcon::ActivationReason reason,
                                                  bool singleClickOpens) {
  using namespace tray_mouse;
  switch (reason) {
  case QSystemTrayIcon::Trigger:
    if (singleClickOpens)
      return {LeftDown, LeftUp, LeftDouble, LeftUp};
    return {LeftDown, LeftUp};
  case QSystemTrayIcon::DoubleClick:
    return {LeftDouble, LeftUp};
  case QSystemTrayIcon::Context:
    return {RightDown, RightUp};
  case QSystemTrayIcon::MiddleClick:
    return {MiddleDown, MiddleUp};
  case QSystemTrayIcon::Unknown:
    break;
  }
  return {};
}

void TQtTrayBackend::Activate(QSystemTrayIcon::ActivationReason reason) {
  const bool singleClickOpens =
      reason == QSystemTrayIcon::Trigger && TTrayHostMonitor::UsesStatusNotifier();
  QPointer<TQtTrayBackend> self(this);
  for (int mouseMessage : MouseMessagesFor(reason, singleClickOpens)) {
    // A handler may have released the icon, and this backend with it.
    if (!self || !onMouse)
      return;
    onMouse(mouseMessage);
  }
}
