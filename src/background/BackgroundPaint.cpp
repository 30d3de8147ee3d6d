// The title band: teal background, the logo at the top right, the title
// in white with a black shadow, on one or two lines.
#include "BackgroundState.h"
#include "BackgroundWindow.h"
#include "PcxBitmap.h"
#include "background/core/TitleWrap.h"
#include "common/Handles.h"
#include "startup/core/Settings.h"

std::int32_t TitleBandHeight = 0;

namespace {

constexpr COLORREF kBandColour = RGB(0, 128, 128);
constexpr int kTitleFontHeight = 42;
constexpr int kTitleFontWeight = 600;
constexpr int kShadowOffset = 5;

HFONT CreateTitleFont() {
  if (Background.JapaneseTitleFont) return CreateFontIndirectA(&Background.TitleLogFont);
  return CreateFontA(kTitleFontHeight, 0, 0, 0, kTitleFontWeight, TRUE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_ROMAN,
                     "Times New Roman");
}

int MeasureWidth(const char* text, void* ctx) {
  SIZE size{};
  GetTextExtentPoint32A(static_cast<HDC>(ctx), text, lstrlenA(text), &size);
  return size.cx;
}

void DrawLines(HDC dc, const TitleLines& lines, int x, int y, int lineHeight) {
  TextOutA(dc, x, y, lines.Line1, lstrlenA(lines.Line1));
  if (lines.LineCount == 2) TextOutA(dc, x, y + lineHeight, lines.Line2, lstrlenA(lines.Line2));
}

void DrawTitle(HWND hwnd, HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  SIZE title{};
  GetTextExtentPoint32A(dc, Settings.SetupTitle, lstrlenA(Settings.SetupTitle), &title);
  RECT client{};
  GetClientRect(hwnd, &client);
  TitleLines lines;
  WrapTitle(Settings.SetupTitle, client.right - client.left, MeasureWidth, dc, lines);
  TitleBandHeight = ComputeTitleBandHeight(title.cy, lines.LineCount, Background.LogoHeight,
                                           GetSystemMetrics(SM_CYFRAME), GetSystemMetrics(SM_CYCAPTION));
  DrawLines(dc, lines, 10 + kShadowOffset, 5 + kShadowOffset, title.cy);
  SetTextColor(dc, RGB(255, 255, 255));
  DrawLines(dc, lines, 10, 5, title.cy);
}

}  // namespace

int PaintTitleBand(HWND hwnd) {
  UniqueBrush brush(CreateSolidBrush(kBandColour));
  if (!brush) return 0;
  UniqueFont font(CreateTitleFont());
  if (!font) return 0;

  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  FillRect(dc, &ps.rcPaint, brush.get());
  if (Background.LogoPresent && Background.LogoBitmap != nullptr)
    DrawBitmap(dc, Background.LogoBitmap, Background.LogoX, Background.LogoY);
  HGDIOBJ oldFont = SelectObject(dc, font.get());
  DrawTitle(hwnd, dc);
  SelectObject(dc, oldFont);
  EndPaint(hwnd, &ps);
  return 1;
}
