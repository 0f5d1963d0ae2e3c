#include "runtime/InstanceHandover.h"
#include "tests/support/Sandbox.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTest>

#include <cstring>
#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

struct Handover : ::testing::Test {
  QString folder = sandbox::makeTempDir(QStringLiteral("handover"));
  QString path = folder + QStringLiteral("/tolvane_TEST.socket");
  int shows = 0;
  int stops = 0;

  // Runs the client on a thread of its own while this thread serves.
  THandoverResult handOver(THandoverCommand command, std::function<void()> whileWaiting = {}) {
    auto result = std::async(std::launch::async,
                             [this, command] { return HandOver(path, command, 2000, 5000, 5000); });
    bool extraDone = false;
    while (result.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
      QCoreApplication::processEvents();
      if (whileWaiting && !extraDone && stops > 0) {
        extraDone = true;
        whileWaiting();
      }
    }
    return result.get();
  }
};

TEST_F(Handover, ShowAndStopReachTheirHandlers) {
  auto server = std::make_unique<THandoverServer>(path);
  server->OnShow = [this] { ++shows; };
  server->OnStop = [this] { ++stops; };
  ASSERT_TRUE(server->Listen());
  EXPECT_EQ(handOver(THandoverCommand::Show), THandoverResult::Done);
  EXPECT_EQ(shows, 1);
  // A stop is done when the instance has ended, here when the server goes.
  EXPECT_EQ(handOver(THandoverCommand::Stop, [&] { server.reset(); }), THandoverResult::Done);
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(QFile::exists(path));
}

TEST_F(Handover, NothingListeningIsNoInstance) {
  EXPECT_EQ(HandOver(path, THandoverCommand::Show, 200), THandoverResult::NoInstance);
  EXPECT_EQ(HandOver(QString(), THandoverCommand::Stop, 200), THandoverResult::NoInstance);
}

TEST_F(Handover, AStaleSocketIsReplaced) {
  // A socket file whose listener is gone, as a crashed instance leaves it.
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray native = QFile::encodeName(path);
  ASSERT_LT(size_t(native.size()), sizeof address.sun_path);
  std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
  ::close(fd);
  ASSERT_TRUE(QFileInfo(path).exists());
  EXPECT_EQ(HandOver(path, THandoverCommand::Show, 200), THandoverResult::NoInstance);

  THandoverServer server(path);
  server.OnShow = [this] { ++shows; };
  ASSERT_TRUE(server.Listen());
  EXPECT_EQ(handOver(THandoverCommand::Show), THandoverResult::Done);
  EXPECT_EQ(shows, 1);
}

TEST_F(Handover, TheSocketIsTheOwnersOnly) {
  THandoverServer server(path);
  ASSERT_TRUE(server.Listen());
  const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                    QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
  EXPECT_FALSE(QFileInfo(path).permissions() & others);
}

TEST_F(Handover, AnythingElseIsRefusedWithoutRunningAHandler) {
  THandoverServer server(path);
  server.OnShow = [this] { ++shows; };
  server.OnStop = [this] { ++stops; };
  ASSERT_TRUE(server.Listen());
  for (const QByteArray &request :
       {QByteArray("show\n"), QByteArray("STOPPED\n"), QByteArray(4096, 'x')}) {
    QLocalSocket socket;
    socket.connectToServer(path);
    ASSERT_TRUE(socket.waitForConnected(1000));
    socket.write(request);
    QByteArray answer;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
          answer += socket.readAll();
          return socket.state() == QLocalSocket::UnconnectedState;
        },
        5000));
    EXPECT_NE(answer, QByteArray("OK\n"));
  }
  EXPECT_EQ(shows + stops, 0);
}

TEST_F(Handover, TheSocketLiesBesideTheLockInTheRuntimeFolder) {
  EXPECT_EQ(HandoverSocketPath(QStringLiteral("tolvane_ANNA")),
            sandbox::runtimeDir() + QStringLiteral("/tolvane_ANNA.socket"));
  EXPECT_TRUE(InstanceName().startsWith(QStringLiteral("tolvane_")));
}

} // namespace
