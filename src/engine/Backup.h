// Copies of the destinations that the copy overwrites, kept until the
// installation completes, so that a cancel can put the old files back.
#pragma once

// Keeps row's destination in this run's backup folder (made on first use):
// moved there when no program holds it, else copied. False when it could
// not be kept; the destination is then where it was.
bool BackupDestination(int row, const char* dest);

// Puts the kept file back in place of dest.
bool RestoreBackup(int row, const char* dest);

// Deletes one row's kept copy.
void DiscardBackup(int row);

// Deletes every kept copy and the folder: the installation went through.
void DiscardBackups();
