// The worker's program steps: stopping the programs of "Kill Programs"
// before the copy, starting those of "Run Programs" after it.
#pragma once
#include <windows.h>

// Longest wait for a window to answer WM_CLOSE (5 s, the system's own
// limit before it calls a program hung), for a process told to exit to end
// (10 s), and the pause after WM_CLOSE on the 9x family (1 s). Variables
// only so that tests can shorten them.
extern DWORD CloseAnswerMs;
extern DWORD ProcessEndMs;
extern DWORD ClosePauseMs;

// Ends the first window of each line's class and title: its process on
// the NT family, a WM_CLOSE and a pause of a second on the 9x family.
void KillPrograms();

// Makes the process that owns window call ExitProcess(exitCode) and waits
// up to ProcessEndMs for it to end. FALSE, with the reason as the last
// error, when it could not be told or has not ended.
BOOL TerminateWindowProcess(HWND window, UINT exitCode);

// Starts every program of "Run Programs" in its folder, its parameters as
// one argument, and waits for none. Nothing in preload mode.
void RunPrograms();
