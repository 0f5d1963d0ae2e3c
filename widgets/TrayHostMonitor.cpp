#include "widgets/TrayHostMonitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>

TTrayHostMonitor::TTrayHostMonitor(std::function<void()> onHostCreated, QObject *parent)
    : QObject(parent), m_onHostCreated(std::move(onHostCreated)) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected())
    return;
  m_watcher = new QDBusServiceWatcher(QString::fromLatin1(WatcherService), bus,
                                      QDBusServiceWatcher::WatchForRegistration, this);
  connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
    if (m_onHostCreated)
      m_onHostCreated();
  });
}

TTrayHostMonitor::~TTrayHostMonitor() = default;

bool TTrayHostMonitor::UsesStatusNotifier() {
  static const bool uses = [] {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
      return false;
    return bus.interface()->isServiceRegistered(QString::fromLatin1(WatcherService)).value();
  }();
  return uses;
}
