#include "engine/Cabinet.h"

#include <setupapi.h>

#include "common/Handles.h"
#include "engine/CopyFiles.h"
#include "engine/EngineState.h"
#include "engine/PageControls.h"
#include "startup/SetupScript.h"
#include "startup/core/Settings.h"

namespace {

using IterateCabinetFn = BOOL(WINAPI*)(PCSTR, DWORD, PSP_FILE_CALLBACK_A, PVOID);

constexpr int kCopyControls[] = {kFromLabel, kToLabel, kProgressBar, kFromText, kToText};

// The first row of that file name, or -1.
int FindRow(const char* nameInCabinet) {
  for (int i = 0; i < CopyRowCount(); ++i)
    if (EqualsNoCase(FileTable[i].FileName, nameInCabinet)) return i;
  return -1;
}

UINT OnFileInCabinet(FILE_IN_CABINET_INFO_A& info) {
  WaitBeforeFile();
  int i = FindRow(info.NameInCabinet);
  // A target that does not fit in 260 characters would be cut into another
  // name: that file is left in the cabinet.
  if (i < 0 ||
      !JoinPath(info.FullTargetName, sizeof info.FullTargetName, TempDir, FileTable[i].FileName))
    return FILEOP_SKIP;
  FileTable[i].FileSize = info.FileSize;
  TotalBytes += info.FileSize;
  PendingDosDate = info.DosDate;
  PendingDosTime = info.DosTime;
  if (CancelRequested) return FILEOP_SKIP;
  FileTable[i].Extracted = 1;
  ++ExtractedCount;
  return FILEOP_DOIT;
}

void StartCopyPage(HWND page) {
  StartAnimation(page, kCopyAnimation, kCopyClip);
  for (int id : kCopyControls) ShowControl(page, id, true);
}

}  // namespace

bool CreateTempDir() {
  char windows[kTextSize];
  UINT n = GetWindowsDirectoryA(windows, sizeof windows);
  return n > 0 && n < sizeof windows && CreateTempDirIn(windows);
}

bool CreateTempDirIn(const char* parent) {
  // Bounded: past this many leftover folders something else is wrong.
  for (int i = 0; i < 10000; ++i) {
    if (!TempDirCandidate(parent, i, TempDir)) break;
    if (CreateDirectoryA(TempDir, nullptr)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  TempDir[0] = '\0';  // names no folder of ours
  return false;
}

bool ExtractCabinet(const char* cabinetPath) {
  if (!FileExists(cabinetPath)) return false;
  UniqueLibrary setupapi(LoadSystemLibrary("setupapi.dll"));
  if (!setupapi) return false;
  auto iterate =
      reinterpret_cast<IterateCabinetFn>(GetProcAddress(setupapi.get(), "SetupIterateCabinetA"));
  if (iterate == nullptr) return false;
  return iterate(cabinetPath, 0, CabinetCallback, nullptr) != FALSE;
}

UINT CALLBACK CabinetCallback(PVOID, UINT notification, UINT_PTR param1, UINT_PTR) {
  switch (notification) {
    case SPFILENOTIFY_FILEINCABINET:
      return OnFileInCabinet(*reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1));
    case SPFILENOTIFY_FILEEXTRACTED:
      SetFileTimeFromDos(PendingDosDate, PendingDosTime,
                         reinterpret_cast<FILEPATHS_A*>(param1)->Target);
      return NO_ERROR;
    default:  // a continuation cabinet included: a cabinet holds all its files
      return 0;
  }
}

void SetFileTimeFromDos(WORD dosDate, WORD dosTime, const char* path) {
  UniqueFile file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr));
  if (file) {
    FILETIME local, universal;
    if (DosDateTimeToFileTime(dosDate, dosTime, &local) &&
        LocalFileTimeToFileTime(&local, &universal))
      SetFileTime(file.get(), &universal, nullptr, &universal);
  }
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
}

bool CopyStep(HWND page) {
  if (FileCount == 0) {
    ProgressPercent = 100;
    ReportProgress(page);
    return true;
  }
  if (!Settings.CabFile) {
    for (int i = 0; i < CopyRowCount(); ++i) TotalBytes += FileTable[i].FileSize;
  } else {
    ExtractBusy = 1;
    if (!CreateTempDir()) {  // without rights to the Windows folder, as any refused write
      InstallResult =
          GetLastError() == ERROR_ACCESS_DENIED ? kResultNoPrivilege : kResultCabinetFailed;
      return false;
    }
    if (!ExtractCabinet(Settings.CabFileName)) {
      InstallResult = kResultCabinetFailed;
      return false;
    }
  }
  StartCopyPage(page);
  CopyFiles(page);
  if (Settings.CabFile) {
    RemoveDirectoryA(TempDir);
    ExtractBusy = 0;
  }
  StopAnimation(page, kCopyAnimation);
  // The backups stay until the worker ends: a cancel may still come.
  return !CancelRequested && InstallResult == kResultSuccess;
}
