#include "Handles.h"

#include "common/core/Text.h"

HMODULE LoadSystemLibrary(const char* fileName) {
  char path[kTextSize];
  UINT n = GetSystemDirectoryA(path, sizeof path);
  if (n == 0 || n >= sizeof path) return nullptr;
  if (!AppendText(path, "\\") || !AppendText(path, fileName)) return nullptr;
  return LoadLibraryA(path);
}
