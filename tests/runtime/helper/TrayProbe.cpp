// Exits 0 when the display has a notification area that a tray icon can use.
#include <QApplication>
#include <QSystemTrayIcon>

#include <cstdio>

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  const bool available = QSystemTrayIcon::isSystemTrayAvailable();
  std::printf("system tray available: %s\n", available ? "yes" : "no");
  return available ? 0 : 1;
}
