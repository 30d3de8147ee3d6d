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
#include "DoubleLog.h"
#include "startup/core/CommandLine.h"
#include "startup/core/Settings.h"

namespace {

using namespace doubles;

void Log(const std::string& kind, const std::string& rest) {
  std::string path = EnvOr("KQSETUP_LOG", "");
  if (!path.empty()) AppendLine(path, kind + "|" + std::to_string(NowMs()) + "|" + rest);
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
  if (EnvOr("KQPROBE_PAUSES", "") == "log") DriverPause = LogPause;
  UpdateDrivers();
  return 0;
}
