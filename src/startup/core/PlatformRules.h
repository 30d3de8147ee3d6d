// Platform flags from the version data the system reports. Portable.
#pragma once
#include <cstdint>

constexpr uint32_t kPlatformWin9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr uint32_t kPlatformNT = 2;     // VER_PLATFORM_WIN32_NT
constexpr uint16_t kArchitectureAMD64 = 9;

int FlagIsNT(uint32_t platformId);
int FlagIsWin2000OrLater(uint32_t platformId, uint32_t major);
int FlagIsWin9x(uint32_t platformId);
int FlagIsWin98OrLater(uint32_t platformId, uint32_t major, uint32_t minor);
int FlagIsWin95(uint32_t platformId, uint32_t major, uint32_t minor);
// versionNumber: the registry's "VersionNumber" text, or nullptr if unread.
int FlagIsWinMEFromVersionNumber(const char* versionNumber);
int FlagIsX64(int haveNativeInfo, uint16_t nativeArchitecture);

// Cuts a program path at its last backslash, in place ("C:\Setup.exe" ->
// "C:"). A path without backslash stays whole.
void CutAtLastBackslash(char* path);
