#include "DriverWays.h"

#include <windows.h>

#include "common/Files.h"
#include "common/Handles.h"
#include "driver/DriverInstall.h"
#include "driver/DriverLibrary.h"
#include "engine/UninstallRecord.h"
#include "startup/SetupScript.h"
#include "startup/core/Settings.h"

namespace {

using UpdateDriverFn = BOOL(WINAPI*)(HWND, LPCSTR, LPCSTR, DWORD, PBOOL);
using SetupCopyOEMInfFn = BOOL(WINAPI*)(PCSTR, PCSTR, DWORD, DWORD, PSTR, DWORD, PDWORD, PSTR*);
constexpr DWORD kInstallFlagForce = 1;  // INSTALLFLAG_FORCE
constexpr DWORD kSpostPath = 1;         // SPOST_PATH

template <typename Fn>
Fn Lookup(const UniqueLibrary& library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library.get(), name)));
}

// Records are written only for a product with an uninstall key.
void RecordFileForUninstall(const char* path) {
  if (Settings.UninstallKey[0] != '\0') RecordDeleteFile(path);
}

// Windows folder + "\inf\" + the line's INF name: an earlier copy there
// would shadow the one about to be installed. Without a name the path
// would be the INF folder itself.
void DeleteInfCopy(const DriverLine& line) {
  if (line.InfName[0] == '\0') return;
  char path[kTextSize];
  if (WindowsPath("\\inf\\", path, sizeof path) && AppendText(path, line.InfName))
    DeleteNormalFile(path);
}

// Newdev keeps a copy in "\inf\INTERNET\" that the uninstaller must remove.
void RecordInternetInf(const DriverLine& line) {
  char path[kTextSize];
  if (!WindowsPath("\\inf\\INTERNET\\", path, sizeof path) || !AppendText(path, line.DeviceArg3) ||
      !AppendText(path, line.InfName))
    return;
  if (FileExists(path)) RecordFileForUninstall(path);
}

// ModuleDir\LegacyInf to Windows folder + "\inf\" + InfName, recorded.
void CopyLegacyInfFile(const DriverLine& line) {
  char source[kTextSize];
  char destination[kTextSize];
  if (!CopyText(source, Settings.ModuleDir) || !AppendText(source, "\\") ||
      !AppendText(source, line.LegacyInf))
    return;
  if (!WindowsPath("\\inf\\", destination, sizeof destination) ||
      !AppendText(destination, line.InfName))
    return;
  DeleteNormalFile(destination);
  SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
  CopyFileA(source, destination, FALSE);
  SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
  RecordFileForUninstall(destination);
}

}  // namespace

bool WindowsPath(const char* tail, char* out, unsigned cap) {
  UINT n = GetWindowsDirectoryA(out, cap);
  if (n == 0 || n >= cap) return false;
  return AppendText(out, cap, tail) != 0;
}

int InstallWithNewdev(const DriverLine& line, const char* infPath) {
  UniqueLibrary library(LoadSystemLibrary("newdev.dll"));
  if (!library) return 0;
  auto update = Lookup<UpdateDriverFn>(library, "UpdateDriverForPlugAndPlayDevicesA");
  if (!update) return 0;
  BOOL reboot = FALSE;  // not read: the driver step never asks for a restart
  int result = update(nullptr, line.HardwareId, infPath, kInstallFlagForce, &reboot);
  if (PausesAfter(result)) {
    RecordInternetInf(line);
    DriverPause(kPauseAfterInstallMs);
  }
  return result;
}

void RegisterPreload(const DriverLine& line) {
  if (!EstablishDriverSourceFolder()) return;
  DeleteInfCopy(line);
  char command[4 * kTextSize];
  if (!BuildPreloadCommand(DriverSourceFolder, line.HardwareId, line.DeviceClass, command,
                           sizeof command))
    return;
  UniqueKey run;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\", 0,
                    KEY_READ | KEY_WRITE, run.put()) != ERROR_SUCCESS)
    return;
  RegSetValueExA(run.get(), kPreloadRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                 static_cast<DWORD>(lstrlenA(command) + 1));
}

void CopyOemInf(const DriverLine& line, const DriverPlatform& platform) {
  UniqueLibrary library(LoadSystemLibrary("setupapi.dll"));
  if (!library) return;
  auto copyOemInf = Lookup<SetupCopyOEMInfFn>(library, "SetupCopyOEMInfA");
  if (!copyOemInf || !EstablishDriverSourceFolder()) return;
  char source[kTextSize];
  if (!CopyText(source, DriverSourceFolder) || !AppendText(source, "\\") ||
      !AppendText(source, line.InfFolder) || !AppendText(source, line.InfName))
    return;
  DeleteInfCopy(line);
  char oemInf[kTextSize] = "";
  if (!copyOemInf(source, nullptr, kSpostPath, 0, oemInf, sizeof oemInf, nullptr, nullptr)) return;
  switch (ChooseAfterOemCopy(platform, line.DeviceClass)) {
    case AfterOemCopy::Reenumerate:
      ReenumerateDevice(line.HardwareId);
      break;
    case AfterOemCopy::InstallWithOemInf:
      if (PausesAfter(InstallWithDriverLibrary(line.DeviceClass, oemInf, line.DeviceArg5,
                                               line.DeviceArg3, line.DeviceArg4, line.Force,
                                               Settings.CallConfigMg)))
        DriverPause(kPauseAfterInstallMs);
      break;
    case AfterOemCopy::Nothing:
      break;
  }
  RecordFileForUninstall(oemInf);
}

void CopyLegacyInf(const DriverLine& line) {
  if (line.LegacyInf[0] == '\0') return;
  // Without an INF name the destination would be the INF folder itself:
  // no copy then, but the device is still enumerated anew.
  if (line.InfName[0] != '\0') CopyLegacyInfFile(line);
  if (IsUnknownClass(line.DeviceClass)) ReenumerateDevice(line.HardwareId);
}

