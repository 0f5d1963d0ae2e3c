#include "services/FileWriteQueue.h"
#include "tests/support/Sandbox.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray readFile(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(FileWriteQueue, WritesInTheOrderAskedAndHandsEachOutcomeBack) {
  const QString folder = sandbox::makeTempDir(QStringLiteral("write-queue"));
  const QString file = folder + QStringLiteral("/backup.xml");
  const QString nowhere = folder + QStringLiteral("/missing/backup.xml");
  QStringList outcomes;
  TFileWriteQueue queue;
  for (const char *bytes : {"first", "second", "last"})
    queue.Write(file, bytes, [&outcomes, bytes](const QString &error) {
      outcomes << QString::fromLatin1(bytes) + u':' + error;
    });
  queue.Write(nowhere, "lost", [&outcomes](const QString &error) { outcomes << error; });
  ASSERT_TRUE(queue.WaitIdle(std::chrono::seconds(10)));
  ASSERT_EQ(outcomes.size(), 4);
  EXPECT_EQ(outcomes.mid(0, 3), (QStringList{"first:", "second:", "last:"}));
  EXPECT_TRUE(outcomes[3].contains(nowhere)) << outcomes[3].toStdString();
  EXPECT_EQ(readFile(file), "last");
  QCoreApplication::processEvents(); // the outcomes come once only
  EXPECT_EQ(outcomes.size(), 4);
}

TEST(FileWriteQueue, TheEndMakesTheWritesStillQueued) {
  const QString file = sandbox::makeTempDir(QStringLiteral("write-queue-end")) + "/backup.xml";
  {
    TFileWriteQueue queue;
    queue.Write(file, "kept", {});
  }
  EXPECT_EQ(readFile(file), "kept");
}
