// The background window in this test's own process: its messages, its
// logo state, the title band height, and the signal that comes before the
// first chain message.
#include <gtest/gtest.h>

#include "../native/PcxFixture.h"
#include "TestSupport.h"
#include "UiDriver.h"
#include "background/BackgroundState.h"
#include "background/BackgroundWindow.h"
#include "startup/core/Settings.h"

using namespace testing_support;
using namespace pcx_fixture;

namespace {

// A logo of the given size in colour 1.
std::string WriteLogo(const TempDir& dir, std::uint16_t width, std::uint16_t height,
                      std::uint8_t planes = 1) {
  PcxSpec s;
  s.planes = planes;
  s.xmax = static_cast<std::uint16_t>(width - 1);
  s.ymax = static_cast<std::uint16_t>(height - 1);
  s.bytesPerLine = width;
  s.palette = {{0, 0, 0}, {200, 30, 30}};
  Bytes file = MakePcx(s, std::vector<Bytes>(height, Bytes(width, 1)));
  std::string path = dir / "logo.pcx";
  WriteTextFile(path, std::string(file.begin(), file.end()));
  return path;
}

void PrepareSettings(const std::string& moduleDir, const std::string& logo) {
  ResetSettings(Settings);
  Settings.IsNT = 1;
  CopyText(Settings.ModuleDir, moduleDir.c_str());
  CopyText(Settings.TitleSuffix, "Setup");
  CopyText(Settings.SetupTitle, "Velmorax Comfort Keyboard Setup");
  CopyText(Settings.SetupProgramName, "setup_x64.exe");
  CopyText(Settings.BkgLogo, logo.c_str());
}

// Creates the window here; destroys it and drops what it posted at the end.
class OwnWindow {
 public:
  OwnWindow() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterBackgroundClass(instance);  // fails harmlessly once registered
    created_ = CreateBackgroundWindow(instance);
    hwnd_ = ui::FindTopWindow(kBackgroundClassName, "", 1000, GetCurrentProcessId());
  }
  ~OwnWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  HWND get() const { return hwnd_; }
  int created() const { return created_; }

 private:
  int created_ = 0;
  HWND hwnd_ = nullptr;
};

int ClientWidth(HWND hwnd) {
  RECT rc{};
  GetClientRect(hwnd, &rc);
  return rc.right;
}

// Height of the title as the window measures it.
int TitleTextHeight() {
  HDC dc = GetDC(nullptr);
  HFONT font = CreateFontA(42, 0, 0, 0, 600, TRUE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_ROMAN,
                           "Times New Roman");
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, Settings.SetupTitle, lstrlenA(Settings.SetupTitle), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  return size.cy;
}

int FrameAndCaption() { return GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION); }

// Dispatches messages until the quit message; its code, or -1 on timeout.
int PumpUntilQuit(DWORD timeoutMs) {
  DWORD start = GetTickCount();
  MSG m;
  while (GetTickCount() - start < timeoutMs) {
    if (!PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      continue;
    }
    if (m.message == WM_QUIT) return static_cast<int>(m.wParam);
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return -1;
}

}  // namespace

TEST(BackgroundWindow, CreatedHiddenOverTheWorkAreaWithLogo) {
  TempDir dir("win");
  PrepareSettings(dir.path(), WriteLogo(dir, 100, 50));
  OwnWindow w;
  ASSERT_EQ(1, w.created());
  ASSERT_NE(nullptr, w.get());
  EXPECT_FALSE(IsWindowVisible(w.get()));
  EXPECT_EQ("Setup", ui::WindowText(w.get()));
  RECT work{}, rc{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(w.get(), &rc);
  EXPECT_EQ(work.right - work.left, rc.right - rc.left);
  EXPECT_EQ(work.bottom - work.top, rc.bottom - rc.top);
  EXPECT_EQ(WS_OVERLAPPEDWINDOW, GetWindowLongA(w.get(), GWL_STYLE) & WS_OVERLAPPEDWINDOW);

  EXPECT_EQ(1, Background.LogoPresent);
  EXPECT_NE(nullptr, Background.LogoBitmap);
  EXPECT_NE(nullptr, Background.LogoPalette);
  EXPECT_EQ(100, Background.LogoWidth);
  EXPECT_EQ(50, Background.LogoHeight);
  EXPECT_EQ(0, Background.LogoY);
  EXPECT_EQ(ClientWidth(w.get()) - 100 + 2 * GetSystemMetrics(SM_CXFRAME), Background.LogoX)
      << "at creation the logo stands two frames further right";

  SendMessageA(w.get(), WM_SETTINGCHANGE, 0, 0);
  EXPECT_EQ(ClientWidth(w.get()) - 100, Background.LogoX) << "after a work-area change";

  Background.LogoX = 0;
  HBITMAP before = Background.LogoBitmap;
  SendMessageA(w.get(), WM_DISPLAYCHANGE, 24, MAKELPARAM(1280, 1024));
  EXPECT_EQ(1, Background.LogoPresent);
  EXPECT_NE(nullptr, Background.LogoBitmap);
  EXPECT_EQ(OBJ_BITMAP, GetObjectType(Background.LogoBitmap));
  if (before != Background.LogoBitmap) {
    EXPECT_EQ(0u, GetObjectType(before)) << "old bitmap kept";
  }
  EXPECT_EQ(ClientWidth(w.get()) - 100, Background.LogoX);
}

TEST(BackgroundWindow, MessageResults) {
  TempDir dir("win");
  PrepareSettings(dir.path(), WriteLogo(dir, 30, 20));
  OwnWindow w;
  ASSERT_NE(nullptr, w.get());
  EXPECT_EQ(1, SendMessageA(w.get(), WM_QUERYENDSESSION, 0, 0));
  EXPECT_EQ(1, SendMessageA(w.get(), WM_QUERYNEWPALETTE, 0, 0));
  EXPECT_EQ(
      1, SendMessageA(w.get(), WM_PALETTECHANGED, reinterpret_cast<WPARAM>(GetDesktopWindow()), 0));
  EXPECT_EQ(0, SendMessageA(w.get(), WM_PALETTECHANGED, reinterpret_cast<WPARAM>(w.get()), 0))
      << "its own change goes to the default procedure";
  EXPECT_EQ(0, SendMessageA(w.get(), kStageDoneMessage, 0, 0));
  EXPECT_EQ(0, Background.Chain.ChainWait);

  SendMessageA(w.get(), WM_DESTROY, 0, 0);
  EXPECT_EQ(nullptr, Background.LogoBitmap);
  EXPECT_EQ(nullptr, Background.LogoPalette);
  MSG m;
  bool quit = false;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
    if (m.message == WM_QUIT) quit = m.wParam == 0;
  EXPECT_TRUE(quit) << "WM_DESTROY posts the quit message with code 0";
}

// One shown window (each costs seconds under Xvfb): a title the window's
// font wraps to two lines, and a 300-pixel logo that does not load (three
// planes) and so counts as absent: were its height used, the band would be
// 300 pixels. Logo against text is TitleBandHeightTest's.
TEST(BackgroundWindow, TitleBandFromTheMeasuredTitleWhenTheLogoDoesNotLoad) {
  TempDir dir("win");
  PrepareSettings(dir.path(), WriteLogo(dir, 30, 300, 3));
  std::string title;
  for (int i = 0; i < 12; ++i) title += "Keyboard ";
  CopyText(Settings.SetupTitle, title.c_str());
  OwnWindow w;
  ASSERT_NE(nullptr, w.get());
  EXPECT_EQ(0, Background.LogoPresent);
  EXPECT_EQ(0, Background.LogoHeight);
  EXPECT_EQ(nullptr, Background.LogoPalette);
  TitleBandHeight = 0;
  ShowWindow(w.get(), SW_SHOWNA);
  UpdateWindow(w.get());
  EXPECT_EQ(2 * TitleTextHeight() + 10 + FrameAndCaption(), TitleBandHeight) << "two lines";
  EXPECT_EQ(0, SendMessageA(w.get(), WM_DISPLAYCHANGE, 24, 0));
  EXPECT_EQ(nullptr, Background.LogoBitmap);
}

TEST(BackgroundWindow, JapaneseLocaleTakesTheCaptionFont) {
  TempDir dir("win");
  PrepareSettings(dir.path(), "");
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = 340;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));
  {
    ScopedRegValue locale(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", "00000411");
    OwnWindow w;
    ASSERT_NE(nullptr, w.get());
    EXPECT_EQ(1, Background.JapaneseTitleFont);
    EXPECT_EQ(42, Background.TitleLogFont.lfHeight);
    EXPECT_EQ(600, Background.TitleLogFont.lfWeight);
    EXPECT_EQ(1, Background.TitleLogFont.lfItalic);
    EXPECT_STREQ(metrics.lfCaptionFont.lfFaceName, Background.TitleLogFont.lfFaceName);
  }
  {
    ScopedRegValue locale(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", "00000407");
    OwnWindow w;
    ASSERT_NE(nullptr, w.get());
    EXPECT_EQ(0, Background.JapaneseTitleFont);
  }
}

// The signal may come before the window has handled its first chain
// message: the first program is still started, and the second at once.
TEST(BackgroundWindow, SignalBeforeTheFirstChainMessage) {
  SetupMedia m;
  m.AddStage("Stage1", "setup_x64.exe", "");
  m.AddStage("Stage2", "Setup.exe", "");
  PrepareSettings(m.media(), "");
  CopyText(Settings.DirName1, "Stage1");
  CopyText(Settings.DirName2, "Stage2");
  Settings.SilentMode = 1;
  ScopedEnv log("SETUP_TEST_LOG", m.log());
  OwnWindow w;
  ASSERT_NE(nullptr, w.get());
  SendMessageA(w.get(), kStageDoneMessage, 0, 0);
  EXPECT_EQ(0, PumpUntilQuit(5000));
  std::vector<LogLine> starts = Starts(m.WaitForEnds(2));
  ASSERT_EQ(2u, starts.size()) << ReadTextFile(m.log());
  // Neither is waited for, so which logs first is the two processes' race.
  if (starts[0].commandLine.find("Stage2") != std::string::npos) std::swap(starts[0], starts[1]);
  EXPECT_EQ(m.media() + "\\Stage1\\setup_x64.exe /s", starts[0].commandLine);
  EXPECT_EQ(m.media() + "\\Stage2\\Setup.exe /s", starts[1].commandLine);
  unsigned long long apart = starts[1].timeMs > starts[0].timeMs
                                 ? starts[1].timeMs - starts[0].timeMs
                                 : starts[0].timeMs - starts[1].timeMs;
  EXPECT_LT(apart, 1000u) << "no polling in between";
}
