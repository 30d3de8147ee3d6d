// The installation wizard: a modal property sheet of up to eight pages that
// share one skeleton (side picture, centring, cancel question, silent and
// hidden modes).
#pragma once
#include <windows.h>

#include <cstdint>

// Shows the sheet modally, owned by owner; PropertySheetA's result.
INT_PTR RunWizard(HWND owner);

// Exit code of a single-stage run from RunWizard's result and what the
// installation and the result page left behind.
int32_t WizardRunExitCode(INT_PTR sheetResult);

// 1 when Windows accepted the result page's restart request.
extern int32_t RestartMade;

// The page's sheet moved to the centre of the work area, below the title band.
void CentreWizard(HWND page);

// Computes the page's picture rectangles (page coordinates) and hides the
// picture control; PaintSideBitmap draws the picture there.
void LayoutSideBitmap(HWND page, RECT* source, RECT* dest);
void PaintSideBitmap(HWND page, const RECT* source, const RECT* dest);

// Brings the window, or its visible last active popup, to the front.
BOOL BringToForeground(HWND window);

// The "Exit Setup" question: 1 "Resume", 0 "Exit Setup" (Esc and the close
// box too).
INT_PTR CALLBACK ExitSetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LicensePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK InterfacePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DestinationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ProgramFolderPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK StartPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ResultPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The Start page's "Program Folder" entry; nothing fills it yet.
extern char ProgramFolder[260];
