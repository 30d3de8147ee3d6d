#include <windows.h>

#include <cstring>
#include <initializer_list>

#include "driver/DriverInstall.h"
#include "driver/DriverLibrary.h"
#include "driver/DriverWays.h"
#include "driver/ProductFolder.h"
#include "driver/core/DriverRules.h"
#include "driver/core/FolderRules.h"
#include "startup/ListSection.h"
#include "startup/SetupScript.h"
#include "startup/core/Settings.h"

char DriverSourceFolder[kTextSize];

namespace {

void SleepPause(unsigned ms) { Sleep(ms < DriverPauseLimitMs ? ms : DriverPauseLimitMs); }

constexpr const char* kSection = "Update Driver";

// Windows rebuilds its driver index from the INF folder when these are gone,
// so the newly copied INF files are seen.
void DeleteIndexFiles() {
  char value[kTextSize];
  ReadScriptValue("Setup", "DeleteINFIndex", "TRUE", value, sizeof value);
  if (!EqualsNoCase(value, "TRUE")) return;
  for (const char* name : {"\\INF\\DRVIDX.BIN", "\\INF\\DRVDATA.BIN"}) {
    char path[kTextSize];
    if (!WindowsPath(name, path, sizeof path)) continue;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path);
  }
}

DriverPlatform CurrentPlatform() {
  return DriverPlatform{Settings.IsWinME, Settings.IsWin2000OrLater, Settings.Preload};
}

int FirstAttempt(const DriverLine& line, const DriverPlatform& platform, const char* infPath) {
  switch (ChooseFirstWay(platform, line.DeviceClass)) {
    case FirstWay::Newdev:
      return InstallWithNewdev(line, infPath);
    case FirstWay::DriverLibrary: {
      int result =
          InstallWithDriverLibrary(line.DeviceClass, infPath, line.DeviceArg5, line.DeviceArg3,
                                   line.DeviceArg4, line.Force, Settings.CallConfigMg);
      if (PausesAfter(result)) DriverPause(kPauseAfterInstallMs);
      return result;
    }
    case FirstWay::None:
      break;
  }
  return 0;
}

void InstallLine(const char* value) {
  DriverLine line;
  ParseDriverLine(value, line);
  char infPath[kTextSize];
  if (!CopyText(infPath, Settings.ModuleDir) || !AppendText(infPath, "\\") ||
      !AppendText(infPath, line.InfFolder) || !AppendText(infPath, line.InfName))
    return;
  const DriverPlatform platform = CurrentPlatform();
  const int result = FirstAttempt(line, platform, infPath);
  switch (ChooseFallback(platform, result)) {
    case Fallback::EndLine:
      break;
    case Fallback::PreloadRegistration:
      RegisterPreload(line);
      break;
    case Fallback::OemInfCopy:
      CopyOemInf(line, platform);
      break;
    case Fallback::LegacyCopy:
      CopyLegacyInf(line);
      break;
  }
}

}  // namespace

DriverPauseFn DriverPause = SleepPause;
unsigned DriverPauseLimitMs = 0xFFFFFFFFu;

void UpdateDrivers() {
  DeleteIndexFiles();
  // This section's key names fit a list of 260 bytes, not 1024.
  ReadListSection(
      kSection, [](const char*, const char* value) {
        if (value[0] != '\0') InstallLine(value);
      },
      kTextSize);
}

int EstablishDriverSourceFolder() {
  char root[4];
  DriveRootOf(Settings.ModuleDir, root);
  if (GetDriveTypeA(root) == DRIVE_FIXED) return CopyText(DriverSourceFolder, Settings.ModuleDir);
  // Without a product folder of its own the media are read where they are.
  if (!CreateProductFolder()) return CopyText(DriverSourceFolder, Settings.ModuleDir);
  char source[kTextSize];
  char destination[kTextSize];
  if (!CopyText(source, Settings.ModuleDir) || !AppendText(source, "\\")) return 0;
  if (!CopyText(destination, DriverSourceFolder) || !AppendText(destination, "\\")) return 0;
  CopyTree(source, destination);
  return 1;
}
