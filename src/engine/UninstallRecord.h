// The registry records that the separate uninstaller reads. Callers write
// them only when Settings.UninstallKey is not empty.
#pragma once
#include <windows.h>

// "UninstallString" and "DisplayName" in the product's Uninstall key.
void WriteUninstallEntry();

// DeleteDirectory value for folder with data ("0" or "1") of dataSize bytes.
bool RecordDeleteDirectory(const char* folder, const char* data, DWORD dataSize);

// DeleteFiles value (and SharedFile) for an installed file's full path.
bool RecordDeleteFile(const char* path);

// DeleteRegs value (and SharedReg) for a key, or a value when valueName is
// not empty.
bool RecordDeleteReg(HKEY root, const char* keyPath, const char* valueName);

// Worker step: creates InstallDir level by level when AskPath is on.
void CreateInstallDir();
