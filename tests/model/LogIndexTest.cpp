#include "model/LogIndex.h"

#include "SettingsSandbox.h"
#include "model/LogFile.h"
#include "platform/Errors.h"
#include "platform/FormatSettings.h"

namespace {

class LogIndex : public SettingsSandbox {
protected:
  // The listed lines as the page read them before: every line split, the ones of ours with an
  // event word other than "Error", with their moments.
  static QList<std::pair<QString, TDateTime>> splitEveryLine(const QString &path) {
    QList<std::pair<QString, TDateTime>> out;
    QStringList fields;
    for (const QString &l : ReadLogLines(path)) {
      SplitLogLine(l, fields);
      if (fields.size() < 4 || fields[3] == QLatin1String("Error"))
        continue;
      double days = 0;
      out << std::pair{l, TryStrToFloat(fields[1], days) ? FromDays(days) : TDateTime()};
    }
    return out;
  }
  static QList<std::pair<QString, TDateTime>> indexed(const TLogIndex &index) {
    QList<std::pair<QString, TDateTime>> out;
    for (int i = 0; i < index.Count(); ++i)
      out << std::pair{index.LineText(i), index.At(i).time};
    return out;
  }

  ScopedFormatSettings format{FormatSettings()};
  const QString path = sandbox::makeTempDir(QStringLiteral("log-index")) + "/tolvane.log";
};

} // namespace

TEST_F(LogIndex, ListsWhatSplittingEveryLineListedAcrossEveryBufferBoundary) {
  // Lines of many lengths, so that line ends (a CR LF among them) fall on the boundaries of the
  // index's reads; line ends of every kind; an error, foreign and short lines; a line longer than
  // a whole read; a last line without a line end.
  QByteArray bytes;
  for (int i = 0; bytes.size() < 3 * 1024 * 1024; ++i) {
    const QByteArray day = QByteArray::number(46000 + i % 400) + "," + QByteArray::number(i % 97);
    const QByteArray text(i % 333, 'a' + char(i % 26));
    const char *const ends[] = {"\r\n", "\n", "\r"};
    bytes += "d\t" + day + "\tAnna\t" + (i % 50 == 7 ? "Error" : "Start") + "\t" + text + "\t" +
             ends[i % 3];
    if (i % 1000 == 3)
      bytes += "foreign text\r\nx\ty\tz\r\n\r\n";
    if (i == 2000)
      bytes += "d\t46001.5\tAnna\tStart\t" + QByteArray(1536 * 1024, 'L') + "\t\r\n";
  }
  bytes += "d\t46363.25\tAnna\tStop\tlast\t";
  writeFile(path, bytes);

  const TLogIndex index = TLogIndex::Read(path);
  const auto expected = splitEveryLine(path);
  ASSERT_EQ(index.Count(), expected.size());
  const auto got = indexed(index);
  int differing = 0;
  for (qsizetype i = 0; i < got.size(); ++i) {
    const bool overlong = expected[i].first.size() > 1024 * 1024;
    // A line of more than half a megabyte shows its start.
    if (got[i].second != expected[i].second ||
        (overlong ? !expected[i].first.startsWith(got[i].first)
                  : got[i].first != expected[i].first))
      ++differing;
  }
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(index.LineText(index.Count() - 1), QStringLiteral("d\t46363.25\tAnna\tStop\tlast\t"));
}

TEST_F(LogIndex, KeepsReadingTheFileItIndexedAfterAPurgeReplacedIt) {
  writeFile(path, "d\t46000.5\tAnna\tStart\told\t\r\nd\t46363.5\tAnna\tStart\tnew\t\r\n");
  const TLogIndex index = TLogIndex::Read(path);
  ASSERT_TRUE(PurgeLog(path, false, EncodeDate(2026, 11, 7)));
  ASSERT_EQ(index.Count(), 2);
  EXPECT_EQ(index.LineText(0), QStringLiteral("d\t46000.5\tAnna\tStart\told\t"));
  EXPECT_EQ(TLogIndex::Read(path).Count(), 1);

  EXPECT_EQ(TLogIndex::Read(path + ".none").Count(), 0);
  QFile::remove(path);
  QDir().mkpath(path);
  EXPECT_THROW((void)TLogIndex::Read(path), EFileError);
}
