#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "finish/core/WininitRename.h"

namespace {

// Runs the insertion as the file mapping does: content, then zeros.
std::string Insert(const std::string& content, const std::string& line) {
  std::vector<char> view(content.size() + line.size() + kRenameSlack, '\0');
  std::copy(content.begin(), content.end(), view.begin());
  std::size_t size =
      InsertRenameLine(view.data(), content.size(), view.size(), line.data(), line.size());
  return std::string(view.data(), size);
}

const std::string kLine = "C:\\W\\SYSTEM\\KBD.DLL=C:\\W\\SYSTEM\\KBD.0\r\n";

TEST(FormatRenameLine, FinalThenTemp) {
  char out[kRenameLineSize];
  EXPECT_EQ(kLine.size(),
            FormatRenameLine("C:\\W\\SYSTEM\\KBD.DLL", "C:\\W\\SYSTEM\\KBD.0", out, sizeof out));
  EXPECT_EQ(kLine, out);
  char small[8];
  EXPECT_EQ(0u, FormatRenameLine("C:\\a", "C:\\b", small, sizeof small));
  EXPECT_STREQ("", small);
}

TEST(InsertRenameLine, NoFileGetsHeaderAndLine) {
  EXPECT_EQ("[Rename]\r\n" + kLine, Insert("", kLine));
}

TEST(InsertRenameLine, BelowAnExistingHeaderEverythingElseMovesDown) {
  std::string before = "[Other]\r\na=b\r\n[Rename]\r\nNUL=C:\\old.tmp\r\n[Last]\r\nz=1\r\n";
  std::string after = Insert(before, kLine);
  EXPECT_EQ("[Other]\r\na=b\r\n[Rename]\r\n" + kLine + "NUL=C:\\old.tmp\r\n[Last]\r\nz=1\r\n",
            after);
  EXPECT_EQ(before.size() + kLine.size(), after.size());
}

TEST(InsertRenameLine, OnlyTheExactHeaderCounts) {
  std::string lower = "[rename]\r\nx=y\r\n";
  EXPECT_EQ(lower + "[Rename]\r\n" + kLine, Insert(lower, kLine)) << "lower case";
  std::string lf = "[Rename]\nx=y\n";
  EXPECT_EQ(lf + "[Rename]\r\n" + kLine, Insert(lf, kLine)) << "LF alone";
}

TEST(InsertRenameLine, LastLineWithoutBreakIsEndedFirst) {
  // Joined to "x=y", the header would not start a section.
  EXPECT_EQ("[Other]\r\nx=y\r\n[Rename]\r\n" + kLine, Insert("[Other]\r\nx=y", kLine));
}

TEST(InsertRenameLine, TwoEntriesStandInReverseOrder) {
  std::string first = "C:\\a.dll=C:\\a.0\r\n", second = "C:\\b.dll=C:\\b.0\r\n";
  EXPECT_EQ("[Rename]\r\n" + second + first, Insert(Insert("", first), second));
}

TEST(InsertRenameLine, TextEndsAtTheFirstNul) {
  std::string content("junk\0[Rename]\r\n", 15);
  std::string after = Insert(content, kLine);
  EXPECT_EQ(content + "[Rename]\r\n" + kLine, after) << "a header behind a NUL is not seen";
}

TEST(InsertRenameLine, NoRoomChangesNothing) {
  std::vector<char> view(20, '\0');
  EXPECT_EQ(3u, InsertRenameLine(view.data(), 3, view.size(), kLine.data(), kLine.size()));
  EXPECT_EQ(std::string(20, '\0'), std::string(view.data(), 20));
}

}  // namespace
