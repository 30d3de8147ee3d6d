#include "TitleWrap.h"

namespace {

// The blank that ends the last word before position i, or 0 when none.
int PreviousWordEnd(const char* line, int i) {
  while (i > 0 && !(line[i] == ' ' && line[i - 1] != ' ')) --i;
  return i;
}

}  // namespace

void WrapTitle(const char* title, int clientWidth, MeasureTextFn measure, void* ctx, TitleLines& out) {
  CopyText(out.Line1, title);
  out.Line2[0] = '\0';
  out.LineCount = 1;
  if (measure(out.Line1, ctx) + kTitleMargin <= clientWidth) return;

  int i = static_cast<int>(BoundedLength(out.Line1, sizeof out.Line1)) - 1;
  for (;;) {
    i = PreviousWordEnd(out.Line1, i);
    if (i <= 0) return;  // line 1 keeps the shortest candidate it has
    out.Line1[i] = '\0';
    if (measure(out.Line1, ctx) + kTitleMargin <= clientWidth) break;
    --i;
  }
  const char* rest = title + i;
  while (*rest == ' ') ++rest;
  CopyText(out.Line2, rest);
  out.LineCount = 2;
}

std::int32_t ComputeTitleBandHeight(int lineHeight, int lineCount, int logoHeight, int frameHeight,
                                    int captionHeight) {
  std::int32_t height = lineHeight * lineCount + 10;
  if (height < logoHeight) height = logoHeight;
  return height + frameHeight + captionHeight;
}
