#include "FileTable.h"

#include <cstring>

FileEntry FileTable[kFileTableRows];
int32_t FileCount;
PendingRename PendingRenames[kPendingRenameRows];
int32_t PendingRenameCount;
uint32_t TotalBytes;
uint32_t CopiedBytes;
char TempDir[kTextSize];
int32_t ExtractedCount;
uint16_t PendingDosDate;
uint16_t PendingDosTime;
char BackupDir[kTextSize];

int CopyRowCount() { return FileCount < kFileTableRows ? (FileCount > 0 ? FileCount : 0) : kFileTableRows; }

void ResetFileTable() {
  std::memset(FileTable, 0, sizeof FileTable);
  std::memset(PendingRenames, 0, sizeof PendingRenames);
  FileCount = PendingRenameCount = ExtractedCount = 0;
  TotalBytes = CopiedBytes = 0;
  PendingDosDate = PendingDosTime = 0;
  TempDir[0] = BackupDir[0] = '\0';
}

int JoinPath(char* out, std::size_t cap, const char* folder, const char* name) {
  int fits = CopyText(out, cap, folder);
  fits &= AppendText(out, cap, "\\");
  fits &= AppendText(out, cap, name);
  return fits;
}

int SplitCopyKey(const char* key, char (&subDir)[kTextSize], char (&fileName)[kTextSize]) {
  const char* last = std::strrchr(key, '\\');
  if (last == nullptr) {
    subDir[0] = '\0';
    return CopyText(fileName, key);
  }
  int fits = CopyTextN(subDir, sizeof subDir, key, static_cast<std::size_t>(last - key));
  return fits & CopyText(fileName, last + 1);
}

bool IsFullFolder(const char* folder) {
  const char c = folder[0];
  const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  return (letter && folder[1] == ':' &&
          (folder[2] == '\\' || folder[2] == '/' || folder[2] == '\0')) ||
         (folder[0] == '\\' && folder[1] == '\\' && folder[2] != '\0');
}

int DestinationPath(const FileEntry& row, char (&out)[kTextSize]) {
  return JoinPath(out, sizeof out, row.DestDir, row.NewName[0] ? row.NewName : row.FileName);
}

int SourcePath(const FileEntry& row, const char* moduleDir, const char* tempDir, int cabFile,
               char (&out)[kTextSize]) {
  if (row.SourceSubDir[0] == '\0')
    return JoinPath(out, sizeof out, cabFile ? tempDir : moduleDir, row.FileName);
  int fits = JoinPath(out, sizeof out, moduleDir, row.SourceSubDir);
  fits &= AppendText(out, "\\");
  return fits & AppendText(out, row.FileName);
}

int InUseTempName(const char* destination, int digit, char (&out)[kTextSize]) {
  if (digit < 0 || digit > 9) return 0;
  const char digitText[2] = {char('0' + digit), '\0'};
  // The dot of the file's own name: one in a folder's name would put the
  // copy into another folder, over whatever file has that name there.
  const char* name = std::strrchr(destination, '\\');
  const char* slash = std::strrchr(destination, '/');  // Windows takes both
  if (slash != nullptr && (name == nullptr || slash > name)) name = slash;
  const char* dot = std::strrchr(name != nullptr ? name : destination, '.');
  int fits;
  if (dot == nullptr) {
    fits = CopyText(out, destination);
    fits &= AppendText(out, ".");
  } else {
    fits = CopyTextN(out, sizeof out, destination, static_cast<std::size_t>(dot + 1 - destination));
  }
  return fits & AppendText(out, digitText);
}

int32_t ProgressFor(uint32_t copiedBytes, uint32_t totalBytes) {
  if (totalBytes == 0) return 100;
  // 64-bit: copied * 100 passes 32 bits after 42 MB.
  uint64_t percent = uint64_t(copiedBytes) * 100u / totalBytes;
  return percent > 100 ? 100 : static_cast<int32_t>(percent);
}

int TempDirCandidate(const char* windowsDir, int n, char (&out)[kTextSize]) {
  char name[32] = "_QuessorTempDir";
  AppendDecimal(name, static_cast<unsigned long>(n));
  return JoinPath(out, sizeof out, windowsDir, name);
}

int BackupPathFor(const char* backupDir, int index, char (&out)[kTextSize]) {
  char name[16] = "";
  AppendDecimal(name, static_cast<unsigned long>(index));
  return JoinPath(out, sizeof out, backupDir, name);
}
