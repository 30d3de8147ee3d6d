// The Copy Files table, the in-use list and the copy's progress values:
// process-wide data that the copy, the cabinet step and the cleanup share,
// and the pure path and progress rules that go with them.
// Portable: no Windows header.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/core/Text.h"

constexpr int kFileTableRows = 160;
constexpr int kPendingRenameRows = 128;

struct FileEntry {
  uint32_t FileSize;
  char DestDir[kTextSize];
  char FileName[kTextSize];
  char SourceSubDir[kTextSize];
  char NewName[kTextSize];
  int32_t Extracted;  // lies in TempDir, not yet deleted
  int32_t Copied;     // written to its destination itself
  int32_t Existed;    // the destination was there before it was overwritten
  int32_t BackedUp;   // the overwritten destination is kept in BackupDir
  int32_t RestorePending;  // a failed copy damaged the destination and it is not back yet
};

struct PendingRename {
  char FinalPath[kTextSize];  // the destination that was in use
  char TempPath[kTextSize];   // the file that holds the new copy
};

extern FileEntry FileTable[kFileTableRows];
extern int32_t FileCount;
extern PendingRename PendingRenames[kPendingRenameRows];
extern int32_t PendingRenameCount;
extern uint32_t TotalBytes;
extern uint32_t CopiedBytes;

// The cabinet's temporary folder and the files still extracted into it.
extern char TempDir[kTextSize];
extern int32_t ExtractedCount;
extern uint16_t PendingDosDate;
extern uint16_t PendingDosTime;

// Folder of this run's copies of overwritten destinations ("" until needed).
extern char BackupDir[kTextSize];

// The rows in use: FileCount, never more than the table holds.
int CopyRowCount();

// Empties the table, the in-use list, the counters and the folders.
void ResetFileTable();

// folder + "\" + name into out; 0 when it does not fit (out is then cut).
int JoinPath(char* out, std::size_t cap, const char* folder, const char* name);

// Cuts a Copy Files key at its last backslash into the subfolder (empty
// when there is none) and the file name. 0 when either was cut short.
int SplitCopyKey(const char* key, char (&subDir)[kTextSize], char (&fileName)[kTextSize]);

// A drive's folder ("C:\dir", "C:") or a network path ("\\server\share"):
// not empty, not relative to wherever Setup happens to run.
bool IsFullFolder(const char* folder);

// DestDir + "\" + (NewName, else FileName).
int DestinationPath(const FileEntry& row, char (&out)[kTextSize]);

// Where the row's file is read from: ModuleDir\SourceSubDir\FileName for a
// row with a subfolder, else (TempDir with a cabinet, else ModuleDir)\FileName.
int SourcePath(const FileEntry& row, const char* moduleDir, const char* tempDir, int cabFile,
               char (&out)[kTextSize]);

// The temporary name for a destination in use: the path cut just after the
// last dot of the file's name, then the digit; a name without a dot gets
// "." and the digit. 0 when it does not fit.
int InUseTempName(const char* destination, int digit, char (&out)[kTextSize]);

// Share of the bytes copied, 0 to 100; 100 when nothing is to be copied.
int32_t ProgressFor(uint32_t copiedBytes, uint32_t totalBytes);

// "_QuessorTempDir" + n below the Windows folder.
int TempDirCandidate(const char* windowsDir, int n, char (&out)[kTextSize]);

// The backup of row index in BackupDir: BackupDir\<index>.
int BackupPathFor(const char* backupDir, int index, char (&out)[kTextSize]);
