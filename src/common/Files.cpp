#include "common/Files.h"

#include "common/Handles.h"

void DeleteNormalFile(const char* path) {
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path);
}

bool CopyKeepingAttributes(const char* from, const char* to) {
  if (!CopyFileA(from, to, FALSE)) return false;
  DWORD attributes = GetFileAttributesA(from);
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(to, attributes);
  return true;
}

bool ReadFileStamp(const char* path, ULARGE_INTEGER& size, FILETIME& written) {
  WIN32_FIND_DATAA data;
  UniqueFind find(FindFirstFileA(path, &data));
  if (!find) return false;
  size.LowPart = data.nFileSizeLow;
  size.HighPart = data.nFileSizeHigh;
  written = data.ftLastWriteTime;
  return true;
}
