#include "WizardPages.h"

int PagePresent(const SettingsRecord& s, int index) {
  switch (index) {
    case kPageWelcome:
    case kPageStart:
    case kPageProgress:
    case kPageResult:
      return 1;
    case kPageLicense:
      return s.AskLicense != 0;
    case kPageInterface:
      return s.AskType != 0;
    case kPageDestination:
      return s.AskPath != 0;
    case kPageProgramFolder:
      return s.AskProgramFolder != 0;
    default:
      return 0;
  }
}

int BuildPageSequence(const SettingsRecord& s, int (&pages)[kPageCount]) {
  int count = 0;
  for (int i = 0; i < kPageCount; ++i)
    if (PagePresent(s, i)) pages[count++] = i;
  return count;
}

unsigned ChooseResultTexts(int32_t installResult, int32_t restart, int32_t noRestart) {
  if (installResult == 1) return kTextFailed | kTextNoPrivilege;
  if (installResult != 0) return kTextFailed | kTextSeeReadme;
  if (restart == 0 || noRestart != 0) return kTextDone;
  return kTextRestartNeeded | kTextRestartChoice | kTextRemoveDisks;
}

int ResultPressesFinish(int32_t installResult, int32_t silentMode, int32_t hiddenMode) {
  if (hiddenMode) return 1;
  return silentMode != 0 && installResult == 0;
}

int32_t WizardExitCode(int end, int32_t installResult, int32_t restartNeeded, int restartMade) {
  if (end == kWizardCancelled) return kExitCancelled;
  if (end != kWizardFinished) return kExitFailed;
  if (installResult == 1) return kExitAccessDenied;
  if (installResult != 0) return kExitFailed;
  if (restartNeeded != 0 && !restartMade) return kExitRestartPending;
  return kExitInstalled;
}
