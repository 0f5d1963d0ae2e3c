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

using Outcome = TFileWriteQueue::TOutcome;

TFileWriteQueue::Producer bytesOf(const char *text) {
  return [text] { return std::optional<QByteArray>(text); };
}

TEST(FileWriteQueue, WritesInTheOrderAskedAndHandsEachOutcomeBack) {
  const QString folder = sandbox::makeTempDir(QStringLiteral("write-queue"));
  const QString file = folder + QStringLiteral("/backup.xml");
  const QString nowhere = folder + QStringLiteral("/missing/backup.xml");
  QStringList outcomes;
  const auto record = [&outcomes](const QString &name) {
    return [&outcomes, name](Outcome outcome, const QString &error) {
      outcomes << name + u' ' + QString::number(int(outcome)) + u' ' + error;
    };
  };
  TFileWriteQueue queue;
  for (const char *bytes : {"first", "second", "last"})
    queue.Write(file, bytesOf(bytes), record(QString::fromLatin1(bytes)));
  queue.Write(
      file, [] { return std::optional<QByteArray>(); }, record(QStringLiteral("none")));
  queue.Write(nowhere, bytesOf("lost"), record(QStringLiteral("lost")));
  ASSERT_TRUE(queue.WaitIdle(std::chrono::seconds(10)));
  ASSERT_EQ(outcomes.size(), 5);
  EXPECT_EQ(outcomes.mid(0, 4), (QStringList{"first 0 ", "second 0 ", "last 0 ", "none 2 "}));
  EXPECT_TRUE(outcomes[4].startsWith(QStringLiteral("lost 1 ")));
  EXPECT_TRUE(outcomes[4].contains(nowhere)) << outcomes[4].toStdString();
  EXPECT_EQ(readFile(file), "last"); // nothing to write left it as it was
  QCoreApplication::processEvents(); // the outcomes come once only
  EXPECT_EQ(outcomes.size(), 5);
}

TEST(FileWriteQueue, TheEndMakesTheWritesStillQueued) {
  const QString file = sandbox::makeTempDir(QStringLiteral("write-queue-end")) + "/backup.xml";
  {
    TFileWriteQueue queue;
    queue.Write(file, bytesOf("kept"), {});
  }
  EXPECT_EQ(readFile(file), "kept");
}
