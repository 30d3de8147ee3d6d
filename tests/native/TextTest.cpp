#include <gtest/gtest.h>

#include <cstring>

#include "common/core/Text.h"

TEST(BoundedText, CopyCutsAndAlwaysTerminates) {
  char buf[5];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(0, CopyText(buf, "abcdefg"));
  EXPECT_STREQ("abcd", buf);
  EXPECT_EQ(1, CopyText(buf, "ab"));
  EXPECT_STREQ("ab", buf);
  EXPECT_EQ(1, AppendText(buf, "cd"));
  EXPECT_STREQ("abcd", buf);
  EXPECT_EQ(0, AppendText(buf, "e"));
  EXPECT_STREQ("abcd", buf);
  EXPECT_EQ(0, CopyText(buf, 0, "a")) << "no room at all";
}

TEST(BoundedText, AppendRepairsAnUnterminatedBuffer) {
  char buf[4];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(0, AppendText(buf, "y"));
  EXPECT_EQ('\0', buf[3]);
}

TEST(BoundedText, CopyNStopsAtCountOrNul) {
  char buf[10];
  EXPECT_EQ(1, CopyTextN(buf, sizeof buf, "abcdef", 3));
  EXPECT_STREQ("abc", buf);
  EXPECT_EQ(1, CopyTextN(buf, sizeof buf, "ab", 5));
  EXPECT_STREQ("ab", buf);
}

TEST(BoundedText, EqualsNoCaseIsWholeText) {
  EXPECT_TRUE(EqualsNoCase("TRUE", "true"));
  EXPECT_TRUE(EqualsNoCase("TyPe:Ps2", "TYPE:PS2"));
  EXPECT_FALSE(EqualsNoCase("TRUE ", "TRUE"));
  EXPECT_FALSE(EqualsNoCase("PR", "PRELOAD"));
  EXPECT_TRUE(EqualsNoCase("", ""));
}
