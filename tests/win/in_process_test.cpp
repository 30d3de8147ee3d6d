// Setup's own code in this process: the license text chosen by the user's locale, the error
// mode of the programs it starts, and the background window (the logo as a bitmap of the
// display's format, the window's state through its messages, the logo it paints).
#include <shellapi.h>

#include "TestSupport.h"
#include "UiDriver.h"
#include "background/BackgroundState.h"
#include "background/BackgroundWindow.h"
#include "common/Process.h"
#include "startup/Language.h"
#include "startup/SingleRun.h"
#include "startup/core/Settings.h"

using namespace testing_support;

namespace {

decltype(&CreateProcessA) RealCreateProcessA = nullptr;

// The DLL directory as Setup sets it ("null": the default search), seen by the program start (with
// its error mode) and by the shell, which loads its handlers into Setup. Wine heeds no empty DLL
// directory and hands no mode on to a child, so the calls are watched instead of their effect.
std::string DllDirectory = "null", AtStart, AtShell;

BOOL WINAPI Watched(LPCSTR app, LPSTR cmd, LPSECURITY_ATTRIBUTES pa, LPSECURITY_ATTRIBUTES ta,
                    BOOL inherit, DWORD flags, LPVOID env, LPCSTR dir, LPSTARTUPINFOA si,
                    LPPROCESS_INFORMATION pi) {
  AtStart = DllDirectory + (flags & CREATE_DEFAULT_ERROR_MODE ? " default mode" : " own mode");
  return RealCreateProcessA(app, cmd, pa, ta, inherit, flags, env, dir, si, pi);
}

decltype(&GetProcAddress) RealGetProcAddress = nullptr;
decltype(&ShellExecuteA) RealShellExecuteA = nullptr;

BOOL WINAPI SetDllDirectoryWatched(LPCSTR folder) {
  DllDirectory = folder ? folder : "null";
  return TRUE;
}
FARPROC WINAPI GetProcAddressWatched(HMODULE module, LPCSTR name) {
  if (HIWORD(name) && !lstrcmpA(name, "SetDllDirectoryA"))
    return reinterpret_cast<FARPROC>(SetDllDirectoryWatched);
  return RealGetProcAddress(module, name);
}
HINSTANCE WINAPI ShellExecuteWatched(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                     LPCSTR folder, INT show) {
  AtShell = DllDirectory;
  return RealShellExecuteA(owner, verb, file, parameters, folder, show);
}

const COLORREF kTop = RGB(255, 0, 0), kLeft = RGB(0, 255, 0);

// 8 bits (palette at the end) or 4 (in the header): colour 3 in the first 4 columns, 1 elsewhere.
std::string WriteLogo(const std::string& path, int bits, int width, int height, int planes = 1) {
  const unsigned char colours[] = {0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 255, 0};
  std::string f(128, '\0'), palette(768, '\0');
  auto word = [&](int at, int v) { f[at] = char(v), f[at + 1] = char(v >> 8); };
  f[0] = 10, f[1] = 5, f[2] = 1, f[3] = char(bits), f[65] = char(planes);
  word(8, width - 1), word(10, height - 1), word(66, width * bits / 8);
  for (int i = 0; i < 12; ++i) f[16 + i] = palette[i] = char(colours[i]);
  std::string line(width * bits / 8, '\0');
  for (int x = 0; x < width; ++x)
    line[x * bits / 8] |= (x < 4 ? 3 : 1) << (bits == 8 || x % 2 ? 0 : 4);
  for (int y = 0; y < height; ++y)
    for (char c : line) f += "\xC1", f += c;  // every byte a run of one
  if (bits == 8) f += '\x0C' + palette;
  WriteTextFile(path, f);
  return path;
}

}  // namespace

// The user's locale picks the license text (which registry value is read on each family is the
// worker's test); without a text for it, the folder stays and the length is 0.
TEST(LicenseFile, ChosenByTheUsersLocale) {
  const std::string huge(5000, '0');
  // Locale (nullptr: none), file, length.
  const std::tuple<const char*, std::string, int> rows[] = {
      {"0000040c", "\\LICENFRE.TXT", 77}, {nullptr, "\\LICENENG.TXT", 1234}, {huge.c_str(), "", 0}};
  TempDir media("license");
  WriteTextFile(media / "License\\LICENENG.TXT", std::string(1234, 'e'));
  WriteTextFile(media / "License\\LICENFRE.TXT", std::string(77, 'f'));
  for (const auto& [locale, file, length] : rows) {
    SCOPED_TRACE(std::string("locale ") + (locale ? locale : "none"));
    ResetSettings(Settings);
    Settings.IsNT = 1;
    ScopedRegValue nt(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", locale);
    CopyText(Settings.LicenseFile, (media / "License").c_str());
    ChooseLicenseFile();
    EXPECT_EQ(media / "License" + file, Settings.LicenseFile);
    EXPECT_EQ(length, Settings.LicenseLength);
    char out[16];
    ReadUserLocaleText(1, out, sizeof out);
    EXPECT_LE(std::string(out).size(), 15u);
  }
}

// A started program gets the system's default error mode, not Setup's own "no disk prompts" mode
// (a multi-disk stage setup needs its "insert disk" box), and the default DLL search. A file
// opened through the shell keeps the current folder out of Setup's own DLL search.
TEST(StartProgram, ChildGetsTheDefaultsAndTheShellNoCurrentFolderDlls) {
  RealCreateProcessA = PatchImport(&CreateProcessA, Watched);
  RealShellExecuteA = PatchImport(&ShellExecuteA, ShellExecuteWatched);
  RealGetProcAddress = PatchImport(&GetProcAddress, GetProcAddressWatched);
  ASSERT_TRUE(RealCreateProcessA && RealShellExecuteA && RealGetProcAddress);
  KeepCurrentFolderOutOfDllSearch();
  std::string program = BinDir() + "\\windowprog.exe", commandLine = "\"" + program + "\" x y";
  ProcessInfo process;
  ASSERT_TRUE(StartProgram(program.c_str(), &commandLine[0], nullptr, process));
  TerminateProcess(process.pi.hProcess, 0);  // the patches stay: they only pass the calls on
  TempDir logs("shell");
  ScopedEnv log("SETUP_TEST_LOG", logs / "calls.log");
  EXPECT_TRUE(OpenWithShell((BinDir() + "\\logprog.exe").c_str(), "", nullptr, SW_HIDE));
  EXPECT_EQ("null default mode||", AtStart + "|" + AtShell + "|" + DllDirectory);
  for (int i = 0; i < 100 && ReadLog(logs / "calls.log").size() < 2; ++i) Sleep(50);
}

// Created hidden, the logo loaded as GDI builds it (the file's bytes are PcxTest's). A logo that
// does not load counts as none: its height would size the band. One emptied meanwhile is dropped
// at the next display change, which makes a new bitmap. The default title font has no Japanese
// letters.
TEST(BackgroundWindow, LogoTitleAndBand) {
  // Bits, planes, width, palette entries (0: the logo does not load), locale.
  const std::tuple<int, int, int, UINT, std::string> rows[] = {
      {4, 1, 160, 16, "00000407"}, {8, 1, 40, 256, "00000411"}, {8, 3, 40, 0, "00000407"}};
  NONCLIENTMETRICSA sys{};
  sys.cbSize = 340;  // the size without iPaddedBorderWidth
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &sys, 0));
  TempDir dir("win");
  for (const auto& [bits, planes, width, paletteEntries, locale] : rows) {
    SCOPED_TRACE(std::to_string(bits) + " bits, locale " + locale);
    ScopedRegValue user(HKEY_CURRENT_USER, "Control Panel\\International", "Locale",
                        locale.c_str());
    ResetSettings(Settings);
    Settings.IsNT = 1;
    CopyText(Settings.TitleSuffix, "Setup");
    CopyText(Settings.SetupTitle, "Velmorax Keyboard Setup");
    CopyText(Settings.BkgLogo, WriteLogo(dir / "logo.pcx", bits, width, 60, planes).c_str());
    RegisterBackgroundClass(GetModuleHandleA(nullptr));  // fails harmlessly once registered
    ASSERT_TRUE(CreateBackgroundWindow(GetModuleHandleA(nullptr)));
    HWND hwnd = ui::FindTopWindow(kBackgroundClassName, "", 1000, GetCurrentProcessId());
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(locale[7] == '1', Background.JapaneseTitleFont);  // 00000411: Japanese
    EXPECT_TRUE(!Background.JapaneseTitleFont ||
                SameText(sys.lfCaptionFont.lfFaceName, Background.TitleLogFont.lfFaceName));
    const bool loads = paletteEntries != 0;
    EXPECT_EQ(loads ? 60 : 0, Background.LogoHeight * Background.LogoPresent);
    EXPECT_EQ(paletteEntries, GetPaletteEntries(Background.LogoPalette, 0, 0, nullptr));
    SendMessageA(hwnd, WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(client.right - (loads ? width : 0), Background.LogoX) << "after a work-area change";
    ShowWindow(hwnd, SW_SHOWNA), UpdateWindow(hwnd);  // the logo at the top right, beside the band
    HDC dc = GetDC(hwnd);
    const COLORREF band = GetPixel(dc, 2, 2), left = GetPixel(dc, Background.LogoX - 1, 2);
    const COLORREF logo[] = {GetPixel(dc, Background.LogoX, 2), GetPixel(dc, client.right - 1, 0)};
    ReleaseDC(hwnd, dc);
    EXPECT_TRUE(!loads || (left == band && logo[0] == kLeft && logo[1] == kTop)) << "painted";
    HBITMAP before = Background.LogoBitmap;
    EXPECT_EQ(0, SendMessageA(hwnd, WM_DISPLAYCHANGE, 24, MAKELPARAM(1280, 1024)));
    EXPECT_EQ(loads, GetObjectType(Background.LogoBitmap) == OBJ_BITMAP);
    EXPECT_TRUE(!before || before == Background.LogoBitmap || !GetObjectType(before)) << "old kept";
    WriteTextFile(dir / "logo.pcx", "");
    SendMessageA(hwnd, WM_DISPLAYCHANGE, 24, MAKELPARAM(1280, 1024));
    EXPECT_EQ(0, Background.LogoPresent + Background.LogoHeight + Background.LogoWidth);
    EXPECT_EQ(nullptr, Background.LogoBitmap) << "logo emptied";
    EXPECT_EQ(1, SendMessageA(hwnd, WM_QUERYENDSESSION, 0, 0)) << "a restart may end the session";
    EXPECT_EQ(0, SendMessageA(hwnd, WM_CLOSE, 0, 0));
    EXPECT_TRUE(IsWindow(hwnd)) << "closed from outside, maybe in the middle of a copy";
    DestroyWindow(hwnd);
    Pump();
  }
}

// A second Setup leaves at once (1618): it would start the stages again, or copy and record beside
// the first. The first lets the next one run when it starts its second stage, a Setup itself.
TEST(SingleRun, ASecondSetupLeavesAtOnce) {
  TempDir media("single");  // whose first stage is missing: 1603 at once
  CopyFileOrDie(BinDir() + "\\Setup.exe", media / "Setup.exe");
  for (const char* name : {"SETUP2K.INI", "SETUPNT.INI"})
    WriteTextFile(media / name, "[Setup]\r\nDirName1=NoStage\r\n");
  const std::string setup = "\"" + media / "Setup.exe" + "\" /S";
  ASSERT_TRUE(TakeSingleRun());
  EXPECT_EQ(1618u, FinishProcess(Start(setup, media.path()), 20000));
  LetTheNextRun();
  EXPECT_EQ(1603u, FinishProcess(Start(setup, media.path()), 20000));
}
