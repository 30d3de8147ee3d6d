// The hidden full-screen background window of class "FullSetupClass": it
// runs the chained setup sequence and paints the title band with the logo.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr char kBackgroundClassName[] = "FullSetupClass";
// Posted by the window to itself: one step of the chained setup sequence.
constexpr UINT kChainMessage = WM_APP + 100;
// Sent by the first stage setup program when the second may start.
constexpr UINT kStageDoneMessage = 7213;
constexpr int kBackgroundIconId = 102;

// Height of the title band in pixels, set at every paint; the wizard
// places itself below it.
extern std::int32_t TitleBandHeight;

ATOM RegisterBackgroundClass(HINSTANCE instance);
// Creates the window over the work area, hidden. 1 on success.
int CreateBackgroundWindow(HINSTANCE instance);
LRESULT CALLBACK BackgroundWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
