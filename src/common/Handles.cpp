#include "Handles.h"

#include "common/core/Text.h"

HMODULE LoadSystemLibrary(const char* fileName) {
  char path[kTextSize];
  UINT n = GetSystemDirectoryA(path, sizeof path);
  if (n == 0 || n >= sizeof path) return nullptr;
  if (!AppendText(path, "\\") || !AppendText(path, fileName)) return nullptr;
  // Altered search path: the library's own imports come from its folder
  // too, not from a copy planted beside the installer.
  return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
