#include "FolderRules.h"

#include <cstring>

#include "common/core/Text.h"

namespace {

// Every part between backslashes holds more than dots and blanks; no drive.
bool OwnFolderName(const char* name) {
  bool named = false;
  for (const char* p = name;; ++p) {
    if (*p == ':') return false;
    if (*p == '\\' || *p == '\0') {
      if (!named) return false;
      if (*p == '\0') return true;
      named = false;
    } else if (*p != '.' && *p != ' ') {
      named = true;
    }
  }
}

}  // namespace

int ProductFolderPath(const char* windowsDir, const char* productName, char* out, std::size_t cap) {
  if (cap == 0) return 0;
  out[0] = '\0';
  const char* last = std::strrchr(windowsDir, '\\');
  if (last == nullptr) return 0;
  int fits = CopyTextN(out, cap, windowsDir, static_cast<std::size_t>(last - windowsDir) + 1);
  fits &= AppendText(out, cap, "Program Files\\");
  const std::size_t nameAt = std::strlen(out);
  fits &= AppendText(out, cap, productName);
  for (char* p = out + nameAt; *p != '\0'; ++p)
    if (*p == '/') *p = '.';
  fits &= OwnFolderName(out + nameAt);
  if (!fits) out[0] = '\0';
  return fits;
}

void DriveRootOf(const char* folder, char (&out)[4]) {
  const char c = folder[0];
  const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  if (letter && folder[1] == ':') {
    const char root[4] = {c, ':', '\\', '\0'};
    CopyText(out, root);
    return;
  }
  CopyTextN(out, sizeof out, folder, 3);
}

void DropTrailingBackslash(char* path) {
  std::size_t n = std::strlen(path);
  if (n > 0 && path[n - 1] == '\\') path[n - 1] = '\0';
}

int FolderLevelCount(const char* path) {
  int n = 0;
  for (const char* p = path; *p != '\0'; ++p) n += (*p == '\\');
  return n;
}

std::size_t FolderLevelLength(const char* path, int k) {
  int seen = 0;
  for (const char* p = path; *p != '\0'; ++p)
    if (*p == '\\' && ++seen == k + 1) return static_cast<std::size_t>(p - path);
  return std::strlen(path);
}
