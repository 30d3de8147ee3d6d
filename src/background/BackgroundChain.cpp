// The chained setup sequence: start the first stage setup program, poll
// until it signals, start the second and end the run.
#include "BackgroundState.h"
#include "BackgroundWindow.h"
#include "common/Process.h"
#include "startup/SingleRun.h"
#include "startup/core/Settings.h"
#include "wizard/Wizard.h"
#include "wizard/core/WizardPages.h"

namespace {

constexpr DWORD kPollMs = 200;

// Started without waiting, in ModuleDir. The full path goes in as the
// program to run as well: the command line itself is unquoted, and with a
// blank in ModuleDir the system would try "C:\Program.exe" and the like.
int StartChainProgram(const ChainCommand& command) {
  char commandLine[kTextSize];
  CopyText(commandLine, command.CommandLine);
  ProcessInfo process;
  return StartProgram(command.Application, commandLine, Settings.ModuleDir, process) ? 1 : 0;
}

int IsThisProgram(const char* path) {
  char self[kTextSize];
  DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
  return n > 0 && n < sizeof self && lstrcmpiA(self, path) == 0;
}

int RunFirstStage(HWND hwnd) {
  ChainCommand first{};
  int built = BuildFirstChainCommand(Settings, first);
  int self = built == kChainReady && IsThisProgram(first.Application);
  int exists =
      built == kChainReady && GetFileAttributesA(first.Application) != INVALID_FILE_ATTRIBUTES;
  switch (ChooseFirstStage(Settings, built, self, exists)) {
    case kFirstOpenWizard:
      Background.ExitCode = WizardRunExitCode(RunWizard(hwnd));
      // A stage started into the shutdown would be cut off, or refuse the restart.
      if (RestartMade) return kFirstWizardRestarting;
      return Background.ExitCode == kExitCancelled ? kFirstWizardCancelled : kFirstWizardEnded;
    case kFirstStartProgram:
      if (StartChainProgram(first)) return kFirstRunning;
      break;
    default:
      break;
  }
  Background.ExitCode = kExitFailed;  // nothing of the product gets installed
  return kFirstNotStarted;
}

}  // namespace

void RunChainStep(HWND hwnd) {
  unsigned actions = ChainStep(Background.Chain);
  if (actions & kActStartFirst) {
    ChainFirstDone(Background.Chain, RunFirstStage(hwnd), Settings);
    actions = ChainStep(Background.Chain);
  }
  if (actions & kActWaitAgain) {
    Sleep(kPollMs);
    PostMessageA(hwnd, kChainMessage, 0, 0);
    return;
  }
  if (actions & kActStartSecond) {
    LetTheNextRun();
    ChainCommand second{};
    if (BuildSecondChainCommand(Settings, second) != kChainReady ||
        (!IsThisProgram(second.Application) && !StartChainProgram(second)))
      Background.ExitCode = kExitFailed;  // the second stage's part is not installed
  }
  if (actions & kActEnd) PostMessageA(hwnd, WM_DESTROY, 0, 0);
}
