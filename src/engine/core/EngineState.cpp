#include "EngineState.h"

std::atomic<int32_t> CancelRequested{0};
std::atomic<int32_t> ProgressPercent{0};
std::atomic<int32_t> InstallBusy{0};
std::atomic<int32_t> ExtractBusy{0};
std::atomic<int32_t> InstallResult{0};
std::atomic<int32_t> RunDecision{kRunOpen};

int TakeCancel() {
  int32_t seen = kRunOpen;
  if (!RunDecision.compare_exchange_strong(seen, kRunCancelled) && seen != kRunCancelled) return 0;
  CancelRequested = 1;
  return 1;
}

int CommitInstall() {
  int32_t seen = kRunOpen;
  if (CancelRequested) return 0;
  return RunDecision.compare_exchange_strong(seen, kRunCommitted) || seen == kRunCommitted;
}

void ResetEngineState() {
  CancelRequested = 0;
  ProgressPercent = 0;
  InstallBusy = 0;
  ExtractBusy = 0;
  InstallResult = 0;
  RunDecision = kRunOpen;
}
