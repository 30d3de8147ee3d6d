#include <cstring>

#include "engine/UninstallRecord.h"
#include "startup/SetupScript.h"
#include "startup/core/Settings.h"

namespace {

char MadeFrom[kTextSize];  // the first level of InstallDir this run made

// Creates every level of path below the drive root, from the top down; a
// level that exists or cannot be made is passed over. True when the last
// level was created here.
bool CreateLevels(const char* path) {
  std::size_t length = std::strlen(path);
  bool created = false;
  bool pastFirst = false;
  for (std::size_t i = 0; i <= length; ++i) {
    if (path[i] != '\\' && path[i] != '\0') continue;
    if (!pastFirst) {  // up to the first backslash: the drive root
      pastFirst = path[i] == '\\';
      continue;
    }
    char level[kTextSize];
    CopyTextN(level, sizeof level, path, i);
    created = CreateDirectoryA(level, nullptr) != FALSE;
    if (created && MadeFrom[0] == '\0') CopyText(MadeFrom, level);
  }
  return created;
}

}  // namespace

void CreateInstallDir() {
  MadeFrom[0] = '\0';
  if (!Settings.AskPath || Settings.InstallDir[0] == '\0') return;
  // The shorter form first: a search for "C:\dir\" finds nothing even when
  // the folder exists, and an existing folder must not be recorded.
  std::size_t length = std::strlen(Settings.InstallDir);
  if (length > 1 && Settings.InstallDir[length - 1] == '\\') Settings.InstallDir[length - 1] = '\0';
  if (FileExists(Settings.InstallDir)) return;
  // Recorded only when this run made it: the uninstaller removes it.
  if (CreateLevels(Settings.InstallDir) && Settings.UninstallKey[0] != '\0')
    RecordDeleteDirectory(Settings.InstallDir, "0", 2);
}

void RemoveInstallDirOfThisRun() {
  char level[kTextSize];
  const std::size_t top = std::strlen(MadeFrom);
  if (top == 0 || !CopyText(level, Settings.InstallDir)) return;
  MadeFrom[0] = '\0';
  // Bottom up to the first level made; one that still holds anything stays, and so do those above.
  for (std::size_t n = std::strlen(level); n >= top && RemoveDirectoryA(level);) {
    char* cut = std::strrchr(level, '\\');
    if (cut == nullptr) return;
    *cut = '\0';
    n = static_cast<std::size_t>(cut - level);
  }
}
