#include "services/TextHelpers.h"

#include <gtest/gtest.h>

TEST(CompareText, FoldsOnlyAsciiLettersToUpperCase) {
  EXPECT_EQ(CompareText("Reminder", "rEMINDER"), 0);
  EXPECT_LT(CompareText("apple", "Banana"), 0);
  EXPECT_LT(CompareText("ab", "abc"), 0);
  // "_" lies between "Z" and "a": after every letter once they are folded up.
  EXPECT_GT(CompareText("a_", "AZ"), 0);
  // No folding beyond ASCII: "É" (U+00C9) and "é" (U+00E9) differ, and both follow "z".
  EXPECT_NE(CompareText(u8"\u00c9", u8"\u00e9"), 0);
  EXPECT_GT(CompareText(u8"\u00e9", "z"), 0);
}

TEST(StripHotkey, DropsAcceleratorMarksAndKeepsADoubledOne) {
  EXPECT_EQ(StripHotkey("&About"), "About");
  EXPECT_EQ(StripHotkey("Save a&ll && exit&"), "Save all & exit");
}
