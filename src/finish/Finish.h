// What the copy leaves behind: removed on a cancel, or put in place at the
// next start of Windows.
#pragma once

// Runs after a confirmed cancel, once the install worker has stopped: deletes
// what this run extracted and copied, puts overwritten files back and deletes
// the temporary copies of in-use files.
void CancelCleanup();

// Deletes the temporary copies of in-use files: after a cancel, and after a
// failed run, which hands none of them on.
void DeleteTempCopies();

// Whether Windows will already put a file over path at the next start (an
// earlier run's copy of a file that was in use, still waiting there).
bool RestartReplaces(const char* path);

// Has Windows move PendingRenames[index].TempPath over its FinalPath at the
// next start: through wininit.ini on Windows 95, a delayed move elsewhere.
// False, with the system's error, when Windows could not be told.
bool RenameAtRestart(int index);
