// The worker's program steps: stopping the programs of "Kill Programs"
// before the copy, starting those of "Run Programs" after it.
#pragma once
#include <windows.h>

// Longest wait for a window to answer WM_CLOSE (the system's own limit
// before it calls a program hung), and for a process told to exit to end.
constexpr DWORD kCloseAnswerMs = 5000;
constexpr DWORD kProcessEndMs = 10000;

// Ends the first window of each line's class and title: its process on
// the NT family, a WM_CLOSE and a pause of a second on the 9x family.
void KillPrograms();

// Makes the process that owns window call ExitProcess(exitCode) and waits
// up to kProcessEndMs for it to end. FALSE, with the reason as the last
// error, when it could not be told or has not ended.
BOOL TerminateWindowProcess(HWND window, UINT exitCode);

// Starts every program of "Run Programs" in its folder, its parameters as
// one argument, and waits for none. Nothing in preload mode.
void RunPrograms();
