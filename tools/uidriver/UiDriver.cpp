#include "UiDriver.h"

namespace ui {

namespace {

struct Search {
  std::string className;
  std::string caption;
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchTop(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<Search*>(param);
  if (s->processId) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->processId) return TRUE;
  }
  if (!s->className.empty() && ClassName(hwnd) != s->className) return TRUE;
  if (!s->caption.empty() && WindowText(hwnd) != s->caption) return TRUE;
  s->found = hwnd;
  return FALSE;
}

BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
  auto* list = reinterpret_cast<std::vector<Control>*>(param);
  list->push_back({hwnd, GetDlgCtrlID(hwnd), ClassName(hwnd), WindowText(hwnd),
                   IsWindowVisible(hwnd) != FALSE});
  return TRUE;
}

std::string WithoutAmpersands(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != '&') out += c;
  return out;
}

void Click(HWND dialog, HWND button) {
  // BM_CLICK needs the dialog in front on some Wine versions; WM_COMMAND
  // reaches the dialog procedure the same way a click would.
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

}  // namespace

std::string WindowText(HWND hwnd) {
  char buf[4096] = "";
  // WM_GETTEXT reads controls of other processes too (GetWindowText does not).
  SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf),
                      SMTO_ABORTIFHUNG, 2000, nullptr);
  return buf;
}

std::string ClassName(HWND hwnd) {
  char buf[256] = "";
  GetClassNameA(hwnd, buf, sizeof buf);
  return buf;
}

HWND FindTopWindow(const std::string& className, const std::string& caption, DWORD timeoutMs,
                   DWORD processId) {
  DWORD start = GetTickCount();
  for (;;) {
    Search s{className, caption, processId, nullptr};
    EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    if (GetTickCount() - start >= timeoutMs) return nullptr;
    Sleep(50);
  }
}

std::vector<Control> Children(HWND hwnd) {
  std::vector<Control> list;
  EnumChildWindows(hwnd, Collect, reinterpret_cast<LPARAM>(&list));
  return list;
}

std::string ChildText(HWND hwnd, int id) {
  for (const Control& c : Children(hwnd))
    if (c.id == id) return c.text;
  return "";
}

bool PressButton(HWND hwnd, int id) {
  for (const Control& c : Children(hwnd)) {
    if (c.id == id && c.className == "Button") {
      Click(hwnd, c.hwnd);
      return true;
    }
  }
  return false;
}

bool PressButton(HWND hwnd, const std::string& label) {
  for (const Control& c : Children(hwnd)) {
    if (c.className == "Button" && WithoutAmpersands(c.text) == WithoutAmpersands(label)) {
      Click(hwnd, c.hwnd);
      return true;
    }
  }
  return false;
}

bool WaitGone(HWND hwnd, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (IsWindow(hwnd)) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

}  // namespace ui
