// The registry records that the separate uninstaller reads. Callers write
// them only when Settings.UninstallKey is not empty.
#pragma once
#include <windows.h>

#include "common/Handles.h"

// "UninstallString" and "DisplayName" in the product's Uninstall key.
void WriteUninstallEntry();

// DeleteDirectory value for folder with data ("0" or "1") of dataSize bytes.
bool RecordDeleteDirectory(const char* folder, const char* data, DWORD dataSize);

// DeleteFiles value (and SharedFile) for an installed file's full path;
// through session's open key when one is given.
class RecordSession;
bool RecordDeleteFile(const char* path, RecordSession* session = nullptr);

// DeleteRegs value (and SharedReg) for a key, or a value when valueName is
// not empty.
bool RecordDeleteReg(HKEY root, const char* keyPath, const char* valueName);

// Handed to RecordDeleteFile, it reuses the product's open DeleteFiles key
// and leaves the Uninstall entry, written once at the start, alone: the
// same records with a third of the registry calls, for the copy of a whole
// table.
class RecordSession {
 public:
  RecordSession();
  ~RecordSession();
  RecordSession(const RecordSession&) = delete;
  RecordSession& operator=(const RecordSession&) = delete;
  // The product's DeleteFiles key, opened on first use; null without one.
  HKEY DeleteFilesKey();

 private:
  UniqueKey deleteFiles_;
  bool opened_ = false;
};

// After a confirmed cancel: removes the product's Uninstall entry and its
// shared records when this run created the entry; one that was there
// before the run stays.
// The SharedFile records of the Copy Files rows go too.
void RemoveUninstallEntryOfThisRun();

// Back to the start of a run (the tests run several installations).
void ResetUninstallRecordState();

// Worker step: creates InstallDir level by level when AskPath is on.
void CreateInstallDir();
// After a confirmed cancel: removes the levels of InstallDir that this run
// made, bottom up, as long as they are empty. Their record goes with the
// run's uninstall entry, and nothing else would ever remove them.
void RemoveInstallDirOfThisRun();
