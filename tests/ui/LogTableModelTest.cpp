// Filtering, order and cells of the log page's rows.
#include "ui/LogTableModel.h"

#include "model/LogIndex.h"
#include "platform/FormatSettings.h"
#include "tests/support/Sandbox.h"
#include "ui/IconLibrary.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QString line(const QStringList &fields) { return fields.join(u'\t') + u'\t'; }

QString firing(TDateTime t, const QString &subject, const QString &id) {
  return line({QStringLiteral("date text"), FloatToStr(ToDays(t)), QStringLiteral("Anna"),
               QStringLiteral("Start"), subject, QStringLiteral("Sticker"), QStringLiteral("    "),
               QStringLiteral("    "), QStringLiteral("Mail"), QStringLiteral("    "),
               QStringLiteral("some text"), id});
}

QString event(TDateTime t, const QString &word) {
  return line(
      {QStringLiteral("date text"), FloatToStr(ToDays(t)), QStringLiteral("Anna"), word, word});
}

// Day numbers written with "," (and read back by any reader).
FormatSettings commaLocale() {
  FormatSettings fs;
  fs.shortDateFormat = QStringLiteral("dd.mm.yy");
  fs.longTimeFormat = QStringLiteral("hh:nn:ss");
  fs.decimalSeparator = u',';
  return fs;
}

class LogRows : public ::testing::Test {
protected:
  // The rows of a log file of these lines.
  void setLines(const QStringList &lines) {
    const QString path = sandbox::makeTempDir(QStringLiteral("log-rows")) + "/tolvane.log";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (const QString &l : lines)
      f.write(l.toUtf8() + "\r\n");
    f.close();
    model.setIndex(TLogIndex::Read(path));
  }
  QStringList column(int c, int role = Qt::DisplayRole) const {
    QStringList out;
    for (int r = 0; r < model.rowCount(); ++r)
      out << model.data(model.index(r, c), role).toString();
    return out;
  }

  ScopedFormatSettings format{commaLocale()};
  TLogTableModel model;
  const TDateTime today = EncodeDate(2026, 12, 7);
};

} // namespace

TEST_F(LogRows, ADayShowsOnlyItsLinesNewestFirst) {
  setLines({event(today - OneHour, QStringLiteral("Program start")),
            firing(today + 8 * OneHour, QStringLiteral("Morning"), QStringLiteral("{A}")),
            event(today + 9 * OneHour, QStringLiteral("Error")),
            event(today + 10 * OneHour, QStringLiteral("Pause on")),
            firing(today + OneDay + OneHour, QStringLiteral("Tomorrow"), QStringLiteral("{B}")),
            event(today + 11 * OneHour, QStringLiteral("Program stop"))});
  model.applyFilter(today, today + OneDay);
  EXPECT_EQ(column(TLogTableModel::ColumnSubject),
            (QStringList{"Program stop", "Pause on", "Morning"}));
  EXPECT_EQ(column(TLogTableModel::ColumnDateTime)[2], QStringLiteral("07.12.26        08:00:00"));
  EXPECT_EQ(column(TLogTableModel::ColumnSubject, IconIndexRole), (QStringList{"34", "5", "14"}));
  // A firing shows icons only where its actions ran, and carries its reminder's id.
  EXPECT_EQ(column(TLogTableModel::ColumnSticker, IconIndexRole)[2], "20");
  EXPECT_EQ(column(TLogTableModel::ColumnIco, IconIndexRole)[2], "-1");
  EXPECT_EQ(column(TLogTableModel::ColumnMail, IconIndexRole)[2], "6");
  EXPECT_EQ(column(TLogTableModel::ColumnText)[2], "some text");
  EXPECT_EQ(column(0, TLogTableModel::IdRole), (QStringList{"", "", "{A}"}));
  EXPECT_EQ(model.headerData(0, Qt::Horizontal, IconIndexRole).toInt(), 7);

  // File order, and no bound at all: every line but the error.
  model.setSortOrder(TLogTableModel::SortFileOrder);
  model.applyFilter(TDateTime(), TDateTime());
  EXPECT_EQ(column(TLogTableModel::ColumnSubject),
            (QStringList{"Program start", "Morning", "Pause on", "Tomorrow", "Program stop"}));
  EXPECT_EQ(model.headerData(0, Qt::Horizontal, IconIndexRole).toInt(), 8);
}

// Lines of other programs or cut short never break the list.
TEST_F(LogRows, ShortAndForeignLinesShowAsFarAsTheyGo) {
  const QString full = firing(today + OneHour, QStringLiteral("Cut"), QStringLiteral("{C}"));
  setLines({QStringLiteral("no tabs at all"), QStringLiteral("a\tb\tc\t"),
            full.left(full.indexOf(QStringLiteral("Sticker"))),
            QStringLiteral("x\tnot a number\tBob\tStart\tOdd time\t")});
  model.applyFilter(TDateTime(), TDateTime());
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(column(TLogTableModel::ColumnSubject), (QStringList{"Odd time", "Cut"}));
  EXPECT_EQ(column(TLogTableModel::ColumnDateTime)[0], "");
  EXPECT_EQ(column(TLogTableModel::ColumnSticker, IconIndexRole)[1], "-1");
  EXPECT_EQ(column(TLogTableModel::ColumnText)[1], "");
  EXPECT_EQ(column(0, TLogTableModel::IdRole)[1], "");
  // With a bound, a line whose time cannot be read is left out.
  model.applyFilter(today, TDateTime());
  EXPECT_EQ(column(TLogTableModel::ColumnSubject), (QStringList{"Cut"}));
}
