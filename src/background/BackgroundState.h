// State of the background window, shared by its handlers (one window per
// process, on the main thread only).
#pragma once
#include <windows.h>

#include "background/core/ChainSequence.h"

struct BackgroundWindowState {
  ChainState Chain;
  int32_t ExitCode = 0;  // the wizard's, when this program installed by itself
  int LogoPresent = 0;
  HBITMAP LogoBitmap = nullptr;
  HPALETTE LogoPalette = nullptr;
  int LogoWidth = 0, LogoHeight = 0;
  int LogoX = 0, LogoY = 0;
  int JapaneseTitleFont = 0;
  LOGFONTA TitleLogFont{};
};

extern BackgroundWindowState Background;

// One chain message: start a program, keep polling, or end the run.
void RunChainStep(HWND hwnd);
// Paints the title band. 0 when brush or font cannot be made.
int PaintTitleBand(HWND hwnd);
