#include "engine/Backup.h"

#include <windows.h>

#include "common/Files.h"
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

bool BackupPath(int row, char (&path)[kTextSize]) {
  return BackupDir[0] != '\0' && BackupPathFor(BackupDir, row, path);
}

}  // namespace

bool BackupDestination(int row, const char* dest) {
  char backup[kTextSize];
  if (!MakeBackupDir() || !BackupPath(row, backup)) return false;
  return CopyKeepingAttributes(dest, backup);
}

bool MatchesBackup(int row, const char* dest) {
  char backup[kTextSize];
  ULARGE_INTEGER destSize, backupSize;
  FILETIME destTime, backupTime;
  return BackupPath(row, backup) && ReadFileStamp(dest, destSize, destTime) &&
         ReadFileStamp(backup, backupSize, backupTime) &&
         destSize.QuadPart == backupSize.QuadPart && CompareFileTime(&destTime, &backupTime) == 0;
}

bool RestoreBackup(int row, const char* dest) {
  char backup[kTextSize];
  if (!BackupPath(row, backup) || GetFileAttributesA(backup) == INVALID_FILE_ATTRIBUTES)
    return false;
  // Copied over, never deleted first: a destination that a program holds
  // stays whole even when it cannot be written.
  SetFileAttributesA(dest, FILE_ATTRIBUTE_NORMAL);
  return CopyKeepingAttributes(backup, dest);
}

void DiscardBackup(int row) {
  char backup[kTextSize];
  if (BackupPath(row, backup)) DeleteNormalFile(backup);
}

void DiscardBackups() {
  if (BackupDir[0] == '\0') return;
  for (int i = 0; i < CopyRowCount(); ++i) {
    FileEntry& row = FileTable[i];
    if (!row.BackedUp) continue;
    char dest[kTextSize];
    if (row.RestorePending && DestinationPath(row, dest) && RestoreBackup(i, dest))
      row.RestorePending = 0;
    if (row.RestorePending) continue;  // the only copy of that file: kept
    row.BackedUp = 0;
    DiscardBackup(i);
  }
  // Only when empty.
  if (RemoveDirectoryA(BackupDir)) BackupDir[0] = '\0';
}
