#include "services/CommaText.h"

#include <gtest/gtest.h>

TEST(CommaText, QuotedItemsKeepBlanksAndCommas) {
  EXPECT_EQ(CommaTextToList(QStringLiteral("\"C:\\My File.txt\",b.txt")),
            (QStringList{QStringLiteral("C:\\My File.txt"), QStringLiteral("b.txt")}));
  EXPECT_EQ(CommaTextToList(QStringLiteral("\"a, b\" , c")),
            (QStringList{QStringLiteral("a, b"), QStringLiteral("c")}));
}

TEST(CommaText, UnquotedItemsEndAtWhiteSpace) {
  EXPECT_EQ(CommaTextToList(QStringLiteral("a b")),
            (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
  EXPECT_EQ(CommaTextToList(QStringLiteral("  x ,\ty  ")),
            (QStringList{QStringLiteral("x"), QStringLiteral("y")}));
}

TEST(CommaText, DoubledQuotesAndEmptyItems) {
  EXPECT_EQ(CommaTextToList(QStringLiteral("\"say \"\"hi\"\"\"")),
            (QStringList{QStringLiteral("say \"hi\"")}));
  EXPECT_EQ(CommaTextToList(QStringLiteral("a,,b")),
            (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
  EXPECT_EQ(CommaTextToList(QStringLiteral("a,")), (QStringList{QStringLiteral("a"), QString()}));
  EXPECT_TRUE(CommaTextToList(QString()).isEmpty());
  EXPECT_TRUE(CommaTextToList(QStringLiteral("   ")).isEmpty());
  // An unterminated quote takes the rest of the text.
  EXPECT_EQ(CommaTextToList(QStringLiteral("\"open, end")),
            (QStringList{QStringLiteral("open, end")}));
}

TEST(CommaText, WriterRoundTrips) {
  const QStringList items{QStringLiteral("/tmp/plain.txt"),
                          QStringLiteral("/tmp/My File.txt"),
                          QStringLiteral("a,b"),
                          QStringLiteral("quote\"inside"),
                          QString(),
                          QStringLiteral("t\tab")};
  const QString text = ListToCommaText(items);
  EXPECT_EQ(text, QStringLiteral("/tmp/plain.txt,\"/tmp/My File.txt\",\"a,b\",\"quote\"\"inside\","
                                 "\"\",\"t\tab\""));
  EXPECT_EQ(CommaTextToList(text), items);
  EXPECT_EQ(CommaTextToList(ListToCommaText({QString()})), QStringList{QString()});
}
