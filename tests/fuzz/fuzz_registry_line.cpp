// "Add Registry" lines come from the vendor's setup script: every field and
// the byte list must stay inside their buffers, and the data handed to the
// value write must lie inside the parsed line.
#include <cstdint>
#include <cstring>
#include <string>

#include "common/core/Text.h"
#include "engine/core/RegistryLine.h"
#include "startup/core/ListFields.h"

namespace {

class FuzzTokens : public PathTokenSource {
 public:
  void SystemDirectory(char* out, size_t cap) override {
    CopyText(out, cap, "C:\\WINDOWS\\system32");
  }
  void WindowsDirectory(char* out, size_t cap) override { CopyText(out, cap, "C:\\WINDOWS"); }
  void InstallDir(char* out, size_t cap) override { CopyText(out, cap, "C:\\Program Files\\Kq"); }
  void ModuleDir(char* out, size_t cap) override { CopyText(out, cap, "D:"); }
  // Long, comma-laden expansions push fields to their limit.
  void StringsValue(const char* name, char* out, size_t cap) override {
    std::string text;
    while (text.size() < 300) text += name[0] ? name : "1,ff";
    CopyText(out, cap, text.c_str());
  }
};

size_t FuzzSplit(const char* value, size_t offset, char* out, size_t cap) {
  FuzzTokens tokens;
  return SplitFieldWith(value, offset, out, cap, tokens);
}

bool Terminated(const char* text) { return std::memchr(text, '\0', kTextSize) != nullptr; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Longer than the profile function gives, to reach the byte limit too.
  std::string value(reinterpret_cast<const char*>(data), size < 2000 ? size : 2000);
  RegistryLine line;
  ParseRegistryLine(value.c_str(), FuzzSplit, line);
  if (!Terminated(line.KeyPath) || !Terminated(line.ValueName) || !Terminated(line.Text))
    __builtin_trap();
  if (line.ByteCount > kRegistryBytes) __builtin_trap();
  uint32_t bytes = 0;
  const char* start = static_cast<const char*>(RegistryData(line, &bytes));
  const char* base = reinterpret_cast<const char*>(&line);
  if (line.Kind == RegistryKind::Key ? start != nullptr || bytes != 0
                                     : start < base || start + bytes > base + sizeof line)
    __builtin_trap();
  if (line.Kind == RegistryKind::Dword && line.ByteCount > 1) __builtin_trap();
  if (line.Kind == RegistryKind::Binary && line.ByteCount < 2) __builtin_trap();
  return 0;
}
