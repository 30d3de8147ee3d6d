#include <windows.h>

#include <commctrl.h>

#include <cstddef>

#include "../../res/resource.h"
#include "background/BackgroundWindow.h"
#include "common/Handles.h"
#include "engine/core/EngineState.h"
#include "startup/core/Settings.h"
#include "wizard/PageSkeleton.h"
#include "wizard/Wizard.h"
#include "wizard/core/PageText.h"
#include "wizard/core/WizardLayout.h"
#include "wizard/core/WizardPages.h"

int32_t RestartMade = 0;
int32_t ResultPageReached = 0;

namespace {

// Each page's picture rectangles (source, destination), kept for its paints.
RECT SideRects[kPageCount][2];

HINSTANCE Instance() { return static_cast<HINSTANCE>(Settings.Instance); }

// Page records with the header-title fields, the header with the watermark ones.
constexpr UINT kPageRecordSize = offsetof(PROPSHEETPAGEA, pszHeaderSubTitle) + sizeof(LPCSTR);
static_assert(kPageRecordSize % sizeof(void*) == 0, "records stay aligned");
constexpr UINT kSheetHeaderSize = offsetof(PROPSHEETHEADERA, hbmHeader) + sizeof(HBITMAP);

PixelRect ToPixel(const RECT& r) { return PixelRect{r.left, r.top, r.right, r.bottom}; }

// Removes, from the highest index down, the pages the run does not ask for,
// so every index still names the page of the full table.
void RemoveAbsentPages(HWND page) {
  HWND sheet = GetParent(page);
  for (int index = kPageProgramFolder; index >= kPageLicense; --index)
    if (!PagePresent(Settings, index)) SendMessageA(sheet, PSM_REMOVEPAGE, index, 0);
}

void PlaceSheetFirst(HWND page) {
  HWND sheet = GetParent(page);
  if (Settings.HiddenMode) {
    // Shrunk as well: the sheet shows itself once its first page is made.
    SetWindowPos(sheet, HWND_BOTTOM, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE);
    ShowWindow(sheet, SW_HIDE);
    return;
  }
  CentreWizard(page);
  if (!WizardSilent()) BringToForeground(sheet);
}

}  // namespace

INT_PTR RunWizard(HWND owner) {
  DLGPROC procs[kPageCount] = {WelcomePageProc,     LicensePageProc,       InterfacePageProc,
                               DestinationPageProc, ProgramFolderPageProc, StartPageProc,
                               ProgressPageProc,    ResultPageProc};
  const WORD templates[kPageCount] = {IDD_WELCOME,     IDD_LICENSE,        IDD_INTERFACE,
                                      IDD_DESTINATION, IDD_PROGRAM_FOLDER, IDD_START,
                                      IDD_PROGRESS,    IDD_RESULT};
  // The sheet steps through the records by their size, so they are packed
  // at that size rather than at the compiler's one.
  union {
    BYTE bytes[kPageCount * kPageRecordSize];
    void* align;
  } records;
  for (int i = 0; i < kPageCount; ++i) {
    PROPSHEETPAGEA page;
    memset(&page, 0, sizeof page);
    page.dwSize = kPageRecordSize;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = Instance();
    page.pszTemplate = MAKEINTRESOURCEA(templates[i]);
    page.pfnDlgProc = procs[i];
    memcpy(records.bytes + i * kPageRecordSize, &page, kPageRecordSize);
  }
  PROPSHEETHEADERA header;
  memset(&header, 0, sizeof header);
  header.dwSize = kSheetHeaderSize;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_WIZARD | PSH_NOAPPLYNOW;
  header.hwndParent = owner;
  header.hInstance = Instance();
  header.nPages = kPageCount;
  header.nStartPage = 0;
  header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(records.bytes);
  InitCommonControls();  // the animation controls of the progress page
  RestartMade = 0;
  ResultPageReached = 0;
  return PropertySheetA(&header);
}

int32_t WizardRunExitCode(INT_PTR sheetResult) {
  int end = sheetResult > 0 ? kWizardFinished : sheetResult == 0 ? kWizardCancelled : kWizardFailed;
  // Closing the result page instead of pressing Finish cancels nothing: the
  // installation had ended by then.
  if (end == kWizardCancelled && ResultPageReached) end = kWizardFinished;
  return WizardExitCode(end, InstallResult, Settings.Restart, RestartMade);
}

void CentreWizard(HWND page) {
  HWND sheet = GetParent(page);
  RECT sheetRect, workArea;
  if (!GetWindowRect(sheet, &sheetRect)) return;
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0)) return;
  int32_t width = sheetRect.right - sheetRect.left;
  int32_t height = sheetRect.bottom - sheetRect.top;
  PixelPoint at = CentredSheetPosition(ToPixel(workArea), width, height, TitleBandHeight);
  MoveWindow(sheet, at.x, at.y, width, height, TRUE);
}

void LayoutSideBitmap(HWND page, RECT* source, RECT* dest) {
  HWND picture = GetDlgItem(page, IDC_SIDE_BITMAP);
  RECT s = {0, 0, 0, 0};
  if (picture != nullptr) {
    GetClientRect(picture, &s);
    MapWindowPoints(picture, page, reinterpret_cast<POINT*>(&s), 2);
  }
  RECT client;
  GetClientRect(page, &client);
  PixelRect d = SideBitmapDestination(ToPixel(s), ToPixel(client));
  *source = s;
  *dest = RECT{d.left, d.top, d.right, d.bottom};
  if (picture != nullptr) ShowWindow(picture, SW_HIDE);
}

void PaintSideBitmap(HWND page, const RECT* source, const RECT* dest) {
  UniqueBitmap bitmap(LoadBitmapA(Instance(), MAKEINTRESOURCEA(IDB_SIDE)));
  if (!bitmap) return;
  HDC dc = GetDC(page);
  if (dc == nullptr) return;
  HDC memory = CreateCompatibleDC(dc);
  if (memory != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap.get());
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, dest->left, dest->top, dest->right - dest->left, dest->bottom - dest->top,
               memory, 0, 0, source->right - source->left, source->bottom - source->top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  ReleaseDC(page, dc);
}

BOOL BringToForeground(HWND window) {
  if (!IsWindow(window)) return FALSE;
  HWND target = window;
  HWND popup = GetLastActivePopup(window);
  if (popup != nullptr && popup != window && IsWindowVisible(popup)) target = popup;
  if (IsIconic(target)) ShowWindow(target, SW_RESTORE);
  if (Settings.IsWin9x && !Settings.IsWin95) {
    // 98 and ME refuse the foreground to a process that has not had input.
    DWORD timeout = 0;
    SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    SetForegroundWindow(target);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                          reinterpret_cast<void*>(static_cast<ULONG_PTR>(timeout)), 0);
  } else if (Settings.IsNT && Settings.IsWin2000OrLater) {
    // 2000 and later let a thread take the foreground only while its input
    // is joined to the foreground thread's.
    DWORD targetThread = GetWindowThreadProcessId(target, nullptr);
    DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    DWORD ownThread = GetCurrentThreadId();
    if (targetThread != foregroundThread) AttachThreadInput(targetThread, foregroundThread, TRUE);
    if (targetThread != ownThread) AttachThreadInput(targetThread, ownThread, TRUE);
    SetForegroundWindow(target);
    if (targetThread != foregroundThread) AttachThreadInput(targetThread, foregroundThread, FALSE);
    if (targetThread != ownThread) AttachThreadInput(targetThread, ownThread, FALSE);
  } else {
    SetForegroundWindow(target);
  }
  return TRUE;
}

INT_PTR CALLBACK ExitSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      PutProductName(dialog, IDC_EXIT_INCOMPLETE);
      PutProductName(dialog, IDC_EXIT_HOW);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_EXIT_RESUME) {
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (LOWORD(wParam) == IDC_EXIT_QUIT) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

int WizardSilent() { return Settings.SilentMode != 0 || Settings.HiddenMode != 0; }

int AskResume(HWND page) {
  // A dialog that cannot be made answers -1, which counts as "Resume".
  return DialogBoxParamA(Instance(), MAKEINTRESOURCEA(IDD_EXIT_SETUP), page, ExitSetupDlgProc, 0) !=
         0;
}

void SetPageResult(HWND page, LONG_PTR value) { SetWindowLongPtrA(page, DWLP_MSGRESULT, value); }

void PutProductName(HWND window, int id) {
  char pattern[kTextSize];
  char text[kTextSize];
  if (GetDlgItemTextA(window, id, pattern, sizeof pattern) == 0) pattern[0] = '\0';
  FormatWithName(text, sizeof text, pattern, Settings.ProductName);
  SetDlgItemTextA(window, id, text);
}

void ShowSheetByMode(HWND page) {
  HWND sheet = GetParent(page);
  if (Settings.HiddenMode)
    ShowWindow(sheet, SW_HIDE);
  else if (!WizardSilent())
    BringToForeground(sheet);
}

INT_PTR RunPageSkeleton(const PageHooks& hooks, HWND page, UINT message, WPARAM wParam,
                        LPARAM lParam) {
  RECT* side = SideRects[hooks.Index];
  INT_PTR result = FALSE;
  switch (message) {
    case WM_INITDIALOG:
      if (hooks.Index == kPageWelcome) RemoveAbsentPages(page);
      LayoutSideBitmap(page, &side[0], &side[1]);
      if (hooks.Init) hooks.Init(page);
      if (hooks.Index == kPageWelcome)
        PlaceSheetFirst(page);
      else
        ShowSheetByMode(page);
      return TRUE;
    case WM_PAINT:
      // The worker posts WM_PAINT for each file as a progress report: then
      // nothing is invalid and the picture is still there; only the bar changes.
      if (GetUpdateRect(page, nullptr, FALSE)) {
        DefWindowProcA(page, WM_PAINT, wParam, lParam);
        PaintSideBitmap(page, &side[0], &side[1]);
      }
      if (hooks.Message) hooks.Message(page, message, wParam, lParam, &result);
      return FALSE;
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
      InvalidateRect(page, nullptr, TRUE);
      CentreWizard(page);
      return FALSE;
    case WM_NOTIFY: {
      NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
      if (hooks.Notify && hooks.Notify(page, header, &result)) return result;
      switch (header->code) {
        case PSN_QUERYCANCEL:
          if (!AskResume(page)) return FALSE;
          SetPageResult(page, TRUE);
          return TRUE;
        case PSN_RESET:
        case PSN_KILLACTIVE:
          SetPageResult(page, FALSE);
          return TRUE;
        case PSN_SETACTIVE: {
          HWND sheet = GetParent(page);
          if (hooks.Activate) hooks.Activate(page);
          PostMessageA(sheet, PSM_SETWIZBUTTONS, 0, hooks.Buttons);
          if (hooks.PressNextWhenSilent && WizardSilent())
            PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
          if (hooks.AfterButtons) hooks.AfterButtons(page);
          return TRUE;
        }
        default:
          return FALSE;
      }
    }
    default:
      if (hooks.Message && hooks.Message(page, message, wParam, lParam, &result)) return result;
      return FALSE;
  }
}
