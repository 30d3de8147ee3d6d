#include "finish/Finish.h"

#include <windows.h>

#include "common/Files.h"
#include "common/core/Text.h"
#include "engine/Backup.h"
#include "engine/UninstallRecord.h"
#include "engine/core/FileTable.h"
#include "startup/core/Settings.h"

namespace {

void DeleteExtractedFiles() {
  for (int i = 0; i < CopyRowCount() && ExtractedCount != 0; ++i) {
    if (!FileTable[i].Extracted) continue;
    char path[kTextSize];
    if (JoinPath(path, sizeof path, TempDir, FileTable[i].FileName)) DeleteNormalFile(path);
    --ExtractedCount;
  }
  if (TempDir[0] != '\0') RemoveDirectoryA(TempDir);
}

// Last row first: when two rows wrote one destination, the earlier row's
// backup holds the file from before the run. A backup goes only once its
// file is back.
void UndoCopies() {
  for (int i = CopyRowCount() - 1; i >= 0; --i) {
    FileEntry& row = FileTable[i];
    char dest[kTextSize];
    if (!(row.Copied || row.RestorePending) || !DestinationPath(row, dest)) continue;
    if (row.BackedUp) {
      if (!RestoreBackup(i, dest)) continue;
      DiscardBackup(i);
      row.BackedUp = 0;
      row.RestorePending = 0;
    } else if (!row.Existed) {
      DeleteNormalFile(dest);
    }
    // Existed without a backup: the new file is better than none.
  }
}

}  // namespace

void DeleteTempCopies() {
  int count = PendingRenameCount < kPendingRenameRows ? PendingRenameCount : kPendingRenameRows;
  for (int i = 0; i < count; ++i) DeleteNormalFile(PendingRenames[i].TempPath);
}

void CancelCleanup() {
  if (Settings.CabFile) DeleteExtractedFiles();
  UndoCopies();
  DeleteTempCopies();
  RemoveUninstallEntryOfThisRun();
  // Only when empty: a file that could not be put back keeps its copy there.
  if (BackupDir[0] != '\0') RemoveDirectoryA(BackupDir);
  RemoveInstallDirOfThisRun();
}
