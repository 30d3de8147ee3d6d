#include <gtest/gtest.h>

#include <cstring>

#include "background/core/TitleWrap.h"

namespace {

// Every character 10 pixels wide.
int Measure(const char* text, void*) { return static_cast<int>(std::strlen(text)) * 10; }

struct WrapCase {
  const char* title;
  int clientWidth;
  const char* line1;
  const char* line2;
  int lineCount;
};

}  // namespace

TEST(WrapTitleTest, LinesForTitleAndWidth) {
  const WrapCase cases[] = {
      {"Hello World", 125, "Hello World", "", 1},                          // 110 + 15 fits exactly
      {"Hello World", 124, "Hello", "World", 2},                           // one pixel short
      {"Hello   World", 100, "Hello", "World", 2},                         // several blanks between
      {"aaa bbb ccc ddd", 100, "aaa bbb", "ccc ddd", 2},                   // longest line that fits
      {"aaa bbb ccc ddd", 60, "aaa", "bbb ccc ddd", 2},                    // line 2 is not wrapped
      {"Internationalization Setup", 100, "Internationalization", "", 1},  // first word too wide
      {"Supercalifragilistic", 50, "Supercalifragilistic", "", 1},         // no blank at all
      {"a  b", 20, "a", "", 1},  // even the first word is too wide: the rest is dropped
      {" Leading", 30, " Leading", "", 1},
      {"", 0, "", "", 1},
      {"one two  three four", 90, "one two", "three four", 2},  // blanks at the cut both dropped
      {"Keyboard Setup ", 155, "Keyboard Setup", "", 2},  // a trailing blank: an empty second line
  };
  for (const WrapCase& c : cases) {
    TitleLines lines;
    std::memset(&lines, 'x', sizeof lines);
    WrapTitle(c.title, c.clientWidth, Measure, nullptr, lines);
    EXPECT_STREQ(c.line1, lines.Line1) << c.title << " in " << c.clientWidth;
    EXPECT_STREQ(c.line2, lines.Line2) << c.title << " in " << c.clientWidth;
    EXPECT_EQ(c.lineCount, lines.LineCount) << c.title << " in " << c.clientWidth;
  }
}

TEST(TitleBandHeightTest, TextLinesLogoAndFrame) {
  EXPECT_EQ(48 + 10 + 4 + 19, ComputeTitleBandHeight(48, 1, 0, 4, 19));
  EXPECT_EQ(2 * 48 + 10 + 4 + 19, ComputeTitleBandHeight(48, 2, 0, 4, 19));
  EXPECT_EQ(120 + 4 + 19, ComputeTitleBandHeight(48, 1, 120, 4, 19)) << "logo taller than the text";
  EXPECT_EQ(2 * 48 + 10 + 4 + 19, ComputeTitleBandHeight(48, 2, 80, 4, 19)) << "logo shorter";
  EXPECT_EQ(58 + 3, ComputeTitleBandHeight(48, 1, 58, 0, 3)) << "logo as tall as the text";
}
