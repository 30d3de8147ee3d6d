#include "engine/FileVersion.h"

#include "common/Handles.h"
#include "common/core/Text.h"
#include "startup/SetupScript.h"

namespace {

// Size of the file's version information block; 0 when there is none.
DWORD VersionBlockSize(const char* path) {
  if (!FileExists(path)) return 0;
  DWORD ignored = 0;
  return GetFileVersionInfoSizeA(path, &ignored);
}

// Fills block (of VersionBlockSize bytes); false when that fails.
bool ReadVersionBlock(const char* path, const HeapBlock& block) {
  return !block.empty() && GetFileVersionInfoA(path, 0, block.size(), block.data());
}

bool FixedFromBlock(const HeapBlock& block, FileVersionPair& version) {
  void* value = nullptr;
  UINT length = 0;
  char root[] = "\\";
  // A block with no fixed part answers with length 0.
  if (!VerQueryValueA(block.data(), root, &value, &length) || value == nullptr ||
      length < sizeof(VS_FIXEDFILEINFO))
    return false;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  version = {fixed->dwFileVersionMS, fixed->dwFileVersionLS};
  return true;
}

bool TextFromBlock(const HeapBlock& block, FileVersionPair& version) {
  void* value = nullptr;
  UINT length = 0;
  char translation[] = "\\VarFileInfo\\Translation";
  if (!VerQueryValueA(block.data(), translation, &value, &length) || value == nullptr ||
      length < sizeof(DWORD))
    return false;
  DWORD first = *static_cast<const DWORD*>(value);
  char query[64] = "\\StringFileInfo\\";
  AppendHex(query, sizeof query, LOWORD(first), 4);
  AppendHex(query, sizeof query, HIWORD(first), 4);
  AppendText(query, "\\FileVersion");
  if (!VerQueryValueA(block.data(), query, &value, &length) || value == nullptr || length == 0)
    return false;
  // The text may fill its slot without a NUL: bound it by the block.
  const char* text = static_cast<const char*>(value);
  const BYTE* end = block.data() + block.size();
  std::size_t room = static_cast<std::size_t>(end - reinterpret_cast<const BYTE*>(text));
  char bounded[kTextSize];
  CopyTextN(bounded, sizeof bounded, text, BoundedLength(text, room));
  if (bounded[0] == '\0') return false;
  version = PackVersionText(bounded);
  return true;
}

bool ReadWriteTime(const char* path, FILETIME& time) {
  UniqueFile file(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (file) return GetFileTime(file.get(), nullptr, nullptr, &time) != FALSE;
  // A file a running program holds without sharing cannot be opened; the
  // folder listing still knows its time.
  WIN32_FIND_DATAA data;
  UniqueFind find(FindFirstFileA(path, &data));
  if (!find) return false;
  time = data.ftLastWriteTime;
  return true;
}

}  // namespace

bool GetFixedFileVersion(const char* path, FileVersionPair& version) {
  HeapBlock block(VersionBlockSize(path));
  return ReadVersionBlock(path, block) && FixedFromBlock(block, version);
}

bool GetStringFileVersion(const char* path, FileVersionPair& version) {
  HeapBlock block(VersionBlockSize(path));
  return ReadVersionBlock(path, block) && TextFromBlock(block, version);
}

int CompareFileVersions(const char* source, const char* dest) {
  // Each file's block is read once and asked for both kinds.
  HeapBlock destBlock(VersionBlockSize(dest));
  bool haveDest = ReadVersionBlock(dest, destBlock);
  HeapBlock sourceBlock(haveDest ? VersionBlockSize(source) : 0);
  VersionReading fixed{}, text{};
  if (ReadVersionBlock(source, sourceBlock)) {
    fixed.known =
        FixedFromBlock(destBlock, fixed.dest) && FixedFromBlock(sourceBlock, fixed.source);
    text.known = TextFromBlock(destBlock, text.dest) && TextFromBlock(sourceBlock, text.source);
  }
  return CompareVersionReadings(fixed, text);
}

bool IsSourceNewerByTime(const char* source, const char* dest) {
  FILETIME destTime, sourceTime;
  if (!ReadWriteTime(dest, destTime)) return true;  // gone meanwhile: nothing to keep
  if (!ReadWriteTime(source, sourceTime)) return false;
  return CompareFileTime(&sourceTime, &destTime) > 0;
}
