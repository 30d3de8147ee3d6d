#include "finish/Finish.h"

#include <windows.h>

#include "common/core/Text.h"
#include "engine/Backup.h"
#include "engine/core/FileTable.h"
#include "startup/core/Settings.h"

namespace {

void DeleteNormal(const char* path) {
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path);
}

int RowCount() { return FileCount < kFileTableRows ? FileCount : kFileTableRows; }

void DeleteExtractedFiles() {
  for (int i = 0; i < RowCount() && ExtractedCount != 0; ++i) {
    if (!FileTable[i].Extracted) continue;
    char path[kTextSize];
    if (JoinPath(path, sizeof path, TempDir, FileTable[i].FileName)) DeleteNormal(path);
    --ExtractedCount;
  }
  if (TempDir[0] != '\0') RemoveDirectoryA(TempDir);
}

// Last row first: when two rows wrote one destination, the earlier row's
// backup holds the file from before the run.
void UndoCopies() {
  for (int i = RowCount() - 1; i >= 0; --i) {
    FileEntry& row = FileTable[i];
    if (!row.Copied) continue;
    char dest[kTextSize];
    if (!DestinationPath(row, dest)) continue;
    if (row.BackedUp) {
      if (RestoreBackup(i, dest)) row.BackedUp = 0;
    } else if (!row.Existed) {
      DeleteNormal(dest);
    }
    // Existed without a backup: the new file is better than none.
  }
}

void DeleteTempCopies() {
  int count = PendingRenameCount < kPendingRenameRows ? PendingRenameCount : kPendingRenameRows;
  for (int i = 0; i < count; ++i) DeleteNormal(PendingRenames[i].TempPath);
}

}  // namespace

void CancelCleanup() {
  if (Settings.CabFile) DeleteExtractedFiles();
  UndoCopies();
  DeleteTempCopies();
  // Only when empty: a file that could not be put back keeps its copy there.
  if (BackupDir[0] != '\0') RemoveDirectoryA(BackupDir);
}
