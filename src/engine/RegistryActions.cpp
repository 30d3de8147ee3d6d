#include "engine/RegistryActions.h"

#include <windows.h>

#include "common/Handles.h"
#include "common/Process.h"
#include "engine/UninstallRecord.h"
#include "engine/core/RegistryLine.h"
#include "startup/Language.h"
#include "startup/ListSection.h"
#include "startup/SetupScript.h"
#include "startup/core/Settings.h"

char LocaleId[kTextSize] = "00000409";

namespace {

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryRoot::CurrentUser:
      return HKEY_CURRENT_USER;
    case RegistryRoot::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryRoot::Users:
      break;
  }
  return HKEY_USERS;
}

DWORD ValueType(RegistryKind kind) {
  if (kind == RegistryKind::Dword) return REG_DWORD;
  if (kind == RegistryKind::Binary) return REG_BINARY;
  return REG_SZ;
}

void AddRegistryLine(const char* value) {
  RegistryLine line;
  ParseRegistryLine(value, SplitField, line);
  const HKEY root = RootKey(line.Root);
  {
    UniqueKey key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, line.KeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, key.put(), &disposition) == ERROR_SUCCESS &&
        line.Kind != RegistryKind::Key) {
      uint32_t size = 0;
      const void* data = RegistryData(line, &size);
      RegSetValueExA(key.get(), line.ValueName, 0, ValueType(line.Kind),
                     static_cast<const BYTE*>(data), size);
    }
  }
  // An empty path names the root itself, which the uninstaller would
  // remove whole.
  if (Settings.UninstallKey[0] != '\0' && line.KeyPath[0] != '\0')
    RecordDeleteReg(root, line.KeyPath, line.ValueName);
}

// The editor that the system's program search finds, by its full path and
// without the two folders that search looks in first: a "regedit.exe" on
// the media or in the current folder must never run in its place. The system
// folder comes before the Windows folder there: on 64-bit Windows it holds
// the 32-bit editor, which writes the registry view Setup itself writes.
// Under Terminal Services the user's own Windows folder holds no editor:
// the shared one is asked for where the system knows it (2000 and later).
bool RegistryEditorPath(char (&path)[kTextSize]) {
  UINT system = GetSystemDirectoryA(path, sizeof path);
  if (system > 0 && system < sizeof path && AppendText(path, "\\regedit.exe") && FileExists(path))
    return true;
  using FolderFn = UINT(WINAPI*)(LPSTR, UINT);
  HMODULE kernel = GetModuleHandleA("kernel32");
  auto systemWindows = kernel ? reinterpret_cast<FolderFn>(reinterpret_cast<void*>(
                                    GetProcAddress(kernel, "GetSystemWindowsDirectoryA")))
                              : nullptr;
  UINT n =
      systemWindows ? systemWindows(path, sizeof path) : GetWindowsDirectoryA(path, sizeof path);
  if (n == 0 || n >= sizeof path) return false;
  if (path[n - 1] != '\\' && !AppendText(path, "\\")) return false;
  return AppendText(path, "regedit.exe") != 0;
}

}  // namespace

void ReadLocaleId() { ReadUserLocaleText(Settings.IsNT, LocaleId, sizeof LocaleId); }

void AddRegistry() {
  ReadListSection("Add Registry", [](const char*, const char* value) { AddRegistryLine(value); });
}

void AddRegistryFiles() {
  ReadLocaleId();
  char editor[kTextSize];
  if (!RegistryEditorPath(editor)) return;
  ReadListSection("Add Registry Files", [&editor](const char*, const char* value) {
    LineCursor cursor = StartLine(value, SplitField);
    char file[kTextSize];
    char locale[kTextSize];
    NextField(cursor, file, sizeof file);
    NextField(cursor, locale, sizeof locale);
    if (!RegistryFileRuns(locale, LocaleId)) return;
    char path[kTextSize];
    int fits = CopyText(path, Settings.ModuleDir);
    fits &= AppendText(path, "\\");
    if (!(fits & AppendText(path, file)) || !FileExists(path)) return;
    char commandLine[kTextSize];
    if (!RegeditCommandLine(path, commandLine)) return;
    ProcessInfo process;
    StartProgram(editor, commandLine, nullptr, process, SW_HIDE);
  });
}
