#include "runtime/SignalBridge.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};
constexpr int Handled[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onSignal(int signal) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(signal);
  // Async-signal-safe; a full pipe drops the byte, which is harmless: one is enough.
  [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
  errno = saved;
}

} // namespace

TSignalBridge::TSignalBridge(QObject *parent) : QObject(parent) {
  if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
    return;
  m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, &TSignalBridge::readSignals);
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int s : Handled)
    ::sigaction(s, &action, nullptr);
}

TSignalBridge::~TSignalBridge() {
  if (!m_notifier)
    return;
  for (int s : Handled)
    ::signal(s, SIG_DFL);
  delete m_notifier;
  ::close(g_pipe[0]);
  ::close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

void TSignalBridge::readSignals() {
  unsigned char bytes[16];
  for (int round = 0; round < 64; ++round) { // bounded: the pipe is drained well before
    const ssize_t n = ::read(g_pipe[0], bytes, sizeof bytes);
    if (n <= 0)
      break;
    for (ssize_t i = 0; i < n; ++i)
      if (OnSignal)
        OnSignal(bytes[i]);
  }
}
