// The "Update Driver" field syntax and the parsed line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/core/DriverRules.h"
#include "driver/core/ListToken.h"

namespace {

std::string Field(const char* line, int n) {
  char out[kTextSize];
  std::memset(out, 'x', sizeof out);
  GetListField(line, n, out, sizeof out);
  return out;
}

}  // namespace

TEST(GetListField, SplitsAtCommasOutsideQuotes) {
  struct Case {
    const char* line;
    int n;
    const char* want;
  } cases[] = {
      {"Keyboard,kq.inf,a3", 1, "Keyboard"},
      {"Keyboard,kq.inf,a3", 3, "a3"},
      {"a,\" x, y \",c", 2, " x, y "},  // quotes keep commas and blanks, are not copied
      {"a,\"x\"\"y\",c", 2, "xy"},      // a quote only switches quoting
      {"a,  two  ,c", 2, "two  "},      // leading blanks dropped, trailing kept
      {"a,\t two\t,c", 2, "two\t"},
      {"a,  \"  q\",c", 2, "  q"},  // quoted blanks count as copied
      {"a,,c", 2, ""},
      {"a,b", 3, ""},  // a field the line lacks
      {"a,b,", 3, ""},
      {"", 1, ""},
      {"a,b\"c,d\"e,f", 2, "bc,de"},
      {"a,\"unterminated, rest", 2, "unterminated, rest"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, Field(c.line, c.n)) << c.line << " field " << c.n;
}

TEST(NextListToken, ReturnsPositionBehindSeparatorAndStartIndex) {
  const char* line = "  ab ,,\"c\"";
  char out[kTextSize];
  int start = 99;
  const char* next = NextListToken(line, out, sizeof out, ',', &start);
  EXPECT_STREQ("ab ", out);
  EXPECT_EQ(2, start);
  EXPECT_EQ(line + 6, next);

  next = NextListToken(next, out, sizeof out, ',', &start);
  EXPECT_STREQ("", out);
  EXPECT_EQ(0, start) << "empty field ended by a separator";
  EXPECT_EQ(line + 7, next);

  next = NextListToken(next, out, sizeof out, ',', &start);
  EXPECT_STREQ("c", out);
  EXPECT_EQ(1, start) << "first copied character lies behind the quote";
  EXPECT_EQ('\0', *next);

  start = 99;
  EXPECT_EQ(next, NextListToken(next, nullptr, 0, ',', &start)) << "stays at the end";
  EXPECT_EQ(-1, start);
}

TEST(NextListToken, OtherSeparatorAndBoundedOutput) {
  char out[4];
  const char* next = NextListToken("abcdefg;h", out, sizeof out, ';');
  EXPECT_STREQ("abc", out) << "cut to the buffer, always terminated";
  EXPECT_STREQ("h", next);
  char big[kTextSize];
  std::string longLine(600, 'z');
  GetListField(longLine.c_str(), 1, big, sizeof big);
  EXPECT_EQ(kTextSize - 1, std::strlen(big));
}

TEST(ParseDriverLine, AllTenFieldsAndForce) {
  DriverLine line;
  ParseDriverLine("Keyboard, kq.inf ,A3,A4,A5,six,legacy\\kq.inf,TRUE,HID\\VID_1,sub\\", line);
  EXPECT_STREQ("Keyboard", line.DeviceClass);
  EXPECT_STREQ("kq.inf ", line.InfName) << "InfName as written";
  EXPECT_STREQ("A3", line.DeviceArg3);
  EXPECT_STREQ("A4", line.DeviceArg4);
  EXPECT_STREQ("A5", line.DeviceArg5);
  EXPECT_STREQ("legacy\\kq.inf", line.LegacyInf);
  EXPECT_EQ(1, line.Force);
  EXPECT_STREQ("HID\\VID_1", line.HardwareId);
  EXPECT_STREQ("sub\\", line.InfFolder);
}

TEST(ParseDriverLine, FiveFieldsLeaveTheRestEmpty) {
  DriverLine line;
  std::memset(&line, 'x', sizeof line);
  ParseDriverLine("Keyboard,kq.inf,A3,A4,A5", line);
  EXPECT_STREQ("A5", line.DeviceArg5);
  EXPECT_STREQ("", line.Unused6);
  EXPECT_STREQ("", line.LegacyInf);
  EXPECT_STREQ("", line.ForceText);
  EXPECT_EQ(0, line.Force);
  EXPECT_STREQ("", line.HardwareId);
  EXPECT_STREQ("", line.InfFolder);
}

TEST(ForceFromText, OneOrTrueInAnyCase) {
  for (const char* yes : {"1", "TRUE", "true", "True"}) EXPECT_EQ(1, ForceFromText(yes)) << yes;
  for (const char* no : {"", "0", "yes", "2", "TRUE ", "01", "FALSE"})
    EXPECT_EQ(0, ForceFromText(no)) << "'" << no << "'";
}
