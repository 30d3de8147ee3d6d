// The background window in this process: the logo as a bitmap of the
// display's format, the window's state through its messages, and the band
// it paints.
#include <gtest/gtest.h>

#include "../native/PcxFixture.h"
#include "TestSupport.h"
#include "UiDriver.h"
#include "background/BackgroundState.h"
#include "background/BackgroundWindow.h"
#include "background/PcxBitmap.h"
#include "startup/core/Settings.h"

using namespace testing_support;
using namespace pcx_fixture;

namespace {

const COLORREF kTop = RGB(255, 0, 0), kBelow = RGB(0, 0, 255), kLeft = RGB(0, 255, 0);

// 8 bits (palette at the end) or 4 (in the header): colour 1 in the first
// file rows down to a third, colour 2 below, colour 3 in the first 4 columns.
std::string WriteLogo(const std::string& path, int bits, int width, int height, int planes = 1) {
  PcxSpec s;
  s.bitsPerPixel = static_cast<std::uint8_t>(bits);
  s.planes = static_cast<std::uint8_t>(planes);
  s.xmax = static_cast<std::uint16_t>(width - 1);
  s.ymax = static_cast<std::uint16_t>(height - 1);
  s.bytesPerLine = static_cast<std::uint16_t>(width * bits / 8);
  s.palette = {{0, 0, 0}, {255, 0, 0}, {0, 0, 255}, {0, 255, 0}};
  s.palette.resize(16, Rgb{9, 9, 9});
  std::vector<Bytes> lines(height, Bytes(s.bytesPerLine, 0));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      lines[y][x * bits / 8] |= (x < 4 ? 3 : y < height / 3 ? 1 : 2) << (bits == 8 || x % 2 ? 0 : 4);
  Bytes file = MakePcx(s, lines);
  WriteTextFile(path, std::string(file.begin(), file.end()));
  return path;
}

// The window, made here with this logo and title; destroyed at the end.
struct OwnWindow {
  OwnWindow(const std::string& logo, const std::string& title = "Velmorax Comfort Keyboard Setup") {
    ResetSettings(Settings);
    Settings.IsNT = 1;
    CopyText(Settings.TitleSuffix, "Setup");
    CopyText(Settings.SetupTitle, title.c_str());
    CopyText(Settings.BkgLogo, logo.c_str());
    RegisterBackgroundClass(GetModuleHandleA(nullptr));  // fails harmlessly once registered
    created = CreateBackgroundWindow(GetModuleHandleA(nullptr));
    hwnd = ui::FindTopWindow(kBackgroundClassName, "", 1000, GetCurrentProcessId());
  }
  ~OwnWindow() {
    if (hwnd) DestroyWindow(hwnd);
    for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);) {
    }
  }
  int ClientWidth() const {
    RECT rc{};
    GetClientRect(hwnd, &rc);
    return rc.right;
  }
  int created = 0;
  HWND hwnd = nullptr;
};

}  // namespace

// What only GDI can get wrong: the bitmap the loader builds, the right way
// up, and the palette. What the file's bytes mean is PcxTest's.
TEST(LoadPcx, BitmapAndPaletteOfEachKind) {
  struct Row {
    int bits, planes;
    UINT paletteEntries;  // 0: nothing loads
  } const rows[] = {{8, 1, 256}, {4, 1, 16}, {8, 3, 0}};
  TempDir dir("pcx");
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.bits << " bits, " << r.planes << " planes");
    std::string path = WriteLogo(dir / "logo.pcx", r.bits, 40, 30, r.planes);
    HBITMAP bitmap = LoadPcxBitmap(path.c_str());
    HPALETTE palette = LoadPcxPalette(nullptr, path.c_str());
    PALETTEENTRY entries[257] = {};
    EXPECT_EQ(r.paletteEntries, palette ? GetPaletteEntries(palette, 0, 257, entries) : 0);
    EXPECT_EQ(kLeft, palette ? RGB(entries[3].peRed, entries[3].peGreen, entries[3].peBlue) : kLeft);
    ASSERT_EQ(r.paletteEntries != 0, bitmap != nullptr);
    if (!bitmap) continue;
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    BITMAP bm{};
    GetObjectA(bitmap, sizeof bm, &bm);
    EXPECT_EQ(40 * 30, bm.bmWidth * bm.bmHeight);
    EXPECT_EQ(kTop, GetPixel(dc, 39, 0)) << "the first file row on top";
    EXPECT_EQ(kBelow, GetPixel(dc, 39, 29));
    EXPECT_EQ(kLeft, GetPixel(dc, 3, 15));
    EXPECT_EQ(kBelow, GetPixel(dc, 4, 15));
    DeleteDC(dc);
    DeleteObject(bitmap);
    DeleteObject(palette);
  }
  WriteTextFile(dir / "empty.pcx", "");
  for (const char* name : {"empty.pcx", "missing.pcx"}) {
    EXPECT_EQ(nullptr, LoadPcxBitmap((dir / name).c_str())) << name;
    EXPECT_EQ(nullptr, LoadPcxPalette(nullptr, (dir / name).c_str())) << name;
  }
}

// Created hidden over the work area. A logo that does not load counts as
// none (its height would size the band); one that goes away meanwhile is
// dropped at the next display change, which makes a new bitmap.
TEST(BackgroundWindow, StateThroughItsMessages) {
  TempDir dir("win");
  for (int planes : {1, 3}) {
    SCOPED_TRACE(testing::Message() << "logo of " << planes << " planes");
    std::string logo = WriteLogo(dir / "logo.pcx", 8, 100, 50, planes);
    OwnWindow w(logo);
    ASSERT_EQ(1, w.created);
    ASSERT_NE(nullptr, w.hwnd);
    EXPECT_FALSE(IsWindowVisible(w.hwnd));
    RECT work{}, rc{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(w.hwnd, &rc);
    EXPECT_EQ(work.right - work.left, rc.right - rc.left);
    EXPECT_EQ(work.bottom - work.top, rc.bottom - rc.top);
    const bool loads = planes == 1;
    EXPECT_EQ(loads ? 50 : 0, Background.LogoHeight * Background.LogoPresent);
    EXPECT_EQ(loads, Background.LogoPalette != nullptr);
    if (loads)
      EXPECT_EQ(w.ClientWidth() - 100 + 2 * GetSystemMetrics(SM_CXFRAME), Background.LogoX)
          << "at creation the logo stands two frames further right";
    SendMessageA(w.hwnd, WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(w.ClientWidth() - (loads ? 100 : 0), Background.LogoX) << "after a work-area change";
    HBITMAP before = Background.LogoBitmap;
    EXPECT_EQ(0, SendMessageA(w.hwnd, WM_DISPLAYCHANGE, 24, MAKELPARAM(1280, 1024)));
    EXPECT_EQ(loads, GetObjectType(Background.LogoBitmap) == OBJ_BITMAP);
    if (before && before != Background.LogoBitmap) EXPECT_EQ(0u, GetObjectType(before)) << "old bitmap kept";
    DeleteFileA(logo.c_str());
    SendMessageA(w.hwnd, WM_DISPLAYCHANGE, 24, MAKELPARAM(1280, 1024));
    EXPECT_EQ(0, Background.LogoPresent + Background.LogoHeight + Background.LogoWidth) << "logo gone";
    EXPECT_EQ(nullptr, Background.LogoBitmap);

    EXPECT_EQ(1, SendMessageA(w.hwnd, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(0, SendMessageA(w.hwnd, kStageDoneMessage, 0, 0));
    EXPECT_EQ(0, Background.Chain.ChainWait);
    SendMessageA(w.hwnd, WM_DESTROY, 0, 0);
    EXPECT_EQ(nullptr, Background.LogoPalette);
    MSG m;
    bool quit = false;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) quit |= m.message == WM_QUIT && m.wParam == 0;
    EXPECT_TRUE(quit) << "WM_DESTROY posts the quit message with code 0";
  }
}

// One shown window: a title that wraps to two lines beside the logo at the
// top right, over a plain band that holds them both.
TEST(BackgroundWindow, PaintsTheLogoAndTheTitleInTheBand) {
  TempDir dir("win");
  std::string title;
  for (int i = 0; i < 12; ++i) title += "Keyboard ";
  OwnWindow w(WriteLogo(dir / "logo.pcx", 8, 160, 60), title);
  ASSERT_NE(nullptr, w.hwnd);
  SendMessageA(w.hwnd, WM_SETTINGCHANGE, 0, 0);
  ShowWindow(w.hwnd, SW_SHOWNA);
  UpdateWindow(w.hwnd);
  const int x = Background.LogoX, right = w.ClientWidth();
  HDC window = GetDC(w.hwnd), dc = CreateCompatibleDC(window);  // read from a copy: faster
  HGDIOBJ old = SelectObject(dc, CreateCompatibleBitmap(window, right, 200));
  BitBlt(dc, 0, 0, right, 200, window, 0, 0, SRCCOPY);
  ReleaseDC(w.hwnd, window);
  const COLORREF band = GetPixel(dc, 2, 2);
  // Rows above the title, which is drawn over the logo where it is long.
  EXPECT_EQ(kLeft, GetPixel(dc, x, 2));
  EXPECT_EQ(band, GetPixel(dc, x - 1, 2)) << "left of the logo";
  EXPECT_EQ(kTop, GetPixel(dc, right - 1, 0)) << "the logo reaches the right edge";
  int lowest = 0, drawn = 0;  // the title, left of the logo
  for (int y = 0; y < 200; ++y)
    for (int i = 0; i < x - 10; i += 2)
      if (GetPixel(dc, i, y) != band) lowest = y, ++drawn;
  DeleteObject(SelectObject(dc, old));
  DeleteDC(dc);
  EXPECT_GT(drawn, 500);
  EXPECT_GT(lowest, 60) << "the second line goes below the logo";
  EXPECT_GT(TitleBandHeight - GetSystemMetrics(SM_CYFRAME) - GetSystemMetrics(SM_CYCAPTION), lowest)
      << "the band holds the title";
}

// The default title font has no Japanese letters.
TEST(BackgroundWindow, JapaneseLocaleTakesTheCaptionFont) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = 340;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));
  for (const char* locale : {"00000411", "00000407"}) {
    SCOPED_TRACE(locale);
    ScopedRegValue value(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", locale);
    OwnWindow w("");
    const bool japanese = locale[7] == '1';
    EXPECT_EQ(japanese, Background.JapaneseTitleFont);
    if (japanese) EXPECT_STREQ(metrics.lfCaptionFont.lfFaceName, Background.TitleLogFont.lfFaceName);
  }
}
