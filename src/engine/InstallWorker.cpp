#include "engine/InstallWorker.h"

#include <prsht.h>

#include "driver/DriverInstall.h"
#include "engine/Backup.h"
#include "engine/Cabinet.h"
#include "engine/CopyFiles.h"
#include "engine/EngineState.h"
#include "engine/PageControls.h"
#include "engine/ProgramActions.h"
#include "engine/RegistryActions.h"
#include "engine/UninstallRecord.h"
#include "engine/core/FileTable.h"
#include "startup/core/Settings.h"

namespace {

void ShowDriverPhase(HWND page, HWND sheet) {
  InstallBusy = 1;
  for (int id : {kCopyHeadline, kFromLabel, kToLabel, kProgressBar, kFromText, kToText})
    ShowControl(page, id, false);
  ShowControl(page, kDriverMessage, true);
  PostMessageA(sheet, PSM_CANCELTOCLOSE, 0, 0);
  StartAnimation(page, kDriverAnimation, kDriverClip);
}

// The driver, registry and program steps, after a complete copy.
void InstallAfterCopy(HWND page, HWND sheet) {
  ShowDriverPhase(page, sheet);
  // Preload.exe configures the device at the next logon instead.
  if (Settings.Preload) Settings.CallConfigMg = 0;
  UpdateDrivers();
  AddRegistry();
  AddRegistryFiles();
  RunPrograms();
  InstallBusy = 0;
  StopAnimation(page, kDriverAnimation);
}

}  // namespace

DWORD WINAPI InstallWorker(LPVOID parameter) {
  HWND page = static_cast<HWND>(parameter);
  HWND sheet = GetParent(page);
  KillPrograms();
  CreateInstallDir();
  FileCount = ReadCopyFiles();
  const bool copied = CopyStep(page);
  // The "Exit Setup" question may still be open after the last file: the
  // driver phase must not run under the cleanup.
  WaitBeforeFile();
  if (!CommitInstall()) {
    // The cleanup still needs the backups of replaced files. The page waits
    // for this thread to end; had it given up, this Cancel brings it back.
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    return 0;
  }
  if (copied) InstallAfterCopy(page, sheet);
  DiscardBackups();
  PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
  return 0;
}
