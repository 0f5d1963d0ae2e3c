#pragma once

#include <QObject>

#include <functional>

class QDBusServiceWatcher;

// Watches the desktop's tray host. Where the tray is a StatusNotifierItem host (the D-Bus service
// org.kde.StatusNotifierWatcher), a host that starts again (after a crash or a restart of the
// panel) is reported, so the program can put its icon back as it did when the shell's taskbar
// was created again. Without a session bus it reports nothing.
class TTrayHostMonitor : public QObject {
  Q_OBJECT
public:
  explicit TTrayHostMonitor(std::function<void()> onHostCreated, QObject *parent = nullptr);
  ~TTrayHostMonitor() override;

  // Whether the session's tray is a StatusNotifierItem host. Asked once per process, as Qt
  // chooses its tray backend once.
  [[nodiscard]] static bool UsesStatusNotifier();

  static constexpr const char *WatcherService = "org.kde.StatusNotifierWatcher";

private:
  std::function<void()> m_onHostCreated;
  QDBusServiceWatcher *m_watcher = nullptr;
};
