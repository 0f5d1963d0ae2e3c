#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

// A second start of the program hands over to the instance that runs for the same user: it asks
// it to show its main window, or (argument "stop") to end. The running instance listens on a
// local socket beside its instance lock, in the user's private runtime folder; the socket itself
// is open to its owner only. One line per connection: "SHOW" or "STOP", answered "OK" (or "ERR"
// for anything else). After "STOP" the connection stays open until the running instance has
// ended, so the stopping start can wait for that.

// The instance name: "tolvane_" and the login name as the single-instance lock takes it.
[[nodiscard]] QString InstanceName();
// The socket of the instance of that name: <runtime folder>/<name>.socket ("" without a folder).
[[nodiscard]] QString HandoverSocketPath(const QString &instanceName);

class THandoverServer : public QObject {
  Q_OBJECT
public:
  explicit THandoverServer(QString socketPath, QObject *parent = nullptr);
  ~THandoverServer() override;

  // Starts listening. Whatever lies at the path is left from an instance that ended without
  // cleaning up (this process holds the instance lock), so it is removed first. False when the
  // socket cannot be made.
  [[nodiscard]] bool Listen();
  [[nodiscard]] const QString &SocketPath() const { return m_path; }

  // Run on the GUI thread for each request; the answer goes back after they return.
  std::function<void()> OnShow;
  std::function<void()> OnStop;

  // The longest a connection may stay silent before it is dropped.
  static constexpr int RequestTimeoutMs = 5000;

private:
  void accept();
  void readRequest(QLocalSocket *socket);

  QString m_path;
  QLocalServer *m_server = nullptr;
};

enum class THandoverCommand { Show, Stop };
enum class THandoverResult {
  Done,       // the running instance answered (and, for Stop, has ended)
  NoInstance, // nothing listens: the instance is still starting, or gone
  NoAnswer    // it took the request but did not answer, or did not end in time
};

// Sends the command to the running instance and waits, within the time limits, for its answer
// and (Stop) for its end. Needs no display and no event loop.
THandoverResult HandOver(const QString &socketPath, THandoverCommand command,
                         int connectTimeoutMs = 2000, int answerTimeoutMs = 10000,
                         int endTimeoutMs = 10000);

// How long "stop" waits: for a starting instance to listen, between two tries, and for the
// running instance to connect, answer and end.
struct TStopLimits {
  int startMs = 30000;
  int retryMs = 100;
  int connectMs = 2000;
  int answerMs = 10000;
  int endMs = 10000;
};

// "stop": asks the instance of that name to end and waits until it has. An instance that holds
// its lock but does not listen yet is still starting: it is asked again until it listens. Gives 0
// once no instance holds the lock (also when none did); 1, with the reason on standard error,
// when the instance is still running after the limits.
[[nodiscard]] int StopRunningInstance(const QString &instanceName, const TStopLimits &limits = {});
