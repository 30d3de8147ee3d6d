// The background window's title band: where the title breaks into two
// lines, and how tall the band is. Text widths come from a callback, so the
// rule runs without a device context. Portable: no Windows header.
#pragma once
#include <cstdint>

#include "common/core/Text.h"

// Width in pixels of text as drawn in the title font.
using MeasureTextFn = int (*)(const char* text, void* ctx);

// Space kept free to the right of the title.
constexpr int kTitleMargin = 15;

struct TitleLines {
  char Line1[kTextSize];
  char Line2[kTextSize];
  int LineCount;  // 1 or 2
};

// Breaks title for a client area clientWidth pixels wide. Line 1 is the
// longest run of whole words that fits; when not even the first word fits
// it is that first word alone and line 2 is dropped; a title without a
// blank stays whole. Line 2 is the rest after the blanks, never wrapped.
void WrapTitle(const char* title, int clientWidth, MeasureTextFn measure, void* ctx, TitleLines& out);

// Height of the band: the text lines plus 10 pixels, at least the logo's
// height, plus the window frame and caption.
std::int32_t ComputeTitleBandHeight(int lineHeight, int lineCount, int logoHeight, int frameHeight,
                                    int captionHeight);
