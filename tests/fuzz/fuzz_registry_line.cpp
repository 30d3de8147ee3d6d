// "Add Registry" lines come from the vendor's setup script: fields and bytes
// must stay inside their buffers, and the data for the value write inside
// the parsed line.
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/core/RegistryLine.h"
#include "startup/core/ListFields.h"

namespace {

// Long "Strings" expansions push fields to their limit.
struct FuzzTokens : PathTokenSource {
  void SystemDirectory(char* out, size_t cap) override { CopyText(out, cap, "C:\\W\\SYSTEM"); }
  void WindowsDirectory(char* out, size_t cap) override { CopyText(out, cap, "C:\\W"); }
  void InstallDir(char* out, size_t cap) override { CopyText(out, cap, "C:\\Kq"); }
  void ModuleDir(char* out, size_t cap) override { CopyText(out, cap, "D:"); }
  void StringsValue(const char* name, char* out, size_t cap) override {
    CopyText(out, cap, (std::string(300, '7') + name).c_str());
  }
};

size_t FuzzSplit(const char* value, size_t offset, char* out, size_t cap) {
  FuzzTokens tokens;
  return SplitFieldWith(value, offset, out, cap, tokens);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Longer than the profile function gives, to reach the byte limit too.
  std::string value(reinterpret_cast<const char*>(data), size < 2000 ? size : 2000);
  RegistryLine line;
  ParseRegistryLine(value.c_str(), FuzzSplit, line);
  for (const char* text : {line.KeyPath, line.ValueName, line.Text})
    if (std::memchr(text, '\0', kTextSize) == nullptr) __builtin_trap();
  if (line.ByteCount > kRegistryBytes) __builtin_trap();
  uint32_t bytes = 0;
  const char* start = static_cast<const char*>(RegistryData(line, &bytes));
  const char* base = reinterpret_cast<const char*>(&line);
  if (start != nullptr && (start < base || start + bytes > base + sizeof line)) __builtin_trap();
  return 0;
}
