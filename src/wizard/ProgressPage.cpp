#include <windows.h>

#include <commctrl.h>

#include "../../res/resource.h"
#include "engine/EngineState.h"
#include "engine/InstallWorker.h"
#include "finish/Finish.h"
#include "startup/core/Settings.h"
#include "wizard/PageSkeleton.h"
#include "wizard/Wizard.h"
#include "wizard/core/WizardLayout.h"
#include "wizard/core/WizardPages.h"

HANDLE WorkerThread = nullptr;
int32_t SkipFirstBarPaint = 1;
// How long the page waits for the worker to stop after "Exit Setup". The
// worker finishes the file it is on first; a minute covers a large file
// from a slow disc. Should it take longer, the sheet stays until it ends.
DWORD StopWorkerMs = 60000;

namespace {

// Reported when no worker could be started: any value but 0 and 1 is a
// plain failure on the result page.
constexpr int32_t kResultNoWorker = 4;

// Refuses to close the sheet, for now.
int StayOnPage(HWND page, INT_PTR* result) {
  SetPageResult(page, TRUE);
  *result = TRUE;
  return 1;
}

// While the "Exit Setup" question is open its own message loop runs, so the
// worker's closing Next can arrive then: the installation is complete and
// must not be undone by an answer given too late.
int32_t Asking = 0;
int32_t FinishedWhileAsking = 0;

void HideControl(HWND page, int id) { ShowWindow(GetDlgItem(page, id), SW_HIDE); }

void ProgressInit(HWND page) {
  HideControl(page, IDC_PROGRESS_FROM_LABEL);
  HideControl(page, IDC_PROGRESS_TO_LABEL);
  HideControl(page, IDC_PROGRESS_BAR);
  HideControl(page, IDC_PROGRESS_FROM);
  HideControl(page, IDC_PROGRESS_TO);
}

void StartWorker(HWND page) {
  if (PauseEvent == nullptr) PauseEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  DWORD id = 0;
  WorkerThread = CreateThread(nullptr, 0, InstallWorker, page, 0, &id);
  if (WorkerThread == nullptr) {
    // Nothing else would ever press Next: report the failure and go on.
    InstallResult = kResultNoWorker;
    PostMessageA(GetParent(page), PSM_PRESSBUTTON, PSBTN_NEXT, 0);
  }
}

// Waits for the worker to end while still answering the messages it sends
// (it sets the page's texts and waits for the answer, so a plain wait would
// never end). Posted messages stay queued: the worker's last Next must not
// move the sheet while it is being closed. 1 when the worker has ended.
int WaitForWorker(DWORD limitMs) {
  if (WorkerThread == nullptr) return 1;
  DWORD start = GetTickCount();
  for (;;) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= limitMs) return WaitForSingleObject(WorkerThread, 0) == WAIT_OBJECT_0;
    DWORD woken =
        MsgWaitForMultipleObjects(1, &WorkerThread, FALSE, limitMs - elapsed, QS_SENDMESSAGE);
    if (woken == WAIT_OBJECT_0) return 1;
    if (woken != WAIT_OBJECT_0 + 1) return WaitForSingleObject(WorkerThread, 0) == WAIT_OBJECT_0;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // delivers the sent ones
  }
}

// Forgets the worker; the event goes only once the worker has ended, as a
// live worker may still wait on it.
void ReleaseWorker(int ended) {
  if (WorkerThread != nullptr) {
    CloseHandle(WorkerThread);
    WorkerThread = nullptr;
  }
  if (ended && PauseEvent != nullptr) {
    CloseHandle(PauseEvent);
    PauseEvent = nullptr;
  }
}

int ProgressNotify(HWND page, NMHDR* header, INT_PTR* result) {
  if (header->code == PSN_QUERYCANCEL) {
    // The sheet offers no Cancel in the driver phase, but Esc or the close
    // box may still ask: that phase runs to its end.
    if (RunDecision == kRunCommitted) return StayOnPage(page, result);
    // Asked again once "Exit Setup" stands: by the worker as it stops.
    if (!CancelRequested) {
      if (PauseEvent != nullptr) ResetEvent(PauseEvent);
      Asking = 1;
      FinishedWhileAsking = 0;
      int resume = AskResume(page);
      Asking = 0;
      // The worker may have finished, or begun the driver phase, meanwhile.
      if (resume || FinishedWhileAsking || !TakeCancel()) {
        if (PauseEvent != nullptr) SetEvent(PauseEvent);
        if (FinishedWhileAsking) PostMessageA(GetParent(page), PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        return StayOnPage(page, result);
      }
    }
    if (PauseEvent != nullptr) SetEvent(PauseEvent);
    // Removing files under a worker that still copies would leave some
    // behind, and closing the sheet would end the process under it.
    if (!WaitForWorker(StopWorkerMs)) return StayOnPage(page, result);
    ReleaseWorker(1);
    CancelCleanup();
    *result = FALSE;
    return 1;
  }
  if (header->code == PSN_WIZNEXT) {
    if (Asking) {
      FinishedWhileAsking = 1;
      SetPageResult(page, -1);  // stay until the question is answered
      *result = TRUE;
      return 1;
    }
    // The worker's Next is its last act: it ends at once.
    ReleaseWorker(WaitForWorker(StopWorkerMs));
    *result = FALSE;
    return 1;
  }
  return 0;
}

struct BarDc {
  HDC Dc;
};

int32_t MeasureDigits(const char* text, void* ctx) {
  SIZE size = {0, 0};
  GetTextExtentPoint32A(static_cast<BarDc*>(ctx)->Dc, text, lstrlenA(text), &size);
  return size.cx;
}

void PaintBar(HWND page) {
  HWND bar = GetDlgItem(page, IDC_PROGRESS_BAR);
  if (bar == nullptr) return;
  HDC dc = GetDC(bar);
  if (dc == nullptr) return;
  UpdateWindow(bar);
  RECT rc;
  GetClientRect(bar, &rc);
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  FillRect(dc, &rc, white);
  DeleteObject(white);

  BarDc ctx = {dc};
  SIZE textSize = {0, 0};
  GetTextExtentPoint32A(dc, "0", 1, &textSize);
  ProgressBarLayout layout;
  LayoutProgressBar(ProgressPercent, rc.right, rc.bottom, textSize.cy, MeasureDigits, &ctx, layout);

  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, blue);
  Rectangle(dc, 0, 0, layout.FillRight, layout.FillBottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(blue);

  SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i < layout.GlyphCount; ++i) {
    const BarGlyph& g = layout.Glyphs[i];
    SetTextColor(dc, g.Colour);
    TextOutA(dc, g.X, layout.TextY, g.Text, lstrlenA(g.Text));
  }
  ReleaseDC(bar, dc);
}

int ProgressMessage(HWND page, UINT message, WPARAM, LPARAM lParam, INT_PTR* result) {
  if (message == WM_PAINT) {
    if (SkipFirstBarPaint)
      SkipFirstBarPaint = 0;
    else
      PaintBar(page);
    return 0;
  }
  if (message == WM_SETCURSOR) {
    if ((InstallBusy || ExtractBusy) && HIWORD(lParam) == WM_MOUSEMOVE) {
      SetCursor(LoadCursorA(nullptr, IDC_WAIT));
      SetPageResult(page, TRUE);
      *result = TRUE;
      return 1;
    }
  }
  return 0;
}

const PageHooks kProgress = {
    kPageProgress, 0, 0, ProgressInit, nullptr, StartWorker, ProgressNotify, ProgressMessage};

}  // namespace

INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunPageSkeleton(kProgress, page, message, wParam, lParam);
}
