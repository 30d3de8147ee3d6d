#include "engine/CopyFiles.h"

#include "common/Handles.h"
#include "engine/Backup.h"
#include "engine/EngineState.h"
#include "engine/FileVersion.h"
#include "engine/PageControls.h"
#include "engine/UninstallRecord.h"
#include "finish/Finish.h"
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

bool ShouldCopy(const char* source, const char* dest, bool& existed) {
  existed = FileExists(dest) != 0;
  CopyChoice choice = ChooseCopy(existed, existed ? CompareFileVersions(source, dest) : kNoVersion);
  if (choice == CopyChoice::ByTime) return IsSourceNewerByTime(source, dest);
  return choice == CopyChoice::Copy;
}

// A numbered name this run already gave the new copy of another file (KBD.0
// for both KBD.EXE and KBD.DLL): taking it too would put that copy in place
// of the wrong file at the restart.
bool TakenForAnother(const char* temp, const char* dest) {
  for (int32_t k = 0; k < PendingRenameCount && k < kPendingRenameRows; ++k)
    if (EqualsNoCase(PendingRenames[k].TempPath, temp) &&
        !EqualsNoCase(PendingRenames[k].FinalPath, dest))
      return true;
  return false;
}

// The destination is in use: writes the new copy under the first numbered
// name that takes it and lists it for the rename at restart. False when
// neither a name nor a row of the list could be had.
bool CopyToTempName(const char* source, const char* dest) {
  if (PendingRenameCount >= kPendingRenameRows) return false;
  PendingRename& rename = PendingRenames[PendingRenameCount];
  for (int digit = 0; digit <= 9; ++digit) {
    char temp[kTextSize];
    if (!InUseTempName(dest, digit, temp)) return false;
    // On NT the restart moves in the order listed: an existing numbered file
    // may be an earlier run's copy still waiting there (or anybody's file),
    // and is passed over. Windows 9x takes the newest wininit.ini line
    // first, where writing over an earlier copy keeps the newest one.
    if (TakenForAnother(temp, dest) || !CopyFileA(source, temp, Settings.IsNT ? TRUE : FALSE))
      continue;
    SetFileAttributesA(temp, FILE_ATTRIBUTE_NORMAL);
    CopyText(rename.FinalPath, dest);
    CopyText(rename.TempPath, temp);
    ++PendingRenameCount;
    return true;
  }
  return false;
}

// After a failed copy: the old file is normally untouched and its backup no
// longer needed; one that the failed copy damaged is put back, and when
// even that fails its backup is kept for the cleanup and the worker's end.
void AfterFailedCopy(int i, const char* dest) {
  FileEntry& row = FileTable[i];
  if (!row.BackedUp) return;
  if (!MatchesBackup(i, dest) && !RestoreBackup(i, dest)) {
    row.RestorePending = 1;
    return;
  }
  DiscardBackup(i);
  row.BackedUp = 0;
}

enum RowOutcome { kRowDone, kRowAccessDenied, kRowFailed };

RowOutcome InstallFile(int i, const char* source, const char* dest, bool existed) {
  FileEntry& row = FileTable[i];
  row.Existed = existed;
  // An earlier run's copy waits to replace the file at the restart and would
  // put itself over this one: this copy goes that way too, to land after it.
  if (existed && RestartReplaces(dest)) return CopyToTempName(source, dest) ? kRowDone : kRowFailed;
  // Kept as a copy before anything touches the original, for a cancel.
  row.BackedUp = existed && BackupDestination(i, dest);
  if (existed) SetFileAttributesA(dest, FILE_ATTRIBUTE_NORMAL);
  if (CopyFileA(source, dest, FALSE)) {
    row.Copied = 1;
    SetFileAttributesA(dest, FILE_ATTRIBUTE_NORMAL);
    return kRowDone;
  }
  DWORD error = GetLastError();
  AfterFailedCopy(i, dest);
  // In use (a program holds it, or it is a loaded library): replaced at
  // the restart instead.
  if (CopyToTempName(source, dest)) return kRowDone;
  return error == ERROR_ACCESS_DENIED ? kRowAccessDenied : kRowFailed;
}

void NoteFailure(RowOutcome outcome) {
  if (outcome == kRowAccessDenied) InstallResult = kResultNoPrivilege;
  else if (outcome == kRowFailed && InstallResult == kResultSuccess) InstallResult = kResultFailed;
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

CopyRun::CopyRun(HWND page)
    : Page(page), FromText(GetDlgItem(page, kFromText)), ToText(GetDlgItem(page, kToText)) {}

void CopyFiles(HWND page) {
  CopyRun run(page);
  for (int i = 0; i < CopyRowCount(); ++i)
    if (!CopyEntry(run, i)) return;
}

bool CopyEntry(CopyRun& run, int i) {
  FileEntry& row = FileTable[i];
  char dest[kTextSize], source[kTextSize];
  // A path cut at 260 characters would name another file: such a row is
  // neither recorded nor copied.
  bool destFits = DestinationPath(row, dest) != 0;
  SetWindowTextA(run.FromText, row.FileName);
  SetWindowTextA(run.ToText, dest);
  // A folder that is no full path (empty or relative, as a token without a
  // value leaves it) would put the file somewhere else, and a destination
  // that is a folder cannot take it: such a row fails instead.
  DWORD destAttributes = GetFileAttributesA(dest);
  bool usable = destFits && IsFullFolder(row.DestDir) &&
                (destAttributes == INVALID_FILE_ATTRIBUTES ||
                 !(destAttributes & FILE_ATTRIBUTE_DIRECTORY));

  bool sourceFits = SourcePath(row, Settings.ModuleDir, TempDir, Settings.CabFile, source) != 0;
  bool existed = false;
  // A source that the media do not carry is left out: scripts may list
  // files that only some media have.
  bool present = sourceFits && FileExists(source);
  bool copy = usable && present && ShouldCopy(source, dest, existed);
  WaitBeforeFile();
  if (CancelRequested) return false;  // after "Exit Setup" nothing more is recorded
  if (usable) RecordDeleteFile(dest, &run.Records);
  if (destFits && !usable && present) NoteFailure(kRowFailed);
  if (copy) NoteFailure(InstallFile(i, source, dest, existed));
  DeleteExtractedCopy(row);
  AdvanceProgress(run.Page, row.FileSize);
  return true;
}

bool CopyEntry(HWND page, int i) {
  CopyRun run(page);
  return CopyEntry(run, i);
}
