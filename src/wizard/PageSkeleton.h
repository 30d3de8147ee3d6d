// The behaviour all wizard pages share, with the points where a page adds
// its own work.
#pragma once
#include <windows.h>

#include <cstdint>

struct PageHooks {
  int Index;                        // in the sheet's full page table
  DWORD Buttons;                    // offered at every activation
  int PressNextWhenSilent;          // 0 on the pages that wait for the worker or the user
  void (*Init)(HWND page);          // after the side picture is laid out
  void (*Activate)(HWND page);      // before the buttons are set
  void (*AfterButtons)(HWND page);  // after the buttons (and the silent Next)
  // Own notifications, first refusal; 1 when handled, *result then returned.
  int (*Notify)(HWND page, NMHDR* header, INT_PTR* result);
  // Messages the skeleton does not take (and WM_PAINT after the picture).
  int (*Message)(HWND page, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);
};

INT_PTR RunPageSkeleton(const PageHooks& hooks, HWND page, UINT message, WPARAM wParam,
                        LPARAM lParam);

// Silent inside the wizard: switch S, or hidden mode, which nobody could
// click through.
int WizardSilent();

// Shows the "Exit Setup" question owned by page; 1 when the user resumes.
int AskResume(HWND page);

// Sets the page's notification result.
void SetPageResult(HWND page, LONG_PTR value);

// Replaces every "%s" of control id's template text with the product name.
void PutProductName(HWND window, int id);

// Hides the sheet in hidden mode, else brings it forward unless silent.
void ShowSheetByMode(HWND page);

// 1 once the result page was made: the run ended, however the sheet closes.
extern int32_t ResultPageReached;
