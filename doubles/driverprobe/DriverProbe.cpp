// Runs the driver step as Setup would on the Windows that Wine reports to
// this program (HKCU\Software\Wine\AppDefaults\driverprobe.exe\Version):
// platform detection, the setup script beside it, the command-line
// switches, then UpdateDrivers. Tests copy it into a media folder with
// kqsetup.dll and read what happened from the double's log (KQSETUP_LOG),
// where the probe first writes the platform it saw:
//
//   PLATFORM|<ms>|ME=<0/1>|2K=<0/1>|NT=<0/1>|PRELOAD=<0/1>|CC=<CallConfigMg>|
//            MODULE=<ModuleDir>|SCRIPT=<ScriptPath>     (one line)
//
// With KQPROBE_PAUSES=log every pause is logged as PAUSE|<ms>|<length>
// instead of being slept.
#include <windows.h>

#include <string>

#include "driver/DriverInstall.h"
#include "startup/Platform.h"
#include "startup/SetupScript.h"
#include "startup/core/CommandLine.h"
#include "startup/core/Settings.h"

namespace {

std::string Env(const char* name) {
  char value[MAX_PATH] = "";
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return (n > 0 && n < sizeof value) ? value : "";
}

unsigned long long NowMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  ULARGE_INTEGER v;
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  return v.QuadPart / 10000;
}

void Log(const std::string& kind, const std::string& rest) {
  std::string line = kind + "|" + std::to_string(NowMs()) + "|" + rest + "\r\n";
  HANDLE file = CreateFileA(Env("KQSETUP_LOG").c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

void LogPause(unsigned ms) { Log("PAUSE", std::to_string(ms)); }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  DetectPlatform(instance);
  if (!LoadSetupScript()) return 2;
  ApplyCommandLine(commandLine, Settings.IsNT, Settings);
  if (Settings.Preload) Settings.CallConfigMg = 0;  // as the install worker does
  Log("PLATFORM", "ME=" + std::to_string(Settings.IsWinME) +
                      "|2K=" + std::to_string(Settings.IsWin2000OrLater) +
                      "|NT=" + std::to_string(Settings.IsNT) +
                      "|PRELOAD=" + std::to_string(Settings.Preload) +
                      "|CC=" + std::to_string(Settings.CallConfigMg) +
                      "|MODULE=" + Settings.ModuleDir + "|SCRIPT=" + Settings.ScriptPath);
  if (Env("KQPROBE_PAUSES") == "log") DriverPause = LogPause;
  UpdateDrivers(Settings.ScriptPath);
  return 0;
}
