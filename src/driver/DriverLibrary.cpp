#include "DriverLibrary.h"

#include "common/Handles.h"
#include "driver/DriverInstall.h"
#include "driver/core/DriverRules.h"
#include "startup/core/Settings.h"

namespace {

constexpr const char* kDriverLibrary = "kqsetup.dll";

// The library's exports are __stdcall (see doubles/kqsetup/KqSetup.cpp).
using InstallPnPDeviceDriverFn = int(WINAPI*)(const char*, const char*, const char*, const char*,
                                              const char*, int, int);
using GetConnectedDeviceNumberFn = int(WINAPI*)(const char*, const char*, const char*);
using DeviceByIdFn = int(WINAPI*)(const char*, const char*);

template <typename Fn>
Fn Lookup(const UniqueLibrary& library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library.get(), name)));
}

HMODULE LoadFromFolder(const char* folder) {
  char path[kTextSize];
  if (folder[0] == '\0' || !CopyText(path, folder) || !AppendText(path, "\\") ||
      !AppendText(path, kDriverLibrary))
    return nullptr;
  return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

HMODULE LoadDriverLibrary() {
  if (HMODULE own = LoadFromFolder(Settings.ModuleDir)) return own;
  return LoadSystemLibrary(kDriverLibrary);
}

int InstallWithDriverLibrary(const char* deviceClass, const char* infPath, const char* arg5,
                             const char* arg3, const char* arg4, int force, int callConfigMg) {
  UniqueLibrary library(LoadDriverLibrary());
  if (!library) return 0;
  auto install = Lookup<InstallPnPDeviceDriverFn>(library, "InstallPnPDeviceDriver");
  auto connected = Lookup<GetConnectedDeviceNumberFn>(library, "GetConnectedDeviceNumber");
  int result = install ? install(deviceClass, infPath, arg5, arg3, arg4, force, callConfigMg) : 0;
  // No device connected means nothing was really installed: let the
  // caller fall back.
  if (connected && connected(deviceClass, arg5, arg3) == 0) result = 0;
  return result;
}

void ReenumerateDevice(const char* hardwareId) {
  UniqueLibrary library(LoadDriverLibrary());
  if (!library) return;
  auto remove = Lookup<DeviceByIdFn>(library, "RemoveAndReenumerateDevice");
  auto find = Lookup<DeviceByIdFn>(library, "FindExistingDevice");
  if (!remove || !remove("", hardwareId) || !find) return;
  for (unsigned i = 0; i < kDeviceWaitTries; ++i) {
    if (find("", hardwareId)) return;
    DriverPause(kDeviceWaitPauseMs);
  }
}
