#include "services/ShellWords.h"

#include <gtest/gtest.h>

TEST(ShellWords, BlanksSeparateWordsAndQuotesKeepThemTogether) {
  EXPECT_EQ(SplitShellWords("a b"), QStringList({"a", "b"}));
  EXPECT_EQ(SplitShellWords("  -v\t--out  file.txt \n"), QStringList({"-v", "--out", "file.txt"}));
  EXPECT_EQ(SplitShellWords("\"a b\" 'c d'"), QStringList({"a b", "c d"}));
  EXPECT_EQ(SplitShellWords("pre\"fix  mid\"'dle 'end"), QStringList({"prefix  middle end"}));
  EXPECT_EQ(SplitShellWords(""), QStringList());
  EXPECT_EQ(SplitShellWords("   "), QStringList());
}

TEST(ShellWords, EmptyQuotesAreAnEmptyArgument) {
  EXPECT_EQ(SplitShellWords("a \"\" ''"), QStringList({"a", "", ""}));
}

TEST(ShellWords, BackslashesEscapeAsAShellHasThem) {
  EXPECT_EQ(SplitShellWords(R"(a\ b c\"d \\e)"), QStringList({"a b", "c\"d", "\\e"}));
  // Inside double quotes only $ ` " \ are escaped; other backslashes stay.
  EXPECT_EQ(SplitShellWords(R"("a\"b" "c\\d" "\$x" "\n\t")"),
            QStringList({"a\"b", "c\\d", "$x", "\\n\\t"}));
  // Inside single quotes nothing is.
  EXPECT_EQ(SplitShellWords(R"('a\b' 'c\')"), QStringList({"a\\b", "c\\"}));
  // A line continuation joins, a backslash at the end stays.
  EXPECT_EQ(SplitShellWords("one\\\ntwo end\\"), QStringList({"onetwo", "end\\"}));
}

TEST(ShellWords, NothingIsExpanded) {
  EXPECT_EQ(SplitShellWords("$HOME ~ *.txt a;b `date` $(id)"),
            QStringList({"$HOME", "~", "*.txt", "a;b", "`date`", "$(id)"}));
}

TEST(ShellWords, AQuoteLeftOpenTakesTheRestOfTheText) {
  EXPECT_EQ(SplitShellWords("a \"b c"), QStringList({"a", "b c"}));
  EXPECT_EQ(SplitShellWords("a 'b c"), QStringList({"a", "b c"}));
}
