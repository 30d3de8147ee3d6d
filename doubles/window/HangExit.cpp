// Loaded by windowprog in its hang-exit mode: holds the process for 60 s
// once it has been told to exit, as a DLL whose unloading hangs.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID exiting) {
  if (reason == DLL_PROCESS_DETACH && exiting != nullptr) Sleep(60000);
  return TRUE;
}
