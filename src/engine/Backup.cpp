#include "engine/Backup.h"

#include <windows.h>


#include "common/Handles.h"
#include "engine/core/FileTable.h"

namespace {

// A new folder below the user's temporary folder, named for this run.
bool MakeBackupDir() {
  if (BackupDir[0] != '\0') return true;
  char temp[kTextSize];
  DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n >= sizeof temp) return false;
  if (temp[n - 1] == '\\') temp[n - 1] = '\0';
  for (int i = 0; i < 1000; ++i) {
    char name[32] = "QuessorBackup", dir[kTextSize];
    AppendDecimal(name, GetCurrentProcessId());
    AppendText(name, ".");
    AppendDecimal(name, static_cast<unsigned long>(i));
    if (!JoinPath(dir, sizeof dir, temp, name)) return false;
    if (CreateDirectoryA(dir, nullptr)) return CopyText(BackupDir, dir) != 0;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

void DeleteNormal(const char* path) {
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path);
}

// Nobody has the file open: a running program's file stays where it is,
// so that its replacement goes the in-use way.
bool HeldByNobody(const char* path) {
  UniqueFile file(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  return static_cast<bool>(file);
}

bool CopyKeepingAttributes(const char* from, const char* to) {
  if (!CopyFileA(from, to, FALSE)) return false;
  // Not every system carries the attributes with the copy.
  DWORD attributes = GetFileAttributesA(from);
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(to, attributes);
  return true;
}

}  // namespace

bool BackupDestination(int row, const char* dest) {
  char backup[kTextSize];
  if (!MakeBackupDir() || !BackupPathFor(BackupDir, row, backup)) return false;
  DeleteNormal(backup);  // a copy left by an earlier row of the same destination
  // Moved, the file keeps everything it had, and on one volume that costs
  // nothing; a copy where the move cannot be made.
  if (HeldByNobody(dest) && MoveFileA(dest, backup)) return true;
  return CopyKeepingAttributes(dest, backup);
}

bool RestoreBackup(int row, const char* dest) {
  char backup[kTextSize];
  if (BackupDir[0] == '\0' || !BackupPathFor(BackupDir, row, backup)) return false;
  if (GetFileAttributesA(backup) == INVALID_FILE_ATTRIBUTES) return false;
  DeleteNormal(dest);
  if (MoveFileA(backup, dest)) return true;
  if (!CopyKeepingAttributes(backup, dest)) return false;
  DeleteNormal(backup);
  return true;
}

void DiscardBackup(int row) {
  char backup[kTextSize];
  if (BackupDir[0] != '\0' && BackupPathFor(BackupDir, row, backup)) DeleteNormal(backup);
}

void DiscardBackups() {
  if (BackupDir[0] == '\0') return;
  for (int i = 0; i < FileCount && i < kFileTableRows; ++i) {
    if (!FileTable[i].BackedUp) continue;
    FileTable[i].BackedUp = 0;
    DiscardBackup(i);
  }
  RemoveDirectoryA(BackupDir);
  BackupDir[0] = '\0';
}
