#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "wizard/core/WizardLayout.h"

namespace {

std::string Show(const PixelRect& r) {
  std::ostringstream s;
  s << r.left << ',' << r.top << ',' << r.right << ',' << r.bottom;
  return s.str();
}

// Every character 8 pixels wide; keeps what was measured.
int32_t Measure(const char* text, void* ctx) {
  *static_cast<std::string*>(ctx) = text;
  return static_cast<int32_t>(std::strlen(text)) * 8;
}

}  // namespace

TEST(WizardLayoutTest, CentredSheetPosition) {
  struct Row {
    PixelRect area;
    int32_t width, height, band;
    int32_t x, y;
  };
  const Row rows[] = {
      {{0, 0, 1024, 738}, 500, 400, 0, 262, 169},
      {{100, 30, 1124, 798}, 500, 400, 0, 362, 214},  // work area off the screen's origin
      {{0, 0, 1024, 768}, 500, 400, 250, 262, 250},   // pushed below the band
      {{0, 0, 1024, 768}, 500, 600, 250, 262, 168},   // too tall for the space under the band
      {{0, 0, 1024, 768}, 500, 400, 184, 262, 184},   // exactly at the band
      {{0, 40, 1024, 768}, 500, 400, 300, 262, 300},  // band in screen coordinates
      {{0, 40, 1024, 768}, 500, 500, 300, 262, 268},
      {{0, 40, 1024, 768}, 500, 400, 30, 262, 204},  // band above the work area
      {{0, 30, 800, 600}, 801, 700, 0, 0, 30},       // taller than the work area: caption stays
  };
  for (const Row& r : rows) {
    PixelPoint p = CentredSheetPosition(r.area, r.width, r.height, r.band);
    EXPECT_EQ(r.x, p.x) << Show(r.area) << ' ' << r.width << 'x' << r.height << " band " << r.band;
    EXPECT_EQ(r.y, p.y) << Show(r.area) << ' ' << r.width << 'x' << r.height << " band " << r.band;
  }
}

TEST(WizardLayoutTest, SideBitmapDestination) {
  struct Row {
    PixelRect source, client;
    const char* dest;
  };
  const Row rows[] = {
      {{10, 10, 110, 210}, {0, 0, 500, 360}, "10,10,180,350"},
      {{5, 7, 68, 100}, {0, 0, 400, 300}, "5,7,198,293"},            // truncated
      {{10, 10, 110, 10}, {0, 0, 500, 360}, "10,10,500,350"},        // no height: full width
      {{0, 0, 50000, 50000}, {0, 0, 10, 60000}, "0,0,60000,60000"},  // product past 32 bits
  };
  for (const Row& r : rows)
    EXPECT_EQ(r.dest, Show(SideBitmapDestination(r.source, r.client)))
        << Show(r.source) << " in " << Show(r.client);
}

TEST(WizardLayoutTest, ProgressBar) {
  struct Row {
    int32_t percent, width;
    const char* bar;  // fill, then each glyph as text@x and b(lack) or w(hite)
  };
  const Row rows[] = {
      {0, 200, "0 0@92b %@108b"},
      {9, 200, "18 9@92b %@108b"},
      {10, 200, "20 1@84b 0@92b %@108b"},
      {50, 200, "100 5@84w 0@92b %@108b"},  // the units cell ends at the fill: black
      {51, 200, "102 5@84w 1@92w %@108b"},
      {58, 200, "116 5@84w 8@92w %@108b"},
      {59, 200, "118 5@84w 9@92w %@108w"},
      {99, 200, "198 9@84w 9@92w %@108w"},
      {100, 200, "200 100@76w %@108w"},
      {33, 101, "33 3@34b 3@42b %@58b"},
      {99, 2000000000, "1980000000 9@999999984w 9@999999992w %@1000000008w"},  // no overflow
      {150, 200, "200 100@76w %@108w"},                                        // held to the bar
      {-5, 200, "0 0@92b %@108b"},
  };
  for (const Row& r : rows) {
    std::string measured;
    ProgressBarLayout bar;
    std::memset(&bar, 0x55, sizeof bar);
    LayoutProgressBar(r.percent, r.width, 20, 16, Measure, &measured, bar);
    std::ostringstream got;
    std::string digits;
    got << bar.FillRight;
    for (int i = 0; i < bar.GlyphCount; ++i) {
      const BarGlyph& g = bar.Glyphs[i];
      got << ' ' << g.Text << '@' << g.X
          << (g.Colour == kColourWhite   ? 'w'
              : g.Colour == kColourBlack ? 'b'
                                         : '?');
      if (i + 1 < bar.GlyphCount) digits += g.Text;
    }
    EXPECT_EQ(r.bar, got.str()) << r.percent << "% of " << r.width;
    EXPECT_EQ(21, bar.FillBottom);
    EXPECT_EQ(2, bar.TextY);
    EXPECT_EQ(digits, measured) << "the digit width is taken from the digits drawn";
  }
}
