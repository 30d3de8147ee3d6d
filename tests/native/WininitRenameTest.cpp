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

// The line goes right below the first exact "[Rename]" header of the text
// (which ends at the first NUL); without one, a last line without break is
// ended and the header and line are added.
TEST(InsertRenameLine, BelowTheHeaderOrAtTheEndWithIt) {
  const std::string header = "[Rename]\r\n";
  const std::string first = "C:\\a.dll=C:\\a.0\r\n";
  const struct {
    std::string before, after;
  } rows[] = {
      {"", header + kLine},
      {"[Other]\r\na=b\r\n[Rename]\r\nNUL=C:\\old.tmp\r\n[Last]\r\nz=1\r\n",
       "[Other]\r\na=b\r\n[Rename]\r\n" + kLine + "NUL=C:\\old.tmp\r\n[Last]\r\nz=1\r\n"},
      {header + first, header + kLine + first},  // two entries stand in reverse order
      {"[rename]\r\nx=y\r\n", "[rename]\r\nx=y\r\n" + header + kLine},  // lower case
      {"[Rename]\nx=y\n", "[Rename]\nx=y\n" + header + kLine},          // LF alone
      {"[Other]\r\nx=y", "[Other]\r\nx=y\r\n" + header + kLine},        // joined, no section
      {std::string("junk\0[Rename]\r\n", 15),
       std::string("junk\0[Rename]\r\n", 15) + header + kLine},
  };
  for (const auto& row : rows) EXPECT_EQ(row.after, Insert(row.before, kLine)) << row.before;
}

TEST(InsertRenameLine, NoRoomChangesNothing) {
  std::vector<char> view(20, '\0');
  EXPECT_EQ(3u, InsertRenameLine(view.data(), 3, view.size(), kLine.data(), kLine.size()));
  EXPECT_EQ(std::string(20, '\0'), std::string(view.data(), 20));
}

}  // namespace
