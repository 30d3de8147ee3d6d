#include "engine/PageControls.h"

#include <commctrl.h>

#include "startup/core/Settings.h"

void SetControlText(HWND page, int id, const char* text) { SetDlgItemTextA(page, id, text); }

void ShowControl(HWND page, int id, bool show) {
  ShowWindow(GetDlgItem(page, id), show ? SW_SHOW : SW_HIDE);
}

void StartAnimation(HWND page, int id, int clip) {
  HWND animation = GetDlgItem(page, id);
  SendMessageA(animation, ACM_OPENA, reinterpret_cast<WPARAM>(Settings.Instance),
               reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(clip)));
  // Repeat without end, from frame 0 to the last.
  SendMessageA(animation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xffff));
}

void StopAnimation(HWND page, int id) {
  HWND animation = GetDlgItem(page, id);
  SendMessageA(animation, ACM_STOP, 0, 0);
  SendMessageA(animation, ACM_OPENA, 0, 0);
  ShowWindow(animation, SW_HIDE);
}
