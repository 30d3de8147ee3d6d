// The registry records that the separate uninstaller reads. Callers write
// them only when Settings.UninstallKey is not empty.
#pragma once
#include <windows.h>

#include "common/Handles.h"

// "UninstallString" and "DisplayName" in the product's Uninstall key.
void WriteUninstallEntry();

// DeleteDirectory value for folder with data ("0" or "1") of dataSize bytes.
bool RecordDeleteDirectory(const char* folder, const char* data, DWORD dataSize);

// DeleteFiles value (and SharedFile) for an installed file's full path.
bool RecordDeleteFile(const char* path);

// DeleteRegs value (and SharedReg) for a key, or a value when valueName is
// not empty.
bool RecordDeleteReg(HKEY root, const char* keyPath, const char* valueName);

// While one lives, RecordDeleteFile reuses the product's open DeleteFiles
// key and leaves the Uninstall entry, written once at the start, alone: the
// same records with a third of the registry calls, for the copy of a whole
// table. One at a time, on the thread that records.
class RecordSession {
 public:
  RecordSession();
  ~RecordSession();
  RecordSession(const RecordSession&) = delete;
  RecordSession& operator=(const RecordSession&) = delete;
  HKEY DeleteFilesKey() const { return deleteFiles_.get(); }

 private:
  UniqueKey deleteFiles_;
};

// Worker step: creates InstallDir level by level when AskPath is on.
void CreateInstallDir();
