// Where the wizard sheet goes, where each page draws its side picture, and
// how the progress bar is drawn: the arithmetic only, so it runs without a
// window. Portable: no Windows header.
#pragma once
#include <cstdint>

// A rectangle as the system gives it: right and bottom are exclusive.
struct PixelRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

struct PixelPoint {
  int32_t x;
  int32_t y;
};

// Top-left corner, in screen coordinates, of a sheet width by height
// centred in workArea, but below the background's title band (bandHeight
// pixels from the top of the screen, 0 for none). When the sheet does not
// fit under the band it sits on the work area's bottom edge; it never goes
// above the work area's top, so its caption stays reachable.
PixelPoint CentredSheetPosition(const PixelRect& workArea, int32_t width, int32_t height,
                                int32_t bandHeight);

// Side picture of a page: source is the picture control's rectangle and
// client the page's client rectangle (both in page coordinates). The
// result fills the page's height with the margin above the control kept
// below it too, at the control's proportions.
PixelRect SideBitmapDestination(const PixelRect& source, const PixelRect& client);

// Colours as the system's 0x00BBGGRR values.
constexpr uint32_t kColourWhite = 0x00FFFFFFu;
constexpr uint32_t kColourBlack = 0x00000000u;
constexpr uint32_t kColourBlue = 0x00FF0000u;

// Width in pixels of text as drawn in the bar's font.
using MeasureGlyphsFn = int32_t (*)(const char* text, void* ctx);

struct BarGlyph {
  char Text[4];
  int32_t X;
  uint32_t Colour;
};

// The bar: white background, blue from the left edge to FillRight (and
// down to FillBottom), then the number and "%" centred round the middle.
// Each glyph is white when its cell ends strictly inside the blue part.
struct ProgressBarLayout {
  int32_t FillRight;
  int32_t FillBottom;
  int32_t TextY;
  int32_t GlyphCount;
  BarGlyph Glyphs[3];
};

// Lays out the bar for percent (held to 0..100) on a bar barWidth by
// barHeight; measure gives the width of the digits, textHeight their height.
void LayoutProgressBar(int32_t percent, int32_t barWidth, int32_t barHeight, int32_t textHeight,
                       MeasureGlyphsFn measure, void* ctx, ProgressBarLayout& out);
