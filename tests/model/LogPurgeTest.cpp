#include "model/LogPurge.h"

#include "SettingsSandbox.h"
#include "model/LogFile.h"
#include "model/Paths.h"
#include "platform/FormatSettings.h"

#include <QStringList>

#include <atomic>
#include <thread>

namespace {

// Today 2026-12-07; the limit is 2026-11-07 (day 46333).
const TDateTime kLimit = EncodeDate(2026, 11, 7);

FormatSettings pointSettings() {
  FormatSettings fs;
  fs.decimalSeparator = u'.';
  return fs;
}

QByteArray line(const char *day, const QByteArray &event) {
  return QByteArray("07.12.26    08:00:00\t") + day + "\tAnna\t" + event + "\t" + event + "\t";
}

// Runs the bytes through a filter in pieces of `piece` bytes.
QByteArray filtered(const QByteArray &log, qsizetype piece, qsizetype *held = nullptr) {
  QByteArray out;
  TLogPurgeFilter filter(kLimit, pointSettings(),
                         [&out](const char *data, qsizetype size) { out.append(data, size); });
  for (qsizetype at = 0; at < log.size(); at += piece)
    filter.feed(log.constData() + at, std::min(piece, log.size() - at));
  filter.finish();
  if (held)
    *held = filter.largestHeld();
  return out;
}

class LogPurge : public SettingsSandbox {
protected:
  LogPurge() : log(GetLogFileName(testModel.model)) {}
  // The lines of the file, without their line ends.
  QList<QByteArray> lines() const {
    QByteArray bytes = readFile(log);
    bytes.replace("\r\n", "\n");
    QList<QByteArray> out = bytes.split('\n');
    if (!out.isEmpty() && out.last().isEmpty())
      out.removeLast();
    return out;
  }
  // `old` lines of last year, then `recent` ones of today.
  void writeLog(int old, int recent) {
    QByteArray bytes;
    for (int i = 0; i < old; ++i)
      bytes += line("46000.5", "Old " + QByteArray::number(i)) + "\r\n";
    for (int i = 0; i < recent; ++i)
      bytes += line("46363.25", "Recent " + QByteArray::number(i)) + "\r\n";
    writeFile(log, bytes);
  }
  static QByteArray appended(int i) { return line("46363.5", "Appended " + QByteArray::number(i)); }
  void append(int i) const { AppendLogLine(log, QString::fromLatin1(appended(i))); }

  ScopedFormatSettings format{pointSettings()};
  const QString log;
};

} // namespace

TEST(LogPurgeFilter, KeepsWhatIsNotOldByteForByteInPiecesOfAnySize) {
  const QByteArray recent = line("46363.25", "Start");
  const QByteArray log = line("46000", "Start") + "\r\n" +     // old: goes
                         line("46333", "Start") + "\n" +       // at the limit: goes
                         recent + "\r\n" +                     // kept
                         "foreign text\r" +                    // kept, CR alone
                         "x\t46333,0000000116\tu\tStart\t\n" + // a millisecond later: kept
                         line("46332,5", "Start") + "\r\n" +   // old, comma: goes
                         "\r\n" +                              // an empty line: kept
                         "x\tnot a number\tu\t\r\n" +          // no moment: kept
                         "x\t46000 \tu\t\r\n" +                // blanks around: old all the same
                         "a lone\tfield\r\n" +                 // one TAB: kept
                         line("46362", "Stop");                // no line end: kept, ended
  const QByteArray expected =
      recent + "\r\n" + "foreign text\r" + "x\t46333,0000000116\tu\tStart\t\n" + "\r\n" +
      "x\tnot a number\tu\t\r\n" + "a lone\tfield\r\n" + line("46362", "Stop") + "\r\n";
  for (const qsizetype piece :
       {qsizetype(1), qsizetype(2), qsizetype(7), qsizetype(64), log.size()})
    EXPECT_EQ(filtered(log, piece), expected) << "pieces of " << piece;

  // Nothing old: nothing dropped, the bytes as they were (a last line ended).
  QByteArray out;
  TLogPurgeFilter keepAll(kLimit, pointSettings(),
                          [&out](const char *data, qsizetype size) { out.append(data, size); });
  keepAll.feed(recent.constData(), recent.size());
  keepAll.finish();
  EXPECT_FALSE(keepAll.dropped());
  EXPECT_EQ(out, recent + "\r\n");
}

TEST(LogPurgeFilter, HoldsNoMoreThanALinesHeadWhateverTheLogsSize) {
  // Over twenty megabytes: a line of our own with a text of 8 MB, a foreign line of 8 MB without
  // a TAB, and 100,000 ordinary lines of which the first half are old.
  const QByteArray huge(8 * 1024 * 1024, 'x');
  QByteArray log = line("46363.5", "Start") + huge + "\r\n" + huge + "\r\n";
  QByteArray expected = log;
  for (int i = 0; i < 100'000; ++i) {
    const QByteArray l = line(i < 50'000 ? "46100.5" : "46363.5", "Start") + "\r\n";
    log += l;
    if (i >= 50'000)
      expected += l;
  }
  qsizetype held = 0;
  const QByteArray out = filtered(log, 64 * 1024, &held);
  EXPECT_EQ(out.size(), expected.size());
  EXPECT_TRUE(out == expected);
  EXPECT_LE(held, TLogPurgeFilter::HeadLimit);
  EXPECT_GT(held, 0);
}

TEST_F(LogPurge, KeepsExactlyTheRecentLinesAndEveryLineAppendedWhileItRuns) {
  // Enough old lines for several reads of the file. A line is appended after each of the first
  // two reads, and one after the read that found the end.
  writeLog(5000, 3);
  int appends = 0;
  int reads = 0;
  ASSERT_TRUE(PurgeOldLogLines(log, kLimit, pointSettings(), {}, [&](qsizetype bytes) {
    if (++reads <= 2 || bytes == 0)
      append(appends++);
  }));
  ASSERT_GT(reads, 3);
  ASSERT_EQ(appends, 3);
  QList<QByteArray> expected;
  for (int i = 0; i < 3; ++i)
    expected << line("46363.25", "Recent " + QByteArray::number(i));
  for (int i = 0; i < appends; ++i)
    expected << appended(i);
  EXPECT_EQ(lines(), expected);
  EXPECT_EQ(QFileInfo(log).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);

  // A purge that removes nothing leaves the file as it is.
  const QByteArray before = readFile(log);
  ASSERT_TRUE(PurgeOldLogLines(log, kLimit, pointSettings()));
  EXPECT_EQ(readFile(log), before);
  EXPECT_FALSE(PurgeOldLogLines(log + QStringLiteral(".none"), kLimit, pointSettings()));
}

TEST_F(LogPurge, LinesAppendedByAnotherThreadAreNeverLost) {
  writeLog(20'000, 0);
  // The other thread appends a recent and an old line in turn, so that every purge meanwhile has
  // a line to drop and puts a new file in place.
  constexpr int kAppends = 2000;
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < kAppends; ++i) {
      append(i);
      AppendLogLine(log, QString::fromLatin1(line("46000.5", "Old")));
    }
    done = true;
  });
  bool purged = true;
  while (purged && !done)
    purged = PurgeOldLogLines(log, kLimit, pointSettings());
  writer.join();
  ASSERT_TRUE(purged);
  ASSERT_TRUE(PurgeOldLogLines(log, kLimit, pointSettings()));
  QList<QByteArray> expected;
  for (int i = 0; i < kAppends; ++i)
    expected << appended(i);
  EXPECT_EQ(lines(), expected);
}

TEST_F(LogPurge, ALogEmptiedOrReplacedWhileAPurgeRunsIsLeftAsItIs) {
  writeLog(5000, 2);
  bool emptied = false;
  ASSERT_TRUE(PurgeOldLogLines(log, kLimit, pointSettings(), {}, [&](qsizetype) {
    if (!std::exchange(emptied, true)) {
      EXPECT_TRUE(PurgeLog(log, true, TDateTime()));
    }
  }));
  EXPECT_EQ(readFile(log), QByteArray());

  // A stop request gives up, after the new file was begun: the old one stays whole, the new one
  // goes.
  writeLog(1000, 4000);
  std::stop_source stop;
  int reads = 0;
  ASSERT_TRUE(PurgeOldLogLines(log, kLimit, pointSettings(), stop.get_token(), [&](qsizetype) {
    if (++reads == 2)
      stop.request_stop();
  }));
  EXPECT_EQ(lines().size(), 5000);
  EXPECT_EQ(QDir(QFileInfo(log).path())
                .entryList({QStringLiteral(".tolvane.log.*")}, QDir::Files | QDir::Hidden),
            QStringList());
}

TEST_F(LogPurge, TheBackgroundPurgeWorksOnTheFileItWasGiven) {
  writeLog(100, 1);
  TBackgroundLogPurge purge;
  purge.Start(log, kLimit);
  purge.Wait();
  EXPECT_EQ(lines(), QList<QByteArray>{line("46363.25", "Recent 0")});
}
