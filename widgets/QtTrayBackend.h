#pragma once

#include "widgets/TrayBackend.h"

#include <QObject>
#include <QSystemTrayIcon>

#include <vector>

// The notification area of the desktop, through QSystemTrayIcon. Qt reaches the desktop's tray
// either as a StatusNotifierItem over D-Bus or through the older XEmbed tray; this backend turns
// Qt's activations back into the mouse notifications a tray icon expects.
class TQtTrayBackend final : public QObject, public TTrayBackend {
  Q_OBJECT
public:
  explicit TQtTrayBackend(QObject *parent = nullptr);
  ~TQtTrayBackend() override;

  // Shows the icon. True also while the desktop has no tray: Qt shows it when one appears.
  [[nodiscard]] bool add(const TNotifyData &data) override;
  [[nodiscard]] bool modify(const TNotifyData &data) override;
  void remove() override;

  // The mouse notifications for one activation. A StatusNotifierItem host reports no double
  // click, so there a left click (singleClickOpens) also runs the double-click path.
  [[nodiscard]] static std::vector<int> MouseMessagesFor(QSystemTrayIcon::ActivationReason reason,
                                                         bool singleClickOpens);
  // Delivers one activation as its mouse notifications.
  void Activate(QSystemTrayIcon::ActivationReason reason);
  [[nodiscard]] QSystemTrayIcon &TrayIcon() { return m_tray; }

private:
  QSystemTrayIcon m_tray;
};
