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
  kChainNothing = 0,  // no folder configured: starting would run this program again
  kChainReady = 1,
  kChainTooLong = 2,  // does not fit: a cut path could name another program
};

// ModuleDir\DirName1\SetupProgramName, then " /s", " /v", "/qn".
int BuildFirstChainCommand(const SettingsRecord& s, ChainCommand& out);
// ModuleDir\DirName2\Setup.exe, then " /h", " /s", " /nr".
int BuildSecondChainCommand(const SettingsRecord& s, ChainCommand& out);

struct ChainState {
  std::int32_t ChainStarted = 0;
  std::int32_t ChainWait = 1;  // cleared by the signal message
};

enum ChainAction : unsigned {
  kActStartFirst = 1,   // start the first program
  kActWaitAgain = 2,    // sleep, then post the next chain message
  kActStartSecond = 4,  // start the second program
  kActEnd = 8,          // end the run
};

// One chain message. firstHasProgram is 0 when there is no first program
// to start; the sequence then goes on as if the signal had come.
unsigned ChainStep(ChainState& state, int firstHasProgram);
