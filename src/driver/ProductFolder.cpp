#include "ProductFolder.h"

#include <windows.h>

#include <cstring>

#include "common/Handles.h"
#include "driver/DriverInstall.h"
#include "driver/core/FolderRules.h"
#include "engine/UninstallRecord.h"
#include "startup/SetupScript.h"
#include "startup/core/Settings.h"

namespace {

constexpr std::size_t kSourcePathSize = 1024;

void CreateFolderLevels(const char* path) {
  const int levels = FolderLevelCount(path);
  for (int k = 1; k <= levels; ++k) {
    char level[kTextSize];
    CopyTextN(level, sizeof level, path, FolderLevelLength(path, k));
    CreateDirectoryA(level, nullptr);  // existing or failing levels are passed over
  }
}

// Writes a + b (+ "\" when folder) into out; false when it would not fit.
bool JoinPath(char* out, std::size_t cap, const char* a, const char* b, bool folder) {
  return CopyText(out, cap, a) && AppendText(out, cap, b) &&
         (!folder || AppendText(out, cap, "\\"));
}

void CopyOneFile(const char* source, const char* destination) {
  SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
  CopyFileA(source, destination, FALSE);
  SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
}

void CopyEntry(const char* source, const char* destination, const WIN32_FIND_DATAA& entry) {
  const bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  char from[kSourcePathSize];
  char to[kTextSize];
  if (!JoinPath(from, sizeof from, source, entry.cFileName, folder)) return;
  if (!JoinPath(to, sizeof to, destination, entry.cFileName, folder)) return;
  if (!folder) {
    CopyOneFile(from, to);
    return;
  }
  CreateDirectoryA(to, nullptr);
  CopyTree(from, to);
}

}  // namespace

int CreateProductFolder() {
  char windowsDir[kTextSize];
  UINT n = GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
  if (n == 0 || n >= sizeof windowsDir) return 0;
  char folder[kTextSize];
  if (!ProductFolderPath(windowsDir, Settings.ProductName, folder, sizeof folder)) return 0;
  // Folders are kept without a trailing backslash; an empty product name
  // must not make "Program Files" itself look new and get recorded.
  DropTrailingBackslash(folder);
  if (!FileExists(folder)) {
    CreateFolderLevels(folder);
    // A name the file system refuses (" * ? < > |) makes none, and nothing is recorded.
    if (!FileExists(folder)) return 0;
    if (Settings.UninstallKey[0] != '\0') RecordDeleteDirectory(folder, "1", 2);
  }
  CopyText(DriverSourceFolder, folder);
  return 1;
}

void CopyTree(const char* source, const char* destination) {
  char pattern[kSourcePathSize];
  if (!CopyText(pattern, source) || !AppendText(pattern, "*.*")) return;
  WIN32_FIND_DATAA entry;
  UniqueFind find(FindFirstFileA(pattern, &entry));
  if (!find) return;
  do {
    if (std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0) continue;
    CopyEntry(source, destination, entry);
  } while (FindNextFileA(find.get(), &entry));
}
