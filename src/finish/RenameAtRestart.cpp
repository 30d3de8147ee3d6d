#include "finish/Finish.h"

#include "common/Handles.h"
#include "engine/core/FileTable.h"
#include "finish/core/WininitRename.h"
#include "startup/core/Settings.h"

namespace {

// Puts line into the mapped file; returns the content's new size.
DWORD InsertThroughMapping(HANDLE file, DWORD size, const char* line, DWORD length) {
  DWORD capacity = size + length + kRenameSlack;
  // Mapping past the end lengthens the file with zero bytes.
  UniqueHandleK mapping(CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, capacity, nullptr));
  if (!mapping) return size;
  char* view = static_cast<char*>(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, capacity));
  if (view == nullptr) return size;
  DWORD grown = static_cast<DWORD>(InsertRenameLine(view, size, capacity, line, length));
  UnmapViewOfFile(view);
  return grown;
}

void RenameByWininit(const PendingRename& rename) {
  char path[kTextSize];
  UINT n = GetWindowsDirectoryA(path, sizeof path);
  if (n == 0 || n >= sizeof path || !AppendText(path, "\\wininit.ini")) return;
  UniqueFile file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr));
  if (!file) return;
  char line[kRenameLineSize] = {};
  DWORD length =
      static_cast<DWORD>(FormatRenameLine(rename.FinalPath, rename.TempPath, line, sizeof line));
  DWORD size = GetFileSize(file.get(), nullptr);
  // A file past 1 GB is not a wininit.ini worth mapping.
  if (length == 0 || size == INVALID_FILE_SIZE || size > 0x40000000) return;
  size = InsertThroughMapping(file.get(), size, line, length);
  // Cuts off the zeros the mapping added behind the content.
  SetFilePointer(file.get(), static_cast<LONG>(size), nullptr, FILE_BEGIN);
  SetEndOfFile(file.get());
}

}  // namespace

void RenameAtRestart(int index) {
  if (index < 0 || index >= PendingRenameCount || index >= kPendingRenameRows) return;
  const PendingRename& rename = PendingRenames[index];
  if (Settings.IsWin95) {
    RenameByWininit(rename);
    return;
  }
  // Without REPLACE_EXISTING the restart refuses, since the destination exists.
  bool moved = MoveFileExA(rename.TempPath, rename.FinalPath,
                           MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != FALSE;
  // Windows 98 and ME may not know the delayed move: wininit.ini then.
  if (!moved && Settings.IsWin9x) RenameByWininit(rename);
}
