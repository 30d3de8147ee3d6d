// Test double for a running program that holds a file:
//
//   holdfile.exe <file> <ready-flag> <release-flag> [share-read|share-delete|load]
//
// Opens <file> for reading and writing with no sharing (share-read: sharing
// reading, as a program that reads its own file; share-delete: sharing
// reading and deleting), or with "load" loads it as a library (no open
// handle, as a running program's DLL), creates <ready-flag>, and holds the
// file until <release-flag> exists (at most 60 s). Exit code 0, or 1 when
// the file could not be opened or loaded.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc < 4) return 2;
  const char* mode = __argc > 4 ? __argv[4] : "";
  HANDLE held = INVALID_HANDLE_VALUE;
  HMODULE library = nullptr;
  if (std::strcmp(mode, "load") == 0) {
    library = LoadLibraryA(__argv[1]);
    if (library == nullptr) return 1;
  } else {
    DWORD share = std::strcmp(mode, "share-read") == 0     ? FILE_SHARE_READ
                  : std::strcmp(mode, "share-delete") == 0 ? FILE_SHARE_READ | FILE_SHARE_DELETE
                                                           : 0;
    held = CreateFileA(__argv[1], GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 1;
  }
  HANDLE ready = CreateFileA(__argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  for (int waited = 0; waited < 60000; waited += 20) {
    if (GetFileAttributesA(__argv[3]) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(20);
  }
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  if (library != nullptr) FreeLibrary(library);
  return 0;
}
