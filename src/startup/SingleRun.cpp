#include "SingleRun.h"

#include <windows.h>

namespace {

// Held while this Setup runs; the system drops it with the process. A plain
// name: Windows 95 and NT 4 know no "Local\" prefix.
HANDLE Running = nullptr;

}  // namespace

bool TakeSingleRun() {
  Running = CreateMutexA(nullptr, FALSE, "FullSetupClass.Running");
  return !(Running != nullptr && GetLastError() == ERROR_ALREADY_EXISTS);
}

void LetTheNextRun() {
  if (Running != nullptr) CloseHandle(Running);
  Running = nullptr;
}
