#include "finish/Finish.h"

#include "common/Handles.h"
#include "engine/core/FileTable.h"
#include "finish/core/WininitRename.h"
#include "startup/core/Settings.h"

namespace {

// Puts line into the mapped file; returns the content's new size.
DWORD InsertThroughMapping(HANDLE file, DWORD size, const char* line, DWORD length) {
  DWORD capacity = size + length + kRenameSlack;
  // Mapping past the end lengthens the file (with zero bytes on NT only).
  UniqueHandleK mapping(CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, capacity, nullptr));
  if (!mapping) return size;
  char* view = static_cast<char*>(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, capacity));
  if (view == nullptr) return size;
  DWORD grown = static_cast<DWORD>(InsertRenameLine(view, size, capacity, line, length));
  UnmapViewOfFile(view);
  return grown;
}

// The short form of a path; the path itself when the system has none.
bool ShortPath(const char* path, char (&out)[kTextSize]) {
  DWORD n = GetShortPathNameA(path, out, sizeof out);
  if (n > 0 && n < sizeof out) return true;
  return CopyText(out, path) != 0;
}

// Looked up at run time: Windows 95 has no delayed move.
bool DelayedMove(const char* from, const char* to) {
  using MoveFileExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32");
  auto moveFileEx = kernel ? reinterpret_cast<MoveFileExFn>(
                                 reinterpret_cast<void*>(GetProcAddress(kernel, "MoveFileExA")))
                           : nullptr;
  // Without REPLACE_EXISTING the restart refuses, since the destination exists.
  return moveFileEx != nullptr &&
         moveFileEx(from, to, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING);
}

bool WininitPath(char (&path)[kTextSize]) {
  UINT n = GetWindowsDirectoryA(path, sizeof path);
  return n > 0 && n < sizeof path && AppendText(path, "\\wininit.ini");
}

// Whether one of NT's pending moves ends in path: pairs of texts, source and
// target, the target "\??\path" or "!\??\path" (empty: a delete).
bool NtMoveEndsIn(const char* path) {
  UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
    return false;
  const char* kValue = "PendingFileRenameOperations";
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), kValue, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return false;
  HeapBlock list(size + 2);  // room for the two NULs that end it, whatever the value holds
  DWORD got = size;
  if (list.empty() ||
      RegQueryValueExA(key.get(), kValue, nullptr, nullptr, list.data(), &got) != ERROR_SUCCESS ||
      got > size)
    return false;
  auto* text = reinterpret_cast<char*>(list.data());
  text[got] = text[got + 1] = '\0';
  for (const char* source = text; *source != '\0';) {
    const char* target = source + lstrlenA(source) + 1;
    if (target >= text + got) break;
    source = target + lstrlenA(target) + 1;
    if (*target == '!') ++target;
    if (target[0] == '\\' && target[1] == '?' && target[2] == '?' && target[3] == '\\') target += 4;
    if (lstrcmpiA(target, path) == 0) return true;
  }
  return false;
}

// Whether a line of wininit.ini's [Rename] section replaces path (keys are
// short names there).
bool WininitLineFor(const char* path) {
  char ini[kTextSize], shortPath[kTextSize];
  if (!WininitPath(ini) || !ShortPath(path, shortPath)) return false;
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini);  // 9x caches the file it read last
  char names[2048] = "";
  GetPrivateProfileStringA("Rename", nullptr, "", names, sizeof names, ini);
  names[sizeof names - 2] = names[sizeof names - 1] = '\0';
  for (const char* name = names; *name != '\0'; name += lstrlenA(name) + 1)
    if (lstrcmpiA(name, shortPath) == 0 || lstrcmpiA(name, path) == 0) return true;
  return false;
}

bool RenameByWininit(const PendingRename& rename) {
  char path[kTextSize];
  if (!WininitPath(path)) return false;
  UniqueFile file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr));
  if (!file) return false;
  // The rename program of Windows 95, 98 and ME runs before Windows starts
  // and knows only short (8.3) names: a long one is never replaced.
  char finalShort[kTextSize], tempShort[kTextSize];
  if (!ShortPath(rename.FinalPath, finalShort) || !ShortPath(rename.TempPath, tempShort))
    return false;
  char line[kRenameLineSize] = {};
  DWORD length = static_cast<DWORD>(FormatRenameLine(finalShort, tempShort, line, sizeof line));
  DWORD size = GetFileSize(file.get(), nullptr);
  // A file past 1 GB is not a wininit.ini worth mapping.
  if (length == 0 || size == INVALID_FILE_SIZE || size > 0x40000000) return false;
  DWORD grown = InsertThroughMapping(file.get(), size, line, length);
  // Cuts off the zeros the mapping added behind the content.
  SetFilePointer(file.get(), static_cast<LONG>(grown), nullptr, FILE_BEGIN);
  return SetEndOfFile(file.get()) && grown > size;
}

}  // namespace

bool RestartReplaces(const char* path) {
  return Settings.IsNT ? NtMoveEndsIn(path) : WininitLineFor(path);
}

bool RenameAtRestart(int index) {
  SetLastError(ERROR_SUCCESS);
  if (index < 0 || index >= PendingRenameCount || index >= kPendingRenameRows) return false;
  const PendingRename& rename = PendingRenames[index];
  if (Settings.IsWin95) return RenameByWininit(rename);
  // Windows 98 and ME may not know the delayed move: wininit.ini then.
  return DelayedMove(rename.TempPath, rename.FinalPath) ||
         (Settings.IsWin9x && RenameByWininit(rename));
}
