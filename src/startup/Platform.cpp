#include "Platform.h"

#include "common/Handles.h"
#include "startup/core/PlatformRules.h"
#include "startup/core/Settings.h"

namespace {

OSVERSIONINFOA QueryVersion() {
  OSVERSIONINFOA v;
  ZeroMemory(&v, sizeof v);
  v.dwOSVersionInfoSize = sizeof v;
  GetVersionExA(&v);
  return v;
}

}  // namespace

int TestIsNT() { return FlagIsNT(QueryVersion().dwPlatformId); }

int TestIsWin2000OrLater() {
  OSVERSIONINFOA v = QueryVersion();
  return FlagIsWin2000OrLater(v.dwPlatformId, v.dwMajorVersion);
}

int TestIsWin9x() { return FlagIsWin9x(QueryVersion().dwPlatformId); }

int TestIsWin95() {
  OSVERSIONINFOA v = QueryVersion();
  return FlagIsWin95(v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion);
}

int TestIsWin98OrLater() {
  OSVERSIONINFOA v = QueryVersion();
  return FlagIsWin98OrLater(v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion);
}

int TestIsWinME() {
  if (!TestIsWin98OrLater()) return 0;
  UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                    KEY_READ, key.put()) != ERROR_SUCCESS)
    return 0;
  char value[kTextSize];
  DWORD size = sizeof value - 1;  // leaves room for a NUL the value may lack
  DWORD type = 0;
  if (RegQueryValueExA(key.get(), "VersionNumber", nullptr, &type,
                       reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS)
    return 0;
  value[size < sizeof value ? size : sizeof value - 1] = '\0';
  return FlagIsWinMEFromVersionNumber(value);
}

int TestIsX64() {
  using NativeInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
  HMODULE kernel = GetModuleHandleA("kernel32");
  auto fn = kernel ? reinterpret_cast<NativeInfoFn>(
                         reinterpret_cast<void*>(GetProcAddress(kernel, "GetNativeSystemInfo")))
                   : nullptr;
  if (fn == nullptr) return FlagIsX64(0, 0);
  SYSTEM_INFO info;
  ZeroMemory(&info, sizeof info);
  fn(&info);
  return FlagIsX64(1, info.wProcessorArchitecture);
}

void DetectPlatform(HINSTANCE instance) {
  Settings.IsNT = TestIsNT();
  Settings.IsWin2000OrLater = TestIsWin2000OrLater();
  Settings.IsWin95 = TestIsWin95();
  Settings.IsWin98OrLater = TestIsWin98OrLater();
  Settings.IsWinME = Settings.IsWin98OrLater ? TestIsWinME() : 0;
  Settings.IsWin9x = TestIsWin9x();
  Settings.IsX64 = TestIsX64();

  if (LoadStringA(instance, 18, Settings.TitleSuffix, sizeof Settings.TitleSuffix) == 0)
    Settings.TitleSuffix[0] = '\0';
  UINT n = GetSystemDirectoryA(Settings.InstallDir, sizeof Settings.InstallDir);
  if (n == 0 || n >= sizeof Settings.InstallDir) Settings.InstallDir[0] = '\0';
  n = GetModuleFileNameA(nullptr, Settings.ModuleDir, sizeof Settings.ModuleDir);
  if (n == 0 || n >= sizeof Settings.ModuleDir) Settings.ModuleDir[0] = '\0';
  Settings.ModuleDir[sizeof Settings.ModuleDir - 1] = '\0';
  CutAtLastBackslash(Settings.ModuleDir);
}
