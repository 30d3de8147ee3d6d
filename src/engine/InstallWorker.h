// The install worker: the thread that installs while the progress page
// shows it. It reaches the wizard only through messages to the page (its
// parameter) and the page's sheet, and presses Next as its last action.
#pragma once
#include <windows.h>

DWORD WINAPI InstallWorker(LPVOID page);
