#include "engine/EngineState.h"

HANDLE PauseEvent = nullptr;

void WaitBeforeFile() {
  if (PauseEvent != nullptr) WaitForSingleObject(PauseEvent, INFINITE);
}

void ReportProgress(HWND page) { PostMessageA(page, WM_PAINT, 0, 0); }
