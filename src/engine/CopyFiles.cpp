#include "engine/CopyFiles.h"

#include "common/Handles.h"
#include "engine/Backup.h"
#include "engine/EngineState.h"
#include "engine/FileVersion.h"
#include "engine/PageControls.h"
#include "engine/UninstallRecord.h"
#include "startup/ListSection.h"
#include "startup/SetupScript.h"
#include "startup/core/Settings.h"

namespace {

// The low 32 bits of the file's size; 0 when it cannot be opened.
uint32_t MeasureFile(const char* path) {
  UniqueFile file(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  return file ? GetFileSize(file.get(), nullptr) : 0;
}

void ReadCopyLine(FileEntry& row, const char* key, const char* value) {
  char fields[2][kTextSize];
  SplitFields(value, fields, 2);
  row = FileEntry{};
  CopyText(row.DestDir, fields[0]);
  CopyText(row.NewName, fields[1]);
  SplitCopyKey(key, row.SourceSubDir, row.FileName);

  char path[kTextSize];
  if (row.SourceSubDir[0] != '\0') {
    if (SourcePath(row, Settings.ModuleDir, "", 0, path)) row.FileSize = MeasureFile(path);
    if (Settings.CabFile) TotalBytes += row.FileSize;
  } else if (!Settings.CabFile) {
    if (SourcePath(row, Settings.ModuleDir, "", 0, path)) row.FileSize = MeasureFile(path);
  }
}

// Something under the path, file or folder. Not FileExists: a directory
// search reads the whole folder, and the copy asks this of every row.
bool PathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool ShouldCopy(const char* source, const char* dest, bool& existed) {
  existed = PathExists(dest);
  CopyChoice choice = ChooseCopy(existed, existed ? CompareFileVersions(source, dest) : kNoVersion);
  if (choice == CopyChoice::ByTime) return IsSourceNewerByTime(source, dest);
  return choice == CopyChoice::Copy;
}

// The destination is in use: writes the new copy under the first numbered
// name that takes it and lists it for the rename at restart.
void CopyToTempName(const char* source, const char* dest) {
  if (PendingRenameCount >= kPendingRenameRows) return;  // list full: the old file stays
  PendingRename& rename = PendingRenames[PendingRenameCount];
  for (int digit = 0; digit <= 9; ++digit) {
    char temp[kTextSize];
    if (!InUseTempName(dest, digit, temp)) return;
    if (!CopyFileA(source, temp, FALSE)) continue;
    SetFileAttributesA(temp, FILE_ATTRIBUTE_NORMAL);
    CopyText(rename.FinalPath, dest);
    CopyText(rename.TempPath, temp);
    ++PendingRenameCount;
    return;
  }
}

void InstallFile(int i, const char* source, const char* dest, bool existed) {
  FileEntry& row = FileTable[i];
  row.Existed = existed;
  // Kept before anything touches it, so that a cancel can put it back.
  row.BackedUp = existed && BackupDestination(i, dest);
  if (existed) SetFileAttributesA(dest, FILE_ATTRIBUTE_NORMAL);
  if (CopyFileA(source, dest, FALSE)) {
    row.Copied = 1;
    SetFileAttributesA(dest, FILE_ATTRIBUTE_NORMAL);
    return;
  }
  DWORD error = GetLastError();
  // The old file back where it was (it may have been moved away). One that
  // a program holds was never opened for writing: its copy is not needed.
  if (row.BackedUp && !RestoreBackup(i, dest) && error == ERROR_SHARING_VIOLATION &&
      PathExists(dest))
    DiscardBackup(i);
  row.BackedUp = 0;
  if (error != ERROR_FILE_NOT_FOUND) CopyToTempName(source, dest);
}

void DeleteExtractedCopy(FileEntry& row) {
  if (Settings.CabFile && row.SourceSubDir[0] == '\0') {
    char path[kTextSize];
    if (JoinPath(path, sizeof path, TempDir, row.FileName)) {
      SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path);
    }
  }
  if (row.Extracted) {
    row.Extracted = 0;
    --ExtractedCount;
  }
}

// The page's two file texts, looked up once while CopyFiles runs: a lookup
// in another thread's window costs as much as setting the text.
struct FileTexts {
  HWND page;
  HWND from;
  HWND to;
};
const FileTexts* ActiveTexts = nullptr;

void ShowFile(HWND page, const char* name, const char* dest) {
  if (ActiveTexts != nullptr && ActiveTexts->page == page) {
    SetWindowTextA(ActiveTexts->from, name);
    SetWindowTextA(ActiveTexts->to, dest);
    return;
  }
  SetControlText(page, kFromText, name);
  SetControlText(page, kToText, dest);
}

void AdvanceProgress(HWND page, uint32_t bytes) {
  CopiedBytes += bytes;
  ProgressPercent = ProgressFor(CopiedBytes, TotalBytes);
  ReportProgress(page);
}

}  // namespace

int ReadCopyFiles() {
  int n = 0;
  ReadListSection("Copy Files", [&n](const char* key, const char* value) {
    if (n >= kFileTableRows) return;  // the table is full: later lines are left out
    ReadCopyLine(FileTable[n], key, value);
    ++n;
  });
  return n;
}

void CopyFiles(HWND page) {
  RecordSession records;
  FileTexts texts{page, GetDlgItem(page, kFromText), GetDlgItem(page, kToText)};
  ActiveTexts = &texts;
  ScopeExit done([] { ActiveTexts = nullptr; });
  for (int i = 0; i < FileCount && i < kFileTableRows; ++i)
    if (!CopyEntry(page, i)) return;
}

bool CopyEntry(HWND page, int i) {
  FileEntry& row = FileTable[i];
  char dest[kTextSize], source[kTextSize];
  // A path cut at 260 characters would name another file: such a row is
  // neither recorded nor copied.
  bool destFits = DestinationPath(row, dest) != 0;
  ShowFile(page, row.FileName, dest);
  if (destFits && Settings.UninstallKey[0] != '\0') RecordDeleteFile(dest);

  bool sourceFits = SourcePath(row, Settings.ModuleDir, TempDir, Settings.CabFile, source) != 0;
  bool existed = false;
  bool copy = destFits && sourceFits && ShouldCopy(source, dest, existed);
  WaitBeforeFile();
  if (copy) {
    if (CancelRequested) return false;
    InstallFile(i, source, dest, existed);
  }
  DeleteExtractedCopy(row);
  AdvanceProgress(page, row.FileSize);
  return true;
}
