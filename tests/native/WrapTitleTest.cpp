#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "background/core/TitleWrap.h"

namespace {

// Every character 10 pixels wide; records what was measured.
struct Ruler {
  std::vector<std::string> measured;
};

int Measure(const char* text, void* ctx) {
  static_cast<Ruler*>(ctx)->measured.push_back(text);
  return static_cast<int>(std::strlen(text)) * 10;
}

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
      {"Hello World", 125, "Hello World", "", 1},    // 110 + 15 fits exactly
      {"Hello World", 124, "Hello", "World", 2},     // one pixel short
      {"Hello   World", 100, "Hello", "World", 2},   // several blanks between
      {"aaa bbb ccc ddd", 100, "aaa bbb", "ccc ddd", 2},  // longest line that fits
      {"aaa bbb ccc ddd", 60, "aaa", "bbb ccc ddd", 2},   // line 2 is not wrapped
      {"Internationalization Setup", 100, "Internationalization", "", 1},  // first word too wide
      {"Supercalifragilistic", 50, "Supercalifragilistic", "", 1},         // no blank at all
      {"a  b", 20, "a", "", 1},  // even the first word is too wide: the rest is dropped
      {" Leading", 30, " Leading", "", 1},
      {"", 0, "", "", 1},
  };
  for (const WrapCase& c : cases) {
    Ruler ruler;
    TitleLines lines;
    std::memset(&lines, 'x', sizeof lines);
    WrapTitle(c.title, c.clientWidth, Measure, &ruler, lines);
    EXPECT_STREQ(c.line1, lines.Line1) << c.title << " in " << c.clientWidth;
    EXPECT_STREQ(c.line2, lines.Line2) << c.title << " in " << c.clientWidth;
    EXPECT_EQ(c.lineCount, lines.LineCount) << c.title << " in " << c.clientWidth;
  }
}

TEST(WrapTitleTest, MeasuresEachShorterCandidateOnce) {
  Ruler ruler;
  TitleLines lines;
  WrapTitle("one two  three four", 90, Measure, &ruler, lines);
  EXPECT_EQ((std::vector<std::string>{"one two  three four", "one two  three", "one two"}),
            ruler.measured);
  EXPECT_STREQ("three four", lines.Line2);
}

TEST(WrapTitleTest, TrailingBlankMakesAnEmptySecondLine) {
  Ruler ruler;
  TitleLines lines;
  WrapTitle("Keyboard Setup ", 155, Measure, &ruler, lines);
  EXPECT_STREQ("Keyboard Setup", lines.Line1);
  EXPECT_STREQ("", lines.Line2);
  EXPECT_EQ(2, lines.LineCount);
}

TEST(TitleBandHeightTest, TextLinesLogoAndFrame) {
  EXPECT_EQ(48 + 10 + 4 + 19, ComputeTitleBandHeight(48, 1, 0, 4, 19));
  EXPECT_EQ(2 * 48 + 10 + 4 + 19, ComputeTitleBandHeight(48, 2, 0, 4, 19));
  EXPECT_EQ(120 + 4 + 19, ComputeTitleBandHeight(48, 1, 120, 4, 19)) << "logo taller than the text";
  EXPECT_EQ(2 * 48 + 10 + 4 + 19, ComputeTitleBandHeight(48, 2, 80, 4, 19)) << "logo shorter";
  EXPECT_EQ(58 + 3, ComputeTitleBandHeight(48, 1, 58, 0, 3)) << "logo as tall as the text";
}
