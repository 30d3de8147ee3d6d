// Finds windows of other processes, reads their texts and presses their
// buttons, so that tests never wait for a person.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace ui {

struct Control {
  HWND hwnd;
  int id;
  std::string className;
  std::string text;
  bool visible;
};

// First visible or hidden top-level window whose class and/or caption match
// (an empty criterion matches anything), polled until timeoutMs elapses.
// processId, when non-zero, restricts the search to that process.
HWND FindTopWindow(const std::string& className, const std::string& caption, DWORD timeoutMs,
                   DWORD processId = 0);

std::string WindowText(HWND hwnd);
std::string ClassName(HWND hwnd);

// The window's child controls, in z-order.
std::vector<Control> Children(HWND hwnd);

// The text of the first child control with this id ("" when none).
std::string ChildText(HWND hwnd, int id);

// Clicks the child button with this id, or whose text (ampersands ignored)
// equals label. Returns false when no such button exists.
bool PressButton(HWND hwnd, int id);
bool PressButton(HWND hwnd, const std::string& label);

// Waits until hwnd is gone.
bool WaitGone(HWND hwnd, DWORD timeoutMs);

}  // namespace ui
