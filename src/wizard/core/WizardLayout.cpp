#include "WizardLayout.h"

#include "common/core/Text.h"

PixelPoint CentredSheetPosition(const PixelRect& workArea, int32_t width, int32_t height,
                                int32_t bandHeight) {
  // The work area's own edges are added: a taskbar at the top or left would
  // otherwise cover part of the sheet.
  int32_t areaWidth = workArea.right - workArea.left;
  int32_t areaHeight = workArea.bottom - workArea.top;
  PixelPoint p;
  p.x = workArea.left + (areaWidth - width) / 2;
  p.y = workArea.top + (areaHeight - height) / 2;
  if (p.y < bandHeight)
    p.y = (bandHeight + height > workArea.bottom) ? workArea.bottom - height : bandHeight;
  if (p.y < workArea.top) p.y = workArea.top;
  return p;
}

PixelRect SideBitmapDestination(const PixelRect& source, const PixelRect& client) {
  PixelRect d = client;
  d.top = source.top;
  d.left = source.left;
  d.bottom = client.bottom - source.top;
  int32_t sourceHeight = source.bottom - source.top;
  if (sourceHeight != 0) {
    // 64-bit product: a large page must not overflow before the division.
    int64_t scaled = static_cast<int64_t>(source.right - source.left) * (d.bottom - d.top);
    d.right = d.left + static_cast<int32_t>(scaled / sourceHeight);
  }
  return d;
}

namespace {

void SetGlyph(BarGlyph& g, const char* text, int32_t x, int white) {
  CopyText(g.Text, text);
  g.X = x;
  g.Colour = white ? kColourWhite : kColourBlack;
}

}  // namespace

void LayoutProgressBar(int32_t percent, int32_t barWidth, int32_t barHeight, int32_t textHeight,
                       MeasureGlyphsFn measure, void* ctx, ProgressBarLayout& out) {
  // The engine keeps the value in range; holding it here keeps a stray one
  // from drawing past the bar or as a minus sign.
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;

  char digits[4];
  int count = 0;
  if (percent == 100) digits[count++] = '1';
  if (percent >= 10) digits[count++] = static_cast<char>('0' + percent / 10 % 10);
  digits[count++] = static_cast<char>('0' + percent % 10);
  digits[count] = '\0';

  // barWidth * percent / 100, split so that no width can overflow it.
  int32_t fill = barWidth / 100 * percent + barWidth % 100 * percent / 100;
  int32_t w = measure(digits, ctx) / count;
  int32_t mid = barWidth / 2;
  out.FillRight = fill;
  out.FillBottom = barHeight + 1;
  out.TextY = (barHeight - textHeight) / 2;

  BarGlyph* g = out.Glyphs;
  if (percent < 10) {
    SetGlyph(*g++, digits, mid - w, mid < fill);
  } else if (percent < 100) {
    char tens[2] = {digits[0], '\0'};
    char units[2] = {digits[1], '\0'};
    SetGlyph(*g++, tens, mid - 2 * w, mid - w < fill);
    SetGlyph(*g++, units, mid - w, mid < fill);
  } else {
    SetGlyph(*g++, digits, mid - 3 * w, 1);
  }
  SetGlyph(*g++, "%", mid + w, mid + 2 * w < fill);
  out.GlyphCount = static_cast<int32_t>(g - out.Glyphs);
}
