#include "engine/UninstallRecord.h"

#include <cstring>

#include "common/Handles.h"
#include "engine/core/FileTable.h"
#include "startup/core/Settings.h"

namespace {

constexpr const char* kUninstallRoot = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kVendorUninstall = "Software\\VELMORAX\\Uninstall\\";

bool CreateKey(const char* path, UniqueKey& key) {
  DWORD disposition = 0;
  return RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_ALL_ACCESS, nullptr, key.put(), &disposition) == ERROR_SUCCESS;
}

bool SetText(HKEY key, const char* name, const char* data) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                        static_cast<DWORD>(std::strlen(data) + 1)) == ERROR_SUCCESS;
}

// Writes one value into HKLM\path; false when the key or value fails.
bool WriteValue(const char* path, const char* name, const char* data, DWORD dataSize) {
  UniqueKey key;
  if (!CreateKey(path, key)) return false;
  return RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                        dataSize) == ERROR_SUCCESS;
}

// The product's key with a subkey: "...\Uninstall\<UninstallKey>\<sub>".
// False when it does not fit (a cut path would name another key).
bool ProductKeyPath(const char* sub, char (&path)[kTextSize]) {
  int fits = CopyText(path, kUninstallRoot);
  fits &= AppendText(path, Settings.UninstallKey);
  if (sub[0] != '\0') {
    fits &= AppendText(path, "\\");
    fits &= AppendText(path, sub);
  }
  return fits != 0;
}

// Set when this run made the product's Uninstall entry.
bool EntryCreatedByThisRun = false;

// Without an uninstall key the product's key would be the Uninstall key
// itself: nothing is recorded then, whoever calls.
bool Recording() { return Settings.UninstallKey[0] != '\0'; }

// "Software\VELMORAX\Uninstall\SharedFile\<file name>".
bool SharedFilePath(const char* installedPath, char (&shared)[kTextSize]) {
  const char* last = std::strrchr(installedPath, '\\');
  const char* name = last ? last + 1 : installedPath;
  return CopyText(shared, kVendorUninstall) && AppendText(shared, "SharedFile\\") &&
         AppendText(shared, name);
}

const char* RootName(HKEY root) {
  if (root == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
  if (root == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
  if (root == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
  return "HKEY_USERS";
}

}  // namespace

void WriteUninstallEntry() {
  if (!Recording()) return;
  char path[kTextSize];
  if (!ProductKeyPath("", path)) return;
  UniqueKey key;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, key.put(), &disposition) != ERROR_SUCCESS)
    return;
  if (disposition == REG_CREATED_NEW_KEY) EntryCreatedByThisRun = true;
  char command[2 * kTextSize];
  CopyText(command, "KQUninst.exe ");
  AppendText(command, Settings.UninstallKey);
  SetText(key.get(), "UninstallString", command);
  SetText(key.get(), "DisplayName",
          Settings.UninstallDisplayName[0] ? Settings.UninstallDisplayName : Settings.ProductName);
}

bool RecordDeleteDirectory(const char* folder, const char* data, DWORD dataSize) {
  if (!Recording()) return false;
  WriteUninstallEntry();
  char path[kTextSize];
  if (!ProductKeyPath("DeleteDirectory", path)) return false;
  return WriteValue(path, folder, data, dataSize);
}

RecordSession::RecordSession() = default;
RecordSession::~RecordSession() = default;

HKEY RecordSession::DeleteFilesKey() {
  if (!opened_ && Recording()) {
    opened_ = true;
    WriteUninstallEntry();
    char path[kTextSize];
    if (ProductKeyPath("DeleteFiles", path)) CreateKey(path, deleteFiles_);
  }
  return deleteFiles_.get();
}

bool RecordDeleteFile(const char* installedPath, RecordSession* session) {
  if (!Recording()) return false;
  char folder[kTextSize] = "";
  const char* name = installedPath;
  if (const char* last = std::strrchr(installedPath, '\\')) {
    CopyTextN(folder, sizeof folder, installedPath, static_cast<std::size_t>(last - installedPath));
    name = last + 1;
  }
  if (session != nullptr && session->DeleteFilesKey() != nullptr) {
    if (!SetText(session->DeleteFilesKey(), name, folder)) return false;
  } else {
    WriteUninstallEntry();
    char path[kTextSize];
    if (!ProductKeyPath("DeleteFiles", path)) return false;
    if (!WriteValue(path, name, folder, static_cast<DWORD>(std::strlen(folder) + 1))) return false;
  }

  char shared[kTextSize];
  if (SharedFilePath(installedPath, shared))
    WriteValue(shared, Settings.UninstallKey, folder, static_cast<DWORD>(std::strlen(folder) + 1));
  return true;
}

bool RecordDeleteReg(HKEY root, const char* keyPath, const char* valueName) {
  if (!Recording()) return false;
  WriteUninstallEntry();
  // A key path and a value name of 259 characters each, and the separator.
  char recordName[2 * kTextSize + 2];
  CopyText(recordName, keyPath);
  if (valueName[0] != '\0') {
    AppendText(recordName, "\\\\");
    AppendText(recordName, valueName);
  }
  char sub[kTextSize];
  CopyText(sub, "DeleteRegs\\");
  AppendText(sub, RootName(root));
  char path[kTextSize];
  if (!ProductKeyPath(sub, path)) return false;
  DWORD size = static_cast<DWORD>(std::strlen(valueName) + 1);
  if (!WriteValue(path, recordName, valueName, size)) return false;

  char shared[kTextSize];
  int fits = CopyText(shared, kVendorUninstall);
  fits &= AppendText(shared, "SharedReg\\");
  fits &= AppendText(shared, Settings.UninstallKey);
  fits &= AppendText(shared, "\\");
  if (fits & AppendText(shared, RootName(root))) WriteValue(shared, recordName, valueName, size);
  return true;
}

namespace {

// Deletes a key with everything below it (RegDeleteKeyA leaves a key with
// subkeys alone on the NT family).
void DeleteKeyTree(HKEY root, const char* path) {
  {
    UniqueKey key;
    if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) return;
    char sub[kTextSize];
    char child[kTextSize];
    // Always the first: each one found is deleted before the next look.
    while (RegEnumKeyA(key.get(), 0, sub, sizeof sub) == ERROR_SUCCESS) {
      if (!CopyText(child, path) || !AppendText(child, "\\") || !AppendText(child, sub)) return;
      DeleteKeyTree(root, child);
      UniqueKey check;
      if (RegOpenKeyExA(root, child, 0, KEY_READ, check.put()) == ERROR_SUCCESS) return;
    }
  }
  RegDeleteKeyA(root, path);
}

}  // namespace

void RemoveUninstallEntryOfThisRun() {
  if (!EntryCreatedByThisRun || !Recording()) return;
  for (int i = 0; i < CopyRowCount(); ++i) {
    char dest[kTextSize], shared[kTextSize];
    if (DestinationPath(FileTable[i], dest) && SharedFilePath(dest, shared)) {
      UniqueKey key;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, shared, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
        RegDeleteValueA(key.get(), Settings.UninstallKey);
    }
  }
  char path[kTextSize];
  if (ProductKeyPath("", path)) DeleteKeyTree(HKEY_LOCAL_MACHINE, path);
  char shared[kTextSize];
  if (CopyText(shared, kVendorUninstall) && AppendText(shared, "SharedReg\\") &&
      AppendText(shared, Settings.UninstallKey))
    DeleteKeyTree(HKEY_LOCAL_MACHINE, shared);
  EntryCreatedByThisRun = false;
}

void ResetUninstallRecordState() { EntryCreatedByThisRun = false; }
