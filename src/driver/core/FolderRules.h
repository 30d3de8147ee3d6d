// Paths of the product folder and its levels. Portable: no Windows header.
#pragma once
#include <cstddef>

// The folder holding the Windows folder, then "Program Files\" and the
// product name with every '/' made '.'. Returns 1 when it fitted into out
// (cap bytes). A Windows folder without a backslash gives 0 and "", and so
// does a name that is no folder of its own: empty, a drive, or a part of
// dots and blanks alone ("..\Windows"), where the media would be poured
// into a folder of the system.
int ProductFolderPath(const char* windowsDir, const char* productName, char* out, std::size_t cap);

// The root whose drive type decides whether the medium is copied: "X:\"
// for a folder on drive X (also for "X:", a program at the drive's root,
// whose ModuleDir has no backslash), else the first three characters,
// which name no drive root (a network path, for one). out holds 4 bytes.
void DriveRootOf(const char* folder, char (&out)[4]);

// Removes one trailing backslash, in place.
void DropTrailingBackslash(char* path);

// Number of folder levels to create for path (its backslashes; the drive
// root is never created), and the length of level k (1-based): the path up
// to, not including, its backslash number k + 1, or the whole path.
int FolderLevelCount(const char* path);
std::size_t FolderLevelLength(const char* path, int k);
