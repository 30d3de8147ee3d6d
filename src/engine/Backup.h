// Copies of the destinations that the copy overwrites, kept until the
// installation completes, so that a cancel can put the old files back.
#pragma once

// Keeps a copy of row's destination in this run's backup folder (made on
// first use). False when no copy could be made.
bool BackupDestination(int row, const char* dest);

// Puts the kept copy back over dest and deletes it.
bool RestoreBackup(int row, const char* dest);

// Deletes one row's kept copy.
void DiscardBackup(int row);

// Deletes every kept copy and the folder: the installation went through.
void DiscardBackups();
