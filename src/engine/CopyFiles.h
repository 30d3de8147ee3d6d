// The Copy Files table: reading it from the setup script and copying its
// rows by the version and date rules.
#pragma once
#include <windows.h>

#include "engine/core/FileTable.h"

// Fills FileTable from section "Copy Files" (at most its 160 rows) and
// returns the number of rows.
int ReadCopyFiles();

// Runs CopyEntry for every row until one reports a cancel.
void CopyFiles(HWND page);

// Copies row i when its destination should be replaced. False only when it
// found CancelRequested set and stopped.
bool CopyEntry(HWND page, int i);
