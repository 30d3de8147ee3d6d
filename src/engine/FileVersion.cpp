#include "engine/FileVersion.h"

#include <cstdio>
#include <string>
#include <vector>

#include "common/Handles.h"
#include "common/core/Text.h"
#include "startup/SetupScript.h"

namespace {

// The whole version information block of a file; empty when there is none.
std::vector<BYTE> ReadVersionBlock(const char* path) {
  std::vector<BYTE> block;
  if (!FileExists(path)) return block;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return block;
  block.resize(size);
  if (!GetFileVersionInfoA(path, 0, size, block.data())) block.clear();
  return block;
}

bool FixedFromBlock(std::vector<BYTE>& block, FileVersionPair& version) {
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

bool TextFromBlock(std::vector<BYTE>& block, FileVersionPair& version) {
  void* value = nullptr;
  UINT length = 0;
  char translation[] = "\\VarFileInfo\\Translation";
  if (!VerQueryValueA(block.data(), translation, &value, &length) || value == nullptr ||
      length < sizeof(DWORD))
    return false;
  DWORD first = *static_cast<const DWORD*>(value);
  char query[64];
  std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\FileVersion",
                static_cast<unsigned>(LOWORD(first)), static_cast<unsigned>(HIWORD(first)));
  if (!VerQueryValueA(block.data(), query, &value, &length) || value == nullptr || length == 0)
    return false;
  // The text may fill its slot without a NUL: bound it by the block.
  const char* text = static_cast<const char*>(value);
  const BYTE* end = block.data() + block.size();
  std::size_t room = static_cast<std::size_t>(end - reinterpret_cast<const BYTE*>(text));
  std::string bounded(text, BoundedLength(text, room));
  if (bounded.empty()) return false;
  version = PackVersionText(bounded.c_str());
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
  std::vector<BYTE> block = ReadVersionBlock(path);
  return !block.empty() && FixedFromBlock(block, version);
}

bool GetStringFileVersion(const char* path, FileVersionPair& version) {
  std::vector<BYTE> block = ReadVersionBlock(path);
  return !block.empty() && TextFromBlock(block, version);
}

int CompareFileVersions(const char* source, const char* dest) {
  // Each file's block is read once and asked for both kinds.
  std::vector<BYTE> destBlock = ReadVersionBlock(dest);
  std::vector<BYTE> sourceBlock;
  if (!destBlock.empty()) sourceBlock = ReadVersionBlock(source);
  VersionReading fixed{}, text{};
  if (!sourceBlock.empty()) {
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
