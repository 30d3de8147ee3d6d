// The baseline for the install benchmark: copies the named files from one
// folder to another with CopyFileA and nothing else.
//
//   copyloop.exe <from> <to> <name>...
//
// Exit code 1 when any copy failed.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  int failed = 0;
  char from[MAX_PATH], to[MAX_PATH];
  for (int i = 3; i < argc; ++i) {
    std::snprintf(from, sizeof from, "%s\\%s", argv[1], argv[i]);
    std::snprintf(to, sizeof to, "%s\\%s", argv[2], argv[i]);
    failed |= !CopyFileA(from, to, FALSE);
  }
  return failed;
}
