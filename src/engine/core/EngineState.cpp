#include "EngineState.h"

std::atomic<int32_t> CancelRequested{0};
std::atomic<int32_t> ProgressPercent{0};
std::atomic<int32_t> InstallBusy{0};
std::atomic<int32_t> ExtractBusy{0};
std::atomic<int32_t> InstallResult{0};

void ResetEngineState() {
  CancelRequested = 0;
  ProgressPercent = 0;
  InstallBusy = 0;
  ExtractBusy = 0;
  InstallResult = 0;
}
