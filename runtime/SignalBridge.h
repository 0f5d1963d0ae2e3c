#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (logout, kill, Ctrl+C, a closed terminal) into a call on the
// GUI thread, so the program can end as by "Exit" and save what it holds. The signal handler only
// writes a byte into a pipe; the call happens when the event loop reads it. One bridge per
// process.
class TSignalBridge : public QObject {
  Q_OBJECT
public:
  explicit TSignalBridge(QObject *parent = nullptr);
  ~TSignalBridge() override;
  TSignalBridge(const TSignalBridge &) = delete;
  TSignalBridge &operator=(const TSignalBridge &) = delete;

  // Whether the handlers are in place.
  [[nodiscard]] bool Installed() const { return m_notifier != nullptr; }

  // Called on the GUI thread with the signal's number.
  std::function<void(int signal)> OnSignal;

private:
  void readSignals();

  QSocketNotifier *m_notifier = nullptr;
};
