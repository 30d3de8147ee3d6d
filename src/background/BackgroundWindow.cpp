#include "BackgroundWindow.h"

#include "BackgroundState.h"
#include "PcxBitmap.h"
#include "common/Handles.h"
#include "startup/Language.h"
#include "startup/SetupScript.h"
#include "startup/core/Settings.h"

BackgroundWindowState Background;

namespace {

constexpr char kJapaneseLocale[] = "00000411";
// NONCLIENTMETRICSA as Windows before Vista knows it.
constexpr UINT kNonClientMetricsSize = 340;
static_assert(sizeof(NONCLIENTMETRICSA) == kNonClientMetricsSize, "pre-Vista layout");

void ChooseTitleFont() {
  char locale[kTextSize];
  ReadUserLocaleText(Settings.IsNT, locale, sizeof locale);
  if (!EqualsNoCase(locale, kJapaneseLocale)) return;
  Background.JapaneseTitleFont = 1;
  NONCLIENTMETRICSA metrics;
  ZeroMemory(&metrics, sizeof metrics);
  metrics.cbSize = kNonClientMetricsSize;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0);
  Background.TitleLogFont = metrics.lfCaptionFont;
  Background.TitleLogFont.lfHeight = 42;
  Background.TitleLogFont.lfWeight = 600;
  Background.TitleLogFont.lfItalic = 1;
}

int ClientWidth(HWND hwnd) {
  RECT rc{};
  GetClientRect(hwnd, &rc);
  return rc.right - rc.left;
}

void FreeLogo() {
  if (Background.LogoBitmap) DeleteObject(Background.LogoBitmap);
  if (Background.LogoPalette) DeleteObject(Background.LogoPalette);
  Background.LogoBitmap = nullptr;
  Background.LogoPalette = nullptr;
}

// A file that is there but does not load counts as no logo at all.
void LoadLogo(HWND hwnd) {
  if (Settings.BkgLogo[0] == '\0' || !FileExists(Settings.BkgLogo)) return;
  Background.LogoBitmap = LoadPcxBitmap(Settings.BkgLogo);
  if (Background.LogoBitmap == nullptr) return;
  Background.LogoPresent = 1;
  BITMAP bm{};
  GetObjectA(Background.LogoBitmap, sizeof bm, &bm);
  Background.LogoWidth = bm.bmWidth;
  Background.LogoHeight = bm.bmHeight;
  Background.LogoPalette = LoadPcxPalette(hwnd, Settings.BkgLogo);
  Background.LogoX = ClientWidth(hwnd) - Background.LogoWidth + 2 * GetSystemMetrics(SM_CXFRAME);
}

void ResizeToWorkArea(HWND hwnd) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(hwnd, nullptr, 0, 0, work.right - work.left, work.bottom - work.top,
               SWP_NOMOVE | SWP_NOOWNERZORDER);
}

void OnCreate(HWND hwnd) {
  Background = BackgroundWindowState{};
  ChooseTitleFont();
  LoadLogo(hwnd);
  PostMessageA(hwnd, kChainMessage, 0, 0);
}

void OnSettingChange(HWND hwnd) {
  InvalidateRect(hwnd, nullptr, TRUE);
  ResizeToWorkArea(hwnd);
  Background.LogoX = ClientWidth(hwnd) - Background.LogoWidth;
}

// The bitmap is made for the display's format, so a new mode needs a new one.
void OnDisplayChange(HWND hwnd) {
  if (!Background.LogoPresent) return;
  FreeLogo();
  Background.LogoBitmap = LoadPcxBitmap(Settings.BkgLogo);
  ResizeToWorkArea(hwnd);
  Background.LogoX = ClientWidth(hwnd) - Background.LogoWidth;
  if (Background.LogoBitmap == nullptr) {  // gone or broken meanwhile
    Background.LogoPresent = 0;
    Background.LogoWidth = Background.LogoHeight = 0;
    return;
  }
  Background.LogoPalette = LoadPcxPalette(hwnd, Settings.BkgLogo);
}

LRESULT OnQueryNewPalette(HWND hwnd) {
  if (Background.LogoPresent) RealizeWindowPalette(hwnd, Background.LogoPalette);
  return 1;
}

}  // namespace

ATOM RegisterBackgroundClass(HINSTANCE instance) {
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof wc);
  wc.style = 0;
  wc.lpfnWndProc = BackgroundWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kBackgroundIconId));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kBackgroundClassName;
  return RegisterClassA(&wc);
}

int CreateBackgroundWindow(HINSTANCE instance) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  HWND hwnd = CreateWindowExA(0, kBackgroundClassName, Settings.TitleSuffix, WS_OVERLAPPEDWINDOW, 0, 0,
                              work.right - work.left, work.bottom - work.top, nullptr, nullptr, instance,
                              nullptr);
  if (hwnd == nullptr) return 0;
  ShowWindow(hwnd, SW_HIDE);
  UpdateWindow(hwnd);
  return 1;
}

LRESULT CALLBACK BackgroundWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(hwnd);
      return 0;
    case kChainMessage:
      RunChainStep(hwnd);
      return 0;
    case kStageDoneMessage:
      Background.Chain.ChainWait = 0;
      return 0;
    case WM_PAINT:
      if (!PaintTitleBand(hwnd)) break;
      return 0;
    case WM_DESTROY:
      FreeLogo();
      PostQuitMessage(Background.ExitCode);
      return 0;
    case WM_QUERYENDSESSION:
      return 1;
    case WM_CLOSE:  // hidden, with nothing to close: a run ends itself, never mid-copy
      return 0;
    case WM_SETTINGCHANGE:
      OnSettingChange(hwnd);
      return 0;
    case WM_DISPLAYCHANGE:
      OnDisplayChange(hwnd);
      return 0;
    case WM_QUERYNEWPALETTE:
      return OnQueryNewPalette(hwnd);
    case WM_PALETTECHANGED:
      if (reinterpret_cast<HWND>(wParam) == hwnd) break;
      return OnQueryNewPalette(hwnd);
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}
