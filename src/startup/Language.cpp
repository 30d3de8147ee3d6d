#include "Language.h"

#include <windows.h>

#include "common/Handles.h"
#include "SetupScript.h"
#include "startup/core/LanguageTable.h"
#include "startup/core/Settings.h"

namespace {

// Looked up at run time: only the NT family has it, and it is called there only.
int TrySetThreadLocale(uint32_t locale, void*) {
  using SetThreadLocaleFn = BOOL(WINAPI*)(LCID);
  HMODULE kernel = GetModuleHandleA("kernel32");
  auto setThreadLocale = kernel ? reinterpret_cast<SetThreadLocaleFn>(reinterpret_cast<void*>(
                                      GetProcAddress(kernel, "SetThreadLocale")))
                                : nullptr;
  return setThreadLocale != nullptr && setThreadLocale(locale) ? 1 : 0;
}

// Number of bytes in the file, by reading it through.
int32_t MeasureFile(const char* path) {
  UniqueFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 0;
  int32_t total = 0;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) total += got;
  return total;
}

}  // namespace

void SetThreadLanguage() { ChooseThreadLocale(GetThreadLocale(), TrySetThreadLocale, nullptr); }

void ReadUserLocaleText(int isNT, char* out, std::size_t cap) {
  CopyText(out, cap, kFallbackLocaleText);
  const char* path = isNT ? "Control Panel\\International" : "Control Panel\\Desktop\\ResourceLocale";
  const char* valueName = isNT ? "Locale" : nullptr;
  UniqueKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS ||
      size == 0)
    return;
  HANDLE heap = GetProcessHeap();
  auto* block = static_cast<char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, size + 1));
  if (block == nullptr) return;
  DWORD got = size;
  if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(block),
                       &got) == ERROR_SUCCESS) {
    block[got < size ? got : size] = '\0';  // a value stored without its NUL
    CopyText(out, cap, block);
  }
  HeapFree(heap, 0, block);
}

void ChooseLicenseFile() {
  char locale[kTextSize];
  ReadUserLocaleText(Settings.IsNT, locale, sizeof locale);
  int row = MatchLicenseRow(locale);
  if (row < 0) return;

  const char* fileName = kLanguageTable[row].LicenseFile;
  char found[kTextSize];
  char* filePart = nullptr;
  DWORD n = SearchPathA(Settings.LicenseFile, fileName, nullptr, sizeof found, found, &filePart);
  if (n > 0 && n < sizeof found) {
    char path[kTextSize];
    CopyText(path, Settings.LicenseFile);
    // A path that would not fit is not taken: the page then shows nothing.
    if (AppendText(path, "\\") && AppendText(path, fileName)) CopyText(Settings.LicenseFile, path);
  }
  if (FileExists(Settings.LicenseFile)) Settings.LicenseLength += MeasureFile(Settings.LicenseFile);
}
