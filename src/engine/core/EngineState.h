// Values the install worker shares with the progress and result pages.
// Each is written whole by one side and read by the other; atomic, so that
// neither the compiler nor the processor can keep a stale copy.
// Portable: no Windows header (the pause event lives in engine/EngineState.h).
#pragma once
#include <atomic>
#include <cstdint>

extern std::atomic<int32_t> CancelRequested;  // 1: no further file is copied or extracted
extern std::atomic<int32_t> ProgressPercent;  // 0 to 100, painted by the page
extern std::atomic<int32_t> InstallBusy;      // 1 during the driver and registry phase
extern std::atomic<int32_t> ExtractBusy;      // 1 while the temporary folder exists
extern std::atomic<int32_t> InstallResult;    // 0 success, 1 no privilege, else failure

constexpr int32_t kResultSuccess = 0;
constexpr int32_t kResultNoPrivilege = 1;   // the system refused access
constexpr int32_t kResultFailed = 3;        // a file could not be installed
constexpr int32_t kResultCabinetFailed = 3;

// After the copy, the user leaving Setup and the worker entering the driver
// and registry phase exclude each other: the first to claim the run wins,
// and a phase once begun runs to its end (its cancel would undo the copy
// under installed drivers and written keys).
extern std::atomic<int32_t> RunDecision;
constexpr int32_t kRunOpen = 0;
constexpr int32_t kRunCancelled = 1;
constexpr int32_t kRunCommitted = 2;

// The page, at "Exit Setup": 1 when the cancel stands, and CancelRequested
// is then set; 0 when the driver phase has begun.
int TakeCancel();
// The worker, before the driver phase: 1 when no cancel came first.
int CommitInstall();

// Back to the values at start (the tests run several installations).
void ResetEngineState();
