#include "model/XmlEncoding.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <random>

namespace {
const TDateTime Default = EncodeDateTime(2000, 1, 2, 3, 4, 5, 6);
TDateTime parse(const char *text) { return ParseXmlDateTime(QString::fromUtf8(text), Default); }
} // namespace

TEST(XmlDateTime, FormatsFixedColumns) {
  EXPECT_EQ(FormatXmlDateTime(TDateTime()), QStringLiteral("1899-12-30T00:00:00.000"));
  EXPECT_EQ(FormatXmlDateTime(EncodeDateTime(2024, 3, 5, 10, 30, 15, 250)),
            QStringLiteral("2024-03-05T10:30:15.250"));
  EXPECT_EQ(FormatXmlDateTime(EncodeDate(1, 1, 1)), QStringLiteral("0001-01-01T00:00:00.000"));
}

TEST(XmlDateTime, ParsesByColumnAndFallsBackToTheDefault) {
  EXPECT_EQ(parse("2024-05-06T10:30"), EncodeDateTime(2024, 5, 6, 10, 30, 0, 0));
  EXPECT_EQ(parse("2024-05-06T10:30:00+02:00"), EncodeDateTime(2024, 5, 6, 10, 30, 0, 0));
  EXPECT_EQ(parse("2024-05-06 10:30:15.250"), EncodeDateTime(2024, 5, 6, 10, 30, 15, 250));
  EXPECT_EQ(parse("2024-05-06T10:30:xx.123"), EncodeDateTime(2024, 5, 6, 10, 30, 0, 123));
  EXPECT_EQ(parse("2024-05-06T10:30:15.2"), EncodeDateTime(2024, 5, 6, 10, 30, 15, 0));
  EXPECT_EQ(parse("2024-05-06T10:30:15.250 and more"), EncodeDateTime(2024, 5, 6, 10, 30, 15, 250));
  for (const char *bad :
       {"2024-05-06", "2024-13-01T00:00:00.000", "2024-02-30T00:00", "2024-05-06T24:00",
        "2024-05-06T10:60", "abcd-05-06T10:30", "", "0000-01-01T00:00"})
    EXPECT_EQ(parse(bad), Default) << bad;
}

TEST(XmlDateTime, RoundTripsEveryMillisecondOfYearsOneTo9999) {
  std::mt19937_64 rng(42);
  const int64_t first = EncodeDate(1, 1, 1).ms;
  const int64_t last = EncodeDateTime(9999, 12, 31, 23, 59, 59, 999).ms;
  std::uniform_int_distribution<int64_t> pick(first, last);
  for (int i = 0; i < 2000; ++i) {
    const TDateTime t(pick(rng));
    ASSERT_EQ(ParseXmlDateTime(FormatXmlDateTime(t), Default), t)
        << FormatXmlDateTime(t).toStdString();
  }
}

TEST(HexLines, LayoutFollowsTheStreamSize) {
  EXPECT_EQ(BinToHexLines(QByteArray()), QString());
  const QString h31 = BinToHexLines(QByteArray(31, '\xAB'));
  EXPECT_EQ(h31, QString(62, u'A').replace(QStringLiteral("AA"), QStringLiteral("AB")));
  EXPECT_FALSE(h31.contains(u'\r'));
  EXPECT_EQ(BinToHexLines(QByteArray(32, '\x0F')),
            QStringLiteral("\r\n") +
                QString(32, u'0').replace(QStringLiteral("0"), QStringLiteral("0F")));
  const QString h33 = BinToHexLines(QByteArray(33, '\x01'));
  EXPECT_EQ(h33.size(), 2 + 64 + 2 + 2);
  EXPECT_TRUE(h33.startsWith(QStringLiteral("\r\n")));
  EXPECT_EQ(h33.mid(66), QStringLiteral("\r\n01"));
  const QString h64 = BinToHexLines(QByteArray(64, '\x7f'));
  EXPECT_EQ(h64.count(QStringLiteral("\r\n")), 2);
  EXPECT_FALSE(h64.endsWith(u'\n'));
}

TEST(HexLines, DecodesPairsWithWhiteSpaceBetweenThem) {
  EXPECT_EQ(HexLinesToBin(QStringLiteral("0a0B\r\n 1c")), QByteArray("\x0A\x0B\x1C", 3));
  EXPECT_EQ(HexLinesToBin(QStringLiteral("  \n")), QByteArray());
  for (const char *bad : {"0G", "ABC", "0 A", "{00}"})
    EXPECT_THROW((void)HexLinesToBin(QString::fromLatin1(bad)), EConvertError) << bad;
  const QByteArray all = [] {
    QByteArray b;
    for (int i = 0; i < 256; ++i)
      b.append(static_cast<char>(i));
    return b;
  }();
  EXPECT_EQ(HexLinesToBin(BinToHexLines(all)), all);
  EXPECT_EQ(HexLinesToBin(BinToHexLines(all).toLower()), all);
}

TEST(StrictIntegers, AcceptOnlyDecimalText) {
  int v = 0;
  EXPECT_TRUE(TryStrToInt(QStringLiteral(" 12 "), v));
  EXPECT_EQ(v, 12);
  EXPECT_TRUE(TryStrToInt(QStringLiteral("-2147483648"), v));
  EXPECT_EQ(v, INT32_MIN);
  EXPECT_TRUE(TryStrToInt(QStringLiteral("+2147483647"), v));
  EXPECT_EQ(v, INT32_MAX);
  for (const char *bad : {"", " ", "$1A", "1e3", "2147483648", "-2147483649", "12a", "+", "1 2",
                          "99999999999999999999"})
    EXPECT_FALSE(TryStrToInt(QString::fromLatin1(bad), v)) << bad;
  EXPECT_EQ(StripClassPrefix(QStringLiteral("TBitmap")), QStringLiteral("Bitmap"));
}
