// Test double for a running program that holds a file open without sharing,
// as a loaded driver or DLL does:
//
//   holdfile.exe <file> <ready-flag> <release-flag> [share-read]
//
// Opens <file> for reading and writing with no sharing (or sharing reading
// only, as a program that reads its own file), creates
// <ready-flag>, and keeps the file open until <release-flag> exists (at
// most 60 s). Exit code 0, or 1 when the file could not be opened.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc < 4) return 2;
  DWORD share = (__argc > 4 && std::strcmp(__argv[4], "share-read") == 0) ? FILE_SHARE_READ : 0;
  HANDLE held = CreateFileA(__argv[1], GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  HANDLE ready = CreateFileA(__argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  for (int waited = 0; waited < 60000; waited += 20) {
    if (GetFileAttributesA(__argv[3]) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(20);
  }
  CloseHandle(held);
  return 0;
}
