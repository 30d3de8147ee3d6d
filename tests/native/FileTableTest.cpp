#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/core/FileTable.h"

namespace {

TEST(SplitCopyKey, CutsAtTheLastBackslash) {
  char sub[kTextSize], name[kTextSize];
  EXPECT_EQ(1, SplitCopyKey("KBD.DLL", sub, name));
  EXPECT_STREQ("", sub);
  EXPECT_STREQ("KBD.DLL", name);
  EXPECT_EQ(1, SplitCopyKey("drv\\win2k\\KBD.SYS", sub, name));
  EXPECT_STREQ("drv\\win2k", sub);
  EXPECT_STREQ("KBD.SYS", name);
  EXPECT_EQ(1, SplitCopyKey("dir\\", sub, name));
  EXPECT_STREQ("dir", sub);
  EXPECT_STREQ("", name);
}

TEST(PathsOfARow, DestinationAndSource) {
  FileEntry row{};
  CopyText(row.DestDir, "C:\\P");
  CopyText(row.FileName, "a.dll");
  char out[kTextSize];
  EXPECT_EQ(1, DestinationPath(row, out));
  EXPECT_STREQ("C:\\P\\a.dll", out);
  CopyText(row.NewName, "b.dll");
  EXPECT_EQ(1, DestinationPath(row, out));
  EXPECT_STREQ("C:\\P\\b.dll", out) << "a new name wins";

  EXPECT_EQ(1, SourcePath(row, "D:\\M", "C:\\W\\_T0", 0, out));
  EXPECT_STREQ("D:\\M\\a.dll", out);
  EXPECT_EQ(1, SourcePath(row, "D:\\M", "C:\\W\\_T0", 1, out));
  EXPECT_STREQ("C:\\W\\_T0\\a.dll", out) << "cabinet rows come from the temporary folder";
  CopyText(row.SourceSubDir, "x\\y");
  EXPECT_EQ(1, SourcePath(row, "D:\\M", "C:\\W\\_T0", 1, out));
  EXPECT_STREQ("D:\\M\\x\\y\\a.dll", out) << "subfolder rows never come from the cabinet";
}

TEST(PathsOfARow, TooLongIsReportedNotOverrun) {
  FileEntry row{};
  std::string dir(250, 'd');
  CopyText(row.DestDir, dir.c_str());
  CopyText(row.FileName, "longname.dll");
  char out[kTextSize];
  EXPECT_EQ(0, DestinationPath(row, out));
  EXPECT_EQ(kTextSize - 1, std::strlen(out));
  EXPECT_EQ(0, SourcePath(row, dir.c_str(), "", 0, out));
}

TEST(InUseTempName, DigitReplacesWhatFollowsTheLastDot) {
  char out[kTextSize];
  EXPECT_EQ(1, InUseTempName("C:\\W\\SYSTEM\\KBD.DLL", 0, out));
  EXPECT_STREQ("C:\\W\\SYSTEM\\KBD.0", out);
  EXPECT_EQ(1, InUseTempName("C:\\W\\SYSTEM\\KBD.DLL", 9, out));
  EXPECT_STREQ("C:\\W\\SYSTEM\\KBD.9", out);
  EXPECT_EQ(1, InUseTempName("C:\\My.Dir\\README", 1, out));
  EXPECT_STREQ("C:\\My.1", out) << "the last dot of the whole path, even in a folder";
  EXPECT_EQ(1, InUseTempName("C:\\Dir\\README", 3, out));
  EXPECT_STREQ("C:\\Dir\\README.3", out) << "no dot at all: a dot is added";
  EXPECT_EQ(0, InUseTempName("C:\\x.y", 10, out));
  std::string full(kTextSize - 1, 'a');
  EXPECT_EQ(0, InUseTempName(full.c_str(), 0, out)) << "no room for the dot and digit";
}

TEST(ProgressFor, BytesToPercent) {
  EXPECT_EQ(100, ProgressFor(0, 0)) << "nothing to copy";
  EXPECT_EQ(0, ProgressFor(0, 10));
  EXPECT_EQ(33, ProgressFor(1, 3)) << "rounded down";
  EXPECT_EQ(100, ProgressFor(3, 3));
  EXPECT_EQ(50, ProgressFor(100000000u, 200000000u)) << "past 32 bits when multiplied";
  EXPECT_EQ(99, ProgressFor(0xfffffffeu, 0xffffffffu));
  EXPECT_EQ(100, ProgressFor(20, 10)) << "never past 100";
}

}  // namespace
