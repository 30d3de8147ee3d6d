#include "WininitRename.h"

#include <cstring>

#include "common/core/Text.h"

namespace {

constexpr char kHeader[] = "[Rename]\r\n";
constexpr std::size_t kHeaderLength = sizeof kHeader - 1;

// Start of the header within the first textLength bytes, or nullptr.
char* FindHeader(char* view, std::size_t textLength) {
  if (textLength < kHeaderLength) return nullptr;
  for (std::size_t i = 0; i + kHeaderLength <= textLength; ++i)
    if (std::memcmp(view + i, kHeader, kHeaderLength) == 0) return view + i;
  return nullptr;
}

}  // namespace

std::size_t FormatRenameLine(const char* finalPath, const char* tempPath, char* out,
                             std::size_t cap) {
  if (!CopyText(out, cap, finalPath) || !AppendText(out, cap, "=") ||
      !AppendText(out, cap, tempPath) || !AppendText(out, cap, "\r\n")) {
    if (cap) out[0] = '\0';
    return 0;
  }
  return BoundedLength(out, cap);
}

std::size_t InsertRenameLine(char* view, std::size_t size, std::size_t capacity, const char* line,
                             std::size_t lineLength) {
  if (lineLength == 0 || capacity < size || capacity - size < lineLength + kRenameSlack)
    return size;
  const void* nul = std::memchr(view, '\0', size);
  std::size_t textLength =
      nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - view) : size;
  if (char* header = FindHeader(view, textLength)) {
    // Just behind the header's own LF.
    std::size_t at = static_cast<std::size_t>(header - view) + kHeaderLength;
    std::memmove(view + at + lineLength, view + at, size - at);
    std::memcpy(view + at, line, lineLength);
    return size + lineLength;
  }
  // A last line without its line break would swallow the header, and
  // Windows would then never see the section.
  if (size > 0 && view[size - 1] != '\n') {
    std::memcpy(view + size, "\r\n", 2);
    size += 2;
  }
  std::memcpy(view + size, kHeader, kHeaderLength);
  std::memcpy(view + size + kHeaderLength, line, lineLength);
  return size + kHeaderLength + lineLength;
}
