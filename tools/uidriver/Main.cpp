// uidriver: the UI driver as a command, for scripts and by-hand checks.
//   uidriver find  [--class C] [--caption T] [--timeout MS]   prints the window's texts
//   uidriver press [--class C] [--caption T] [--timeout MS] --button LABEL|#ID
//   uidriver show  [--class C] [--caption T] [--timeout MS]   shows a hidden window
//   uidriver wizard --shots DIR [--timeout MS]   clicks a wizard sheet through with
//     Next, then Finish, saving each page as DIR\NN.bmp and printing its caption
//   uidriver run PROGRAM [ARG...]   runs it, waits, prints "exit code N" in full
//     (a Unix shell sees only its lowest byte: 3010 would read 194)
// Exit code 0 when the window was found (and the button pressed), 1 otherwise.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "UiDriver.h"

namespace {

// The window as it is on the screen, as a 24-bit BMP file.
void SaveWindow(HWND hwnd, const std::string& path) {
  RECT r;
  GetWindowRect(hwnd, &r);
  const int w = r.right - r.left, h = r.bottom - r.top, stride = (w * 3 + 3) & ~3;
  HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
  BITMAPINFOHEADER info = {sizeof info, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                 &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  BITMAPFILEHEADER file = {0x4D42, DWORD(sizeof file + sizeof info + stride * h), 0, 0,
                           sizeof file + sizeof info};
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&info, sizeof info, 1, f);
    std::fwrite(bits, stride, h, f);
    std::fclose(f);
  }
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

// Next on every page (waiting while it is disabled), Finish where it shows.
int ClickThrough(HWND sheet, const std::string& shots, DWORD timeout) {
  HWND seen = nullptr;
  int n = 0;
  for (DWORD start = GetTickCount(); IsWindow(sheet) && GetTickCount() - start < timeout;
       Sleep(50)) {
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    HWND next = GetDlgItem(sheet, 0x3024), finish = GetDlgItem(sheet, 0x3025);
    const bool finishing = finish && IsWindowVisible(finish) && IsWindowEnabled(finish);
    if (page == nullptr || (!finishing && !(next && IsWindowEnabled(next)))) continue;
    if (page != seen) {
      Sleep(400);  // let it paint
      char name[16];
      std::snprintf(name, sizeof name, "\\%02d.bmp", ++n);
      SaveWindow(sheet, shots + name);
      std::printf("page %d: %s\n", n, ui::WindowText(page).c_str());
      std::fflush(stdout);
      seen = page;
    }
    ui::PressButton(sheet, finishing ? 0x3025 : 0x3024);
    Sleep(300);
  }
  return IsWindow(sheet) ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: uidriver find|press|show [--class C] [--caption T] [--timeout MS] [--button B]\n");
    return 2;
  }
  std::string verb = argv[1], cls, caption, button, shots;
  if (verb == "run" && argc > 2) {
    std::string line;
    for (int i = 2; i < argc; ++i) line += (i > 2 ? " " : "") + std::string(argv[i]);
    line = "\"" + line.substr(0, line.find(' ')) + "\"" + line.substr(std::min(line.find(' '), line.size()));
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      return 1;
    DWORD code = 0;
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &code);
    std::printf("exit code %lu\n", code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
  }
  DWORD timeout = 5000;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--class")) cls = argv[i + 1];
    else if (!std::strcmp(argv[i], "--caption")) caption = argv[i + 1];
    else if (!std::strcmp(argv[i], "--timeout")) timeout = std::strtoul(argv[i + 1], nullptr, 10);
    else if (!std::strcmp(argv[i], "--button")) button = argv[i + 1];
    else if (!std::strcmp(argv[i], "--shots")) shots = argv[i + 1];
  }
  if (verb == "wizard") {
    HWND sheet = ui::FindTopWindow("#32770", "", timeout);
    return sheet ? ClickThrough(sheet, shots, 60000) : 1;
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
