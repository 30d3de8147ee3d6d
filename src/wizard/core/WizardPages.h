// Which wizard pages run, what the result page says, and the exit code of
// a single-stage run. Portable: no Windows header.
#pragma once
#include <cstdint>

#include "startup/core/Settings.h"

// Page indexes in the sheet's fixed table; removal by index relies on them.
enum WizardPage : int {
  kPageWelcome = 0,
  kPageLicense = 1,
  kPageInterface = 2,
  kPageDestination = 3,
  kPageProgramFolder = 4,
  kPageStart = 5,
  kPageProgress = 6,
  kPageResult = 7,
};
constexpr int kPageCount = 8;

// 1 when the page at index stays in the sheet: Welcome, Start, Progress
// and Result always, the four optional ones when their Ask flag is set.
// The Welcome page removes the others from the highest index down.
int PagePresent(const SettingsRecord& s, int index);

// Fills pages with the indexes of the pages that run, in order; returns
// how many.
int BuildPageSequence(const SettingsRecord& s, int (&pages)[kPageCount]);

// Texts of the result page, one bit each; every one not chosen is hidden.
enum ResultText : unsigned {
  kTextRestartNeeded = 1,  // success, restart needed (two %s: the product name)
  kTextRestartChoice = 2,  // the "restart now" / "later" buttons, "now" checked
  kTextRemoveDisks = 4,    // remove any disks from floppy drives
  kTextDone = 8,           // success, nothing more to do (one %s)
  kTextFailed = 16,        // the driver could not be installed
  kTextNoPrivilege = 32,   // re-login as an administrator
  kTextSeeReadme = 64,     // refer to the README
};

// restart is Settings Restart once the pending renames have set it.
unsigned ChooseResultTexts(int32_t installResult, int32_t restart, int32_t noRestart);

// 1 when the result page presses Finish itself. A hidden sheet cannot be
// finished by anyone else, so it ends after a failure too.
int ResultPressesFinish(int32_t installResult, int32_t silentMode, int32_t hiddenMode);

// How the wizard ended.
enum WizardEnd : int {
  kWizardFinished = 0,   // Finish on the result page
  kWizardCancelled = 1,  // the user confirmed "Exit Setup"
  kWizardFailed = 2,     // the sheet could not run, or ended in any other way
};

constexpr int32_t kExitInstalled = 0;
constexpr int32_t kExitAccessDenied = 5;
constexpr int32_t kExitCancelled = 1602;
constexpr int32_t kExitFailed = 1603;
constexpr int32_t kExitAlreadyRunning = 1618;  // another Setup runs
constexpr int32_t kExitRestartPending = 3010;

// Exit code of a single-stage run. restartNeeded is Settings Restart after
// the result page; restartMade is 1 when Windows accepted the restart.
int32_t WizardExitCode(int end, int32_t installResult, int32_t restartNeeded, int restartMade);
