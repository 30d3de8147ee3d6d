#include <windows.h>

#include <commctrl.h>

#include "../../res/resource.h"
#include "common/Handles.h"
#include "engine/core/EngineState.h"
#include "engine/core/FileTable.h"
#include "finish/Finish.h"
#include "startup/core/Settings.h"
#include "wizard/PageSkeleton.h"
#include "wizard/Wizard.h"
#include "wizard/core/WizardPages.h"

namespace {

void ShowIf(HWND page, int id, unsigned texts, unsigned bit) {
  ShowWindow(GetDlgItem(page, id), (texts & bit) ? SW_SHOW : SW_HIDE);
}

void ResultInit(HWND page) {
  ResultPageReached = 1;
  if (InstallResult == 0 && PendingRenameCount > 0) {
    // Handed on now, before the user decides, so they happen at the next
    // start of Windows whenever that is. One Windows refuses leaves its old
    // file for good: the installation failed.
    for (int32_t i = 0; i < PendingRenameCount && i < kPendingRenameRows; ++i)
      if (!RenameAtRestart(i) && InstallResult == 0)
        InstallResult = GetLastError() == ERROR_ACCESS_DENIED ? kResultNoPrivilege : kResultFailed;
    Settings.Restart = 1;
  }
  // Never handed on (or no longer moved: their copies go), they would stay for good.
  if (InstallResult != 0) DeleteTempCopies();
  unsigned texts = ChooseResultTexts(InstallResult, Settings.Restart, Settings.NoRestart);
  ShowIf(page, IDC_RESULT_RESTART_TEXT, texts, kTextRestartNeeded);
  ShowIf(page, IDC_RESULT_RESTART_NOW, texts, kTextRestartChoice);
  ShowIf(page, IDC_RESULT_RESTART_LATER, texts, kTextRestartChoice);
  ShowIf(page, IDC_RESULT_FLOPPY, texts, kTextRemoveDisks);
  ShowIf(page, IDC_RESULT_DONE_TEXT, texts, kTextDone);
  ShowIf(page, IDC_RESULT_FAILED, texts, kTextFailed);
  ShowIf(page, IDC_RESULT_PRIVILEGE, texts, kTextNoPrivilege);
  ShowIf(page, IDC_RESULT_README, texts, kTextSeeReadme);
  if (texts & kTextDone) PutProductName(page, IDC_RESULT_DONE_TEXT);
  if (texts & kTextRestartNeeded) PutProductName(page, IDC_RESULT_RESTART_TEXT);
  if (texts & kTextRestartChoice) {
    SendMessageA(GetDlgItem(page, IDC_RESULT_RESTART_NOW), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(GetDlgItem(page, IDC_RESULT_RESTART_LATER), BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

void ResultActivate(HWND page) { PostMessageA(GetParent(page), PSM_CANCELTOCLOSE, 0, 0); }

void ResultAfterButtons(HWND page) {
  if (ResultPressesFinish(InstallResult, WizardSilent(), Settings.HiddenMode))
    PostMessageA(GetParent(page), PSM_PRESSBUTTON, PSBTN_FINISH, 0);
}

// The warning when drive A: holds a disk: the search leaves the last error
// untouched or finds no file. No disk at all answers "not ready".
void WarnAboutFloppy(HWND page) {
  HINSTANCE instance = static_cast<HINSTANCE>(Settings.Instance);
  char prompt[kTextSize];
  char caption[kTextSize];
  if (LoadStringA(instance, IDS_RESTART_PROMPT, prompt, sizeof prompt) <= 0) prompt[0] = '\0';
  if (LoadStringA(instance, IDS_RESTART_CAPTION, caption, sizeof caption) <= 0) caption[0] = '\0';
  SetErrorMode(SEM_FAILCRITICALERRORS);
  SetLastError(0xFFFFFFFF);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("A:\\*.*", &found);
  DWORD error = GetLastError();
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  if (error == 0xFFFFFFFF || error == ERROR_FILE_NOT_FOUND)
    MessageBoxA(page, prompt, caption, MB_OK | MB_ICONEXCLAMATION);
}

// NT restarts only for a process holding the shutdown privilege. The
// security functions exist on NT alone, so they are looked up here.
void EnableShutdownPrivilege() {
  using OpenTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE*);
  using LookupFn = BOOL(WINAPI*)(const char*, const char*, LUID*);
  using AdjustFn = BOOL(WINAPI*)(HANDLE, BOOL, TOKEN_PRIVILEGES*, DWORD, TOKEN_PRIVILEGES*, DWORD*);
  HMODULE advapi = GetModuleHandleA("advapi32.dll");
  if (advapi == nullptr) return;
  auto openToken = reinterpret_cast<OpenTokenFn>(GetProcAddress(advapi, "OpenProcessToken"));
  auto lookup = reinterpret_cast<LookupFn>(GetProcAddress(advapi, "LookupPrivilegeValueA"));
  auto adjust = reinterpret_cast<AdjustFn>(GetProcAddress(advapi, "AdjustTokenPrivileges"));
  if (openToken == nullptr || lookup == nullptr || adjust == nullptr) return;
  HANDLE raw = nullptr;
  if (!openToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) return;
  UniqueHandleK token(raw);
  TOKEN_PRIVILEGES privileges;
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!lookup(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return;
  adjust(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

int ResultNotify(HWND page, NMHDR* header, INT_PTR* result) {
  if (header->code == PSN_QUERYCANCEL) {
    *result = FALSE;  // nothing left to confirm: the sheet closes
    return 1;
  }
  if (header->code != PSN_WIZFINISH) return 0;
  *result = FALSE;
  if (InstallResult != 0) return 1;
  int restartNow =
      SendMessageA(GetDlgItem(page, IDC_RESULT_RESTART_LATER), BM_GETCHECK, 0, 0) != BST_CHECKED;
  if (Settings.Restart != 0 && Settings.NoRestart == 0 && restartNow) {
    if (!WizardSilent()) WarnAboutFloppy(page);
    if (Settings.IsNT) EnableShutdownPrivilege();
    RestartMade = ExitWindowsEx(EWX_REBOOT, 0) ? 1 : 0;
  }
  SetPageResult(page, FALSE);
  *result = TRUE;
  return 1;
}

const PageHooks kResult = {kPageResult,        PSWIZB_FINISH, 0,      ResultInit, ResultActivate,
                           ResultAfterButtons, ResultNotify,  nullptr};

}  // namespace

INT_PTR CALLBACK ResultPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunPageSkeleton(kResult, page, message, wParam, lParam);
}
