// The chained setup sequence: the command lines of the two stage setup
// programs, and what each chain message does. Portable: no Windows header.
#pragma once
#include <cstdint>

#include "common/core/Text.h"
#include "startup/core/Settings.h"

// A program to start: its full path (given to the system as the program to
// run, so that blanks in the path cannot make it start another one) and
// its command line.
struct ChainCommand {
  char Application[kTextSize];
  char CommandLine[kTextSize];
};

enum ChainCommandResult {
  kChainReady = 1,
  kChainTooLong = 2,  // does not fit: a cut path could name another program
};

// ModuleDir\DirName1\SetupProgramName, then " /s", " /v", "/qn". An empty
// folder leaves its part out: ModuleDir\SetupProgramName.
int BuildFirstChainCommand(const SettingsRecord& s, ChainCommand& out);
// ModuleDir\DirName2\Setup.exe, then " /h", " /s", " /nr".
int BuildSecondChainCommand(const SettingsRecord& s, ChainCommand& out);

// What the first chain message does. Without DirName1 the first program is
// this very program (or setup_x64.exe beside it): when that is this program
// or missing, this program installs by itself through the wizard.
enum FirstStage {
  kFirstStartProgram = 0,
  kFirstOpenWizard = 1,
  kFirstNothing = 2,  // cannot be started: the run ends
};
int ChooseFirstStage(const SettingsRecord& s, int buildResult, int isThisProgram, int exists);

// How the first stage went.
enum FirstOutcome {
  kFirstRunning = 0,      // started: wait for its signal
  kFirstNotStarted = 1,   // missing or refused: its signal can never come
  kFirstWizardEnded = 2,       // the wizard ran to its end
  kFirstWizardCancelled = 3,   // the user left the wizard
  kFirstWizardRestarting = 4,  // Windows is going down: nothing more may start
};

struct ChainState {
  std::int32_t ChainStarted = 0;
  std::int32_t ChainWait = 1;   // cleared by the signal message
  std::int32_t SkipSecond = 0;  // the run ends without the second program
};

// Records the first stage's outcome. The second program runs only when
// DirName2 names one, and after the wizard only when it ended without a
// cancel or a restart.
void ChainFirstDone(ChainState& state, int outcome, const SettingsRecord& s);

enum ChainAction : unsigned {
  kActStartFirst = 1,   // deal with the first stage, then report with ChainFirstDone
  kActWaitAgain = 2,    // sleep, then post the next chain message
  kActStartSecond = 4,  // start the second program (unless it is this program)
  kActEnd = 8,          // end the run
};

// One chain message. After kActStartFirst the caller reports the outcome
// and asks again within the same message.
unsigned ChainStep(ChainState& state);
