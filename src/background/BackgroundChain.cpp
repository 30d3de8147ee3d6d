// The chained setup sequence: start the first stage setup program, poll
// until it signals, start the second and end the run.
#include "BackgroundState.h"
#include "BackgroundWindow.h"
#include "common/Process.h"
#include "startup/core/Settings.h"

namespace {

constexpr DWORD kPollMs = 200;

// Started without waiting, in ModuleDir. The full path goes in as the
// program to run as well: the command line itself is unquoted, and with a
// blank in ModuleDir the system would try "C:\Program.exe" and the like.
void StartChainProgram(const ChainCommand& command) {
  char commandLine[kTextSize];
  CopyText(commandLine, command.CommandLine);
  ProcessInfo process;
  StartProgram(command.Application, commandLine, Settings.ModuleDir, process);
}

}  // namespace

void RunChainStep(HWND hwnd) {
  ChainCommand first{};
  int firstResult = kChainReady;
  if (!Background.Chain.ChainStarted) firstResult = BuildFirstChainCommand(Settings, first);

  unsigned actions = ChainStep(Background.Chain, firstResult != kChainNothing);
  if ((actions & kActStartFirst) && firstResult == kChainReady) StartChainProgram(first);
  if (actions & kActWaitAgain) {
    Sleep(kPollMs);
    PostMessageA(hwnd, kChainMessage, 0, 0);
    return;
  }
  if (actions & kActStartSecond) {
    ChainCommand second{};
    if (BuildSecondChainCommand(Settings, second) == kChainReady) StartChainProgram(second);
  }
  if (actions & kActEnd) PostMessageA(hwnd, WM_DESTROY, 0, 0);
}
