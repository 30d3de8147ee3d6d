// Test double for a running program that Setup stops: shows a top-level
// window of a given class and title and logs (see logprog) its START, each
// CLOSE it is sent and its END.
//
//   windowprog.exe <class> <title> [hang | hang-exit]
//
// hang: stops serving its window (for 60 s), as a program that no longer
// answers. hang-exit: once told to exit, takes 60 s to end, as a program
// whose DLLs hang while it unloads (hangexit.dll).
#include <windows.h>

#include <cstring>
#include <string>

#include "DoubleLog.h"

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    doubles::LogEvent("CLOSE", "");
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc < 3) return 2;
  const std::string mode = __argc > 3 ? __argv[3] : "";
  if (mode == "hang-exit" && !LoadLibraryA(doubles::Beside("hangexit.dll").c_str())) return 4;
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = __argv[1];
  RegisterClassA(&wc);
  HWND window = CreateWindowA(__argv[1], __argv[2], WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                              nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  doubles::LogEvent("START", std::string("|") + __argv[1] + "|" + __argv[2] + "|" + mode);
  if (mode == "hang") {
    Sleep(60000);
    return 3;
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  doubles::LogEvent("END", "");
  return 0;
}
