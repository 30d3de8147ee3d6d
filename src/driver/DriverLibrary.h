// The device support library that ships with the installation files.
#pragma once
#include <windows.h>

// kqsetup.dll from the program's own folder, else from the system folder;
// never from the current folder or PATH. nullptr when neither has it.
HMODULE LoadDriverLibrary();

// Removes the device of hardwareId and waits (up to 30 tries, a second
// apart) until it is present again.
void ReenumerateDevice(const char* hardwareId);
