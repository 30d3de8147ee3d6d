// The Copy Files table: reading it from the setup script and copying its
// rows by the version and date rules.
#pragma once
#include <windows.h>

#include "engine/UninstallRecord.h"
#include "engine/core/FileTable.h"

// Fills FileTable from section "Copy Files" (at most its 160 rows) and
// returns the number of rows.
int ReadCopyFiles();

// What the copy of a table holds on to: the page and its two file texts
// (a lookup in another thread's window costs as much as setting the text)
// and the open uninstall record.
struct CopyRun {
  explicit CopyRun(HWND page);
  HWND Page;
  HWND FromText;
  HWND ToText;
  RecordSession Records;
};

// Runs CopyEntry for every row until one reports a cancel.
void CopyFiles(HWND page);

// Copies row i when its destination should be replaced. A destination that
// can neither be written nor set aside for the restart sets InstallResult
// (kResultNoPrivilege when access was refused). False only when it found
// CancelRequested set and stopped.
bool CopyEntry(CopyRun& run, int i);
// The same for one row alone.
bool CopyEntry(HWND page, int i);
