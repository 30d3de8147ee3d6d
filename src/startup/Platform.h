#pragma once
#include <windows.h>

// Fills the platform flags, TitleSuffix, InstallDir and ModuleDir.
void DetectPlatform(HINSTANCE instance);

// Each test asks the system afresh and answers 0 or 1, as the flag does.
int TestIsNT();
int TestIsWin2000OrLater();
int TestIsWin9x();
int TestIsWin95();
int TestIsWin98OrLater();
int TestIsWinME();
int TestIsX64();
