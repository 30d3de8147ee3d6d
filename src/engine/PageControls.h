// The controls of the progress page (dialog 109) that the engine drives from
// the worker thread, and the few things it does to them.
#pragma once
#include <windows.h>

constexpr int kCopyHeadline = 1450;
constexpr int kDriverMessage = 1003;
constexpr int kFromLabel = 1500;
constexpr int kFromText = 1002;
constexpr int kToLabel = 2;
constexpr int kToText = 1001;
constexpr int kProgressBar = 1400;
constexpr int kCopyAnimation = 1009;
constexpr int kDriverAnimation = 1010;

// Animation clips in the resources.
constexpr int kCopyClip = 111;
constexpr int kDriverClip = 112;

void SetControlText(HWND page, int id, const char* text);
void ShowControl(HWND page, int id, bool show);

// Opens the clip on the animation control and plays it without end.
void StartAnimation(HWND page, int id, int clip);

// Stops and closes the clip and hides the control.
void StopAnimation(HWND page, int id);
