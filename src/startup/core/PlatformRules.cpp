#include "PlatformRules.h"

#include <cstring>

#include "common/core/Text.h"

int FlagIsNT(uint32_t platformId) { return platformId == kPlatformNT; }

int FlagIsWin2000OrLater(uint32_t platformId, uint32_t major) {
  return platformId == kPlatformNT && major >= 5;
}

int FlagIsWin9x(uint32_t platformId) { return platformId == kPlatformWin9x; }

int FlagIsWin98OrLater(uint32_t platformId, uint32_t major, uint32_t minor) {
  return platformId == kPlatformWin9x && (major > 4 || (major == 4 && minor > 0));
}

int FlagIsWin95(uint32_t platformId, uint32_t major, uint32_t minor) {
  return platformId == kPlatformWin9x && !FlagIsWin98OrLater(platformId, major, minor);
}

int FlagIsWinMEFromVersionNumber(const char* versionNumber) {
  if (versionNumber == nullptr || BoundedLength(versionNumber, 4) < 4) return 0;
  char first4[5];
  CopyTextN(first4, sizeof first4, versionNumber, 4);
  return EqualsNoCase(first4, "4.90");
}

int FlagIsX64(int haveNativeInfo, uint16_t nativeArchitecture) {
  return haveNativeInfo && nativeArchitecture == kArchitectureAMD64;
}

void CutAtLastBackslash(char* path) {
  char* last = std::strrchr(path, '\\');
  if (last != nullptr) *last = '\0';
}
