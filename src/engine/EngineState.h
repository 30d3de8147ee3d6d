// The engine's side of the progress page: the pause event and the waits and
// reports the copy and the cabinet step make per file.
#pragma once
#include <windows.h>

#include "engine/core/EngineState.h"

// Manual reset, created signalled by the progress page; reset while the
// "Exit Setup" question is open. Null when no page made one.
extern HANDLE PauseEvent;

// Waits, without a time limit, until the page lets the engine go on.
void WaitBeforeFile();

// Asks the page to repaint its bar after ProgressPercent changed.
void ReportProgress(HWND page);
