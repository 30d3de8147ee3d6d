// Entry point: bring the process up in a fixed order, then leave the rest
// to the background window's message handlers.
#include <windows.h>

#include "common/Process.h"
#include "Language.h"
#include "background/BackgroundWindow.h"
#include "Platform.h"
#include "PreRun.h"
#include "SetupScript.h"
#include "SingleRun.h"
#include "startup/core/CommandLine.h"
#include "startup/core/Settings.h"
#include "wizard/core/WizardPages.h"

namespace {

constexpr UINT kWarningCaptionId = 16;
constexpr UINT kWarningTextId = 17;

// No "insert a disk" boxes for empty drives, and no DLLs from the current
// folder: installers run from download folders full of strangers' files.
void HardenProcess() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  KeepCurrentFolderOutOfDllSearch();
}

void ShowUnsupportedSystem(HINSTANCE instance) {
  char caption[kTextSize] = "";
  char text[kTextSize] = "";
  LoadStringA(instance, kWarningCaptionId, caption, sizeof caption);
  LoadStringA(instance, kWarningTextId, text, sizeof text);
  MessageBoxA(nullptr, text, caption, MB_OK);
}

// Until the background window posts the quit message; its code is ours.
int RunMessageLoop() {
  MSG message;
  for (;;) {
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return 0;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  if (!TakeSingleRun()) return kExitAlreadyRunning;
  HardenProcess();
  DetectPlatform(instance);
  if (Settings.IsNT) SetThreadLanguage();
  if (!LoadSetupScript()) {
    ShowUnsupportedSystem(instance);
    return 0;
  }
  RunPreRunPrograms();
  Settings.Instance = instance;
  ApplyCommandLine(commandLine, Settings.IsNT, Settings);
  RegisterBackgroundClass(instance);
  if (!CreateBackgroundWindow(instance)) return 0;
  return RunMessageLoop();
}
