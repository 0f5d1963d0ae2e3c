#include "model/LogFile.h"

#include "SettingsSandbox.h"
#include "model/Paths.h"
#include "model/UserData.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/FormatSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

namespace {

FormatSettings pinned(QChar decimal) {
  FormatSettings fs;
  fs.shortDateFormat = QStringLiteral("dd.mm.yy");
  fs.longTimeFormat = QStringLiteral("hh:nn:ss");
  fs.decimalSeparator = decimal;
  return fs;
}

class LogFile : public SettingsSandbox {
protected:
  LogFile() { SetCurrentUserName(QStringLiteral("Anna Lee")); }

  static QStringList fieldsOf(const QString &line) {
    QStringList f;
    SplitLogLine(line, f);
    return f;
  }

  ScopedFormatSettings format{pinned(u'.')};
  ManualClock clock{EncodeDateTime(2026, 12, 7, 14, 5, 9, 0)};
  ScopedClock clockScope{clock};
};

TLogFiring stickerAndSound() {
  TLogFiring f;
  f.fireTime = EncodeDateTime(2026, 12, 7, 8, 0, 0, 0);
  f.subject = QStringLiteral("Call Bob");
  f.sticker = true;
  f.sound = true;
  f.text = QStringLiteral("short");
  f.id = QStringLiteral("{0F0E}");
  return f;
}

} // namespace

TEST_F(LogFile, ProgramStartLineHasFiveFieldsTrailingTabAndCrLf) {
  WriteLog(QStringLiteral("Program start"));
  const QByteArray bytes = readFile(GetLogFileName());
  EXPECT_EQ(bytes, QByteArray("07.12.26    14:05:09\t46363.5869097222\tAnna Lee\tProgram start\t"
                              "Program start\t\r\n"));
  EXPECT_EQ(fieldsOf(QString::fromUtf8(bytes.chopped(2))).size(), 5);

  clock.advanceMs(1000);
  WriteLog(QStringLiteral("Program stop"));
  EXPECT_EQ(readFile(GetLogFileName()).count("\r\n"), 2);
  EXPECT_EQ(QFileInfo(GetLogFileName()).permissions() & QFileDevice::ReadOther, 0);
}

TEST_F(LogFile, FiringLineFields) {
  const QStringList f = fieldsOf(FiringLogLine(stickerAndSound()));
  ASSERT_EQ(f.size(), 12);
  EXPECT_EQ(f[0], QStringLiteral("07.12.26    08:00:00"));
  EXPECT_EQ(f[1], QStringLiteral("46363.3333333333"));
  EXPECT_EQ(f[2], QStringLiteral("Anna Lee"));
  EXPECT_EQ(f[3], QStringLiteral("Start"));
  EXPECT_EQ(f[4], QStringLiteral("Call Bob"));
  EXPECT_EQ(f.mid(5, 5),
            (QStringList{QStringLiteral("Sticker"), QStringLiteral("    "), QStringLiteral("Sound"),
                         QStringLiteral("    "), QStringLiteral("    ")}));
  EXPECT_EQ(f[10], QStringLiteral("short"));
  EXPECT_EQ(f[11], QStringLiteral("{0F0E}"));

  TLogFiring all = stickerAndSound();
  all.trayIcon = all.mail = all.shellExec = true;
  all.mailError = QStringLiteral("Sorry, email was not sent!\r\nConnection refused");
  const QStringList g = fieldsOf(FiringLogLine(all));
  EXPECT_EQ(g.mid(5, 5),
            (QStringList{QStringLiteral("Sticker"), QStringLiteral("Ico"), QStringLiteral("Sound"),
                         QStringLiteral("Mail"), QStringLiteral("ShellExec")}));
  EXPECT_EQ(g[10], QStringLiteral("Sorry, email was not sent!  Connection refused"));
}

TEST_F(LogFile, FiringFactsComeFromTheReminder) {
  TDataObject r(QStringLiteral("ABC"));
  const TDateTime fired = EncodeDateTime(2026, 12, 7, 8, 0, 0, 0);
  r.subject = QStringLiteral("Call Bob");
  r.text = QStringLiteral("text");
  r.tray = true;
  r.shellExec.enable = true;
  const QStringList f = fieldsOf(FiringLogLine(LogFiringOf(r, fired, QString())));
  ASSERT_EQ(f.size(), 12);
  EXPECT_EQ(f[0], QStringLiteral("07.12.26    08:00:00"));
  EXPECT_EQ(f.mid(4, 7),
            (QStringList{QStringLiteral("Call Bob"), QStringLiteral("    "), QStringLiteral("Ico"),
                         QStringLiteral("    "), QStringLiteral("    "),
                         QStringLiteral("ShellExec"), QStringLiteral("text")}));
  EXPECT_EQ(f[11], QStringLiteral("ABC"));
  EXPECT_EQ(fieldsOf(FiringLogLine(LogFiringOf(r, fired, QStringLiteral("failed"))))[10],
            QStringLiteral("failed"));
}

// A sound whose file was missing was logged as "Sound", as if it had played.
TEST_F(LogFile, ASoundWithoutItsFileIsLoggedAsFailedNotAsPlayed) {
  TDataObject r(QStringLiteral("ABC"));
  const TDateTime fired = EncodeDateTime(2026, 12, 7, 8, 0, 0, 0);
  r.text = QStringLiteral("text");
  r.sound.enable = true;
  const QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString missing = folder.filePath(QStringLiteral("gone.wav"));
  r.sound.fileName = missing;
  QStringList f = fieldsOf(FiringLogLine(LogFiringOf(r, fired, QString())));
  ASSERT_EQ(f.size(), 12);
  EXPECT_EQ(f[7], QStringLiteral("    "));
  EXPECT_EQ(f[10], QStringLiteral("The sound file is not found: ") + missing);
  // With the mail's failure too, both are told.
  f = fieldsOf(FiringLogLine(LogFiringOf(r, fired, QStringLiteral("mail failed"))));
  EXPECT_EQ(f[10], QStringLiteral("mail failed; The sound file is not found: ") + missing);
  r.sound.fileName.clear();
  EXPECT_EQ(fieldsOf(FiringLogLine(LogFiringOf(r, fired, QString())))[10],
            QStringLiteral("No sound file is chosen."));
  // A file that is there is played: the line says so and keeps the text.
  QFile present(missing);
  ASSERT_TRUE(present.open(QIODevice::WriteOnly));
  present.close();
  r.sound.fileName = missing;
  f = fieldsOf(FiringLogLine(LogFiringOf(r, fired, QString())));
  EXPECT_EQ(f[7], QStringLiteral("Sound"));
  EXPECT_EQ(f[10], QStringLiteral("text"));
}

TEST_F(LogFile, TextCellIsCutAfterTwentyFiveCharacters) {
  TLogFiring f = stickerAndSound();
  f.text = QStringLiteral("abcdefghijklmnopqrstuvwxyz"); // 26
  EXPECT_EQ(fieldsOf(FiringLogLine(f))[10], QStringLiteral("abcdefghijklmnopqrstuvwxy..."));
  f.text = QStringLiteral("abcdefghijklmnopqrstuvwxy"); // 25
  EXPECT_EQ(fieldsOf(FiringLogLine(f))[10], QStringLiteral("abcdefghijklmnopqrstuvwxy"));
  f.text = QStringLiteral("L1\r\nL2\vL3");
  EXPECT_EQ(fieldsOf(FiringLogLine(f))[10], QStringLiteral("L1  L2 L3"));
  f.text.clear();
  EXPECT_EQ(fieldsOf(FiringLogLine(f))[10], QStringLiteral("    "));
  // A character outside the basic plane is not cut in half.
  f.text = QString(24, u'x') + QString::fromUtf8("\xF0\x9F\x98\x80") + u'y';
  EXPECT_EQ(fieldsOf(FiringLogLine(f))[10],
            QString(24, u'x') + QString::fromUtf8("\xF0\x9F\x98\x80") + QStringLiteral("..."));
}

TEST_F(LogFile, LineBreaksAndTabsInSubjectStayOnOneLine) {
  TLogFiring f = stickerAndSound();
  f.subject = QStringLiteral("Line one\r\nLine\ttwo\rthree\nfour");
  f.text = QStringLiteral("a\tb");
  f.mailError = QString();
  AppendLogLine(FiringLogLine(f));
  const QByteArray bytes = readFile(GetLogFileName());
  EXPECT_EQ(bytes.count("\r\n"), 1);
  EXPECT_EQ(bytes.count('\n'), 1);
  EXPECT_EQ(bytes.count('\r'), 1);
  const QStringList fields = fieldsOf(QString::fromUtf8(bytes.chopped(2)));
  ASSERT_EQ(fields.size(), 12);
  EXPECT_EQ(fields[4], QStringLiteral("Line one  Line two three four"));
  EXPECT_EQ(fields[10], QStringLiteral("a b"));
}

TEST_F(LogFile, AppendIgnoresEmptyLinesAndErrors) {
  AppendLogLine(QString());
  EXPECT_FALSE(QFileInfo::exists(GetLogFileName()));
  // A regular file where the folder should be: the line is lost, nothing is raised.
  const QString blocked = sandbox::makeTempDir(QStringLiteral("log")) + QStringLiteral("/file");
  writeFile(blocked, "x");
  EXPECT_NO_THROW(AppendLogLine(blocked + QStringLiteral("/tolvane.log"), QStringLiteral("x")));
}

TEST_F(LogFile, SplitTakesEitherDecimalSeparator) {
  QStringList f;
  SplitLogLine(QStringLiteral("a\t46363,5\tuser\tStart\tlost"), f);
  EXPECT_EQ(f, (QStringList{QStringLiteral("a"), QStringLiteral("46363.5"), QStringLiteral("user"),
                            QStringLiteral("Start")}));
  SplitLogLine(QStringLiteral("no tab here"), f);
  EXPECT_TRUE(f.isEmpty());

  ScopedFormatSettings comma(pinned(u','));
  SplitLogLine(QStringLiteral("a\t46363.5\t"), f);
  EXPECT_EQ(f[1], QStringLiteral("46363,5"));
  double v = 0;
  ASSERT_TRUE(TryStrToFloat(f[1], v));
  EXPECT_DOUBLE_EQ(v, 46363.5);
  // Written under a "," locale, the number has no group separator and reads back.
  EXPECT_EQ(fieldsOf(ProgramEventLogLine(QStringLiteral("Pause on"),
                                         EncodeDateTime(2026, 12, 7, 14, 5, 9, 0)))[1],
            QStringLiteral("46363,5869097222"));
}

TEST_F(LogFile, PurgeBoundaryAtMidnight) {
  const QString log = GetLogFileName();
  // Today 2026-12-07 (46363); thirty days earlier is 46333.
  writeFile(log, "x\t46333\tu\tStart\t\r\n"
                 "x\t46333,0000000116\tu\tStart\t\r\n"
                 "x\t46332.9\tu\tStart\t\r\n"
                 "foreign text\r\n"
                 "x\tnot a number\tu\tStart\t\r\n"
                 "x\t46363.5\tu\tProgram start\tProgram start\t\r\n");
  const TDateTime limit = LogPurgeLimit(clock.today());
  EXPECT_EQ(limit, EncodeDate(2026, 11, 7));
  EXPECT_TRUE(PurgeLog(log, false, limit));
  EXPECT_EQ(readFile(log), QByteArray("x\t46333,0000000116\tu\tStart\t\r\n"
                                      "foreign text\r\n"
                                      "x\tnot a number\tu\tStart\t\r\n"
                                      "x\t46363.5\tu\tProgram start\tProgram start\t\r\n"));
  ScopedFormatSettings comma(pinned(u','));
  EXPECT_TRUE(PurgeLog(log, false, EncodeDate(2026, 11, 8)));
  EXPECT_EQ(readFile(log).count("\r\n"), 3);

  EXPECT_TRUE(PurgeLog(log, true, limit));
  EXPECT_EQ(readFile(log), QByteArray());
  EXPECT_FALSE(PurgeLog(log + QStringLiteral(".none"), true, limit));
}

TEST_F(LogFile, PurgeThatRemovesNothingLeavesTheFileAlone) {
  const QString log = GetLogFileName();
  const QByteArray original = "x\t46360.25\tu\tStart\t\nforeign\r\n\xE4 old ANSI\t46362\tu\t";
  writeFile(log, original);
  const QDateTime before = QFileInfo(log).lastModified();
  QThread::msleep(20);
  EXPECT_TRUE(PurgeLog(log, false, EncodeDate(2026, 11, 7)));
  EXPECT_EQ(readFile(log), original);
  EXPECT_EQ(QFileInfo(log).lastModified(), before);

  // Kept lines keep their bytes when another line goes.
  EXPECT_TRUE(PurgeLog(log, false, EncodeDate(2026, 12, 5)));
  EXPECT_EQ(readFile(log), QByteArray("foreign\r\n\xE4 old ANSI\t46362\tu\t\r\n"));
}

TEST_F(LogFile, PurgeErrorsRaise) {
  const QString dir = sandbox::makeTempDir(QStringLiteral("purge"));
  // A folder where the file is expected cannot be read as a log.
  QDir().mkpath(dir + QStringLiteral("/tolvane.log"));
  EXPECT_THROW(PurgeLog(dir + QStringLiteral("/tolvane.log"), true, TDateTime()), EFileError);
}

TEST_F(LogFile, PurgeLimitPeriod) {
  const TDateTime today = EncodeDateTime(2026, 12, 7, 14, 0, 0, 0);
  EXPECT_EQ(LogPurgeLimit(today), EncodeDate(2026, 11, 7));
  local.writeString(QStringLiteral("Config"), QStringLiteral("LogClearPeriod"),
                    QStringLiteral("2"));
  EXPECT_EQ(LogPurgeLimit(today), EncodeDate(2026, 12, 5));
  local.writeString(QStringLiteral("Config"), QStringLiteral("LogClearPeriod"),
                    QStringLiteral("0"));
  EXPECT_EQ(LogPurgeLimit(today), EncodeDate(2026, 12, 7));
  // Not a number, or negative (which would wipe the whole log at every start): 30 days.
  for (const char *bad : {"abc", "-5", ""}) {
    local.writeString(QStringLiteral("Config"), QStringLiteral("LogClearPeriod"),
                      QString::fromLatin1(bad));
    EXPECT_EQ(LogPurgeLimit(today), EncodeDate(2026, 11, 7)) << bad;
  }
}
