// Copies of the destinations that the copy overwrites, kept until the
// install worker ends, so that a cancel can put the old files back. The
// original always stays in place until its replacement is complete: a
// backup is a copy, never the moved original.
#pragma once

// Copies row's destination into this run's backup folder (made on first
// use). False when it could not be kept.
bool BackupDestination(int row, const char* dest);

// True when dest still is the file that row's backup holds.
bool MatchesBackup(int row, const char* dest);

// Copies the kept file back over dest; the backup stays until discarded.
bool RestoreBackup(int row, const char* dest);

// Deletes one row's kept copy.
void DiscardBackup(int row);

// At the worker's end, the installation went through: deletes every kept
// copy that is no longer needed. A row whose destination could not be put
// back is tried once more; if that fails its copy stays in the folder.
void DiscardBackups();
