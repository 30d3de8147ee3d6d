// uidriver: the UI driver as a command, for scripts and by-hand checks.
//   uidriver find  [--class C] [--caption T] [--timeout MS]   prints the window's texts
//   uidriver press [--class C] [--caption T] [--timeout MS] --button LABEL|#ID
//   uidriver show  [--class C] [--caption T] [--timeout MS]   shows a hidden window
// Exit code 0 when the window was found (and the button pressed), 1 otherwise.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "UiDriver.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: uidriver find|press|show [--class C] [--caption T] [--timeout MS] [--button B]\n");
    return 2;
  }
  std::string verb = argv[1], cls, caption, button;
  DWORD timeout = 5000;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--class")) cls = argv[i + 1];
    else if (!std::strcmp(argv[i], "--caption")) caption = argv[i + 1];
    else if (!std::strcmp(argv[i], "--timeout")) timeout = std::strtoul(argv[i + 1], nullptr, 10);
    else if (!std::strcmp(argv[i], "--button")) button = argv[i + 1];
  }
  HWND hwnd = ui::FindTopWindow(cls, caption, timeout);
  if (!hwnd) {
    std::fprintf(stderr, "uidriver: no such window\n");
    return 1;
  }
  std::printf("window class=%s caption=%s\n", ui::ClassName(hwnd).c_str(), ui::WindowText(hwnd).c_str());
  for (const ui::Control& c : ui::Children(hwnd))
    std::printf("  control id=%d class=%s visible=%d text=%s\n", c.id, c.className.c_str(), c.visible ? 1 : 0,
                c.text.c_str());
  if (verb == "press") {
    bool ok = (!button.empty() && button[0] == '#') ? ui::PressButton(hwnd, std::atoi(button.c_str() + 1))
                                                    : ui::PressButton(hwnd, button);
    return ok ? 0 : 1;
  }
  if (verb == "show") {
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
  }
  return 0;
}
