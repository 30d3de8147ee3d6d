// What the product's checks must refuse: an import that Windows 95 lacks,
// the C runtime DLL, and a dynamic initialiser.
#include <windows.h>

#include <cstdlib>

extern "C" __declspec(dllimport) ULONGLONG WINAPI GetTickCount64();  // Vista

static DWORD StartTick = static_cast<DWORD>(GetTickCount64());

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return static_cast<int>(StartTick) + std::rand(); }
