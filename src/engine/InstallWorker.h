// The install worker thread that the progress page starts: stops programs,
// copies the files, then installs the driver, writes the registry and
// starts programs, and moves the wizard on.
#pragma once
#include <windows.h>

// Thread procedure; page is the progress page's window (HWND), through
// which it reaches the page's controls and, as the page's parent, the
// sheet. Presses the sheet's Next button at its end unless the user
// abandoned the installation. Returns 0.
DWORD WINAPI InstallWorker(LPVOID page);
