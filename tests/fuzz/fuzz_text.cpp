// Texts from outside (the command line, setup-script lines with "Strings" values spliced in,
// FileVersion texts): every field and the value write's data stay inside their buffers, every
// cursor inside the line. Input: the text, a NUL, the Strings value.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "driver/core/DriverRules.h"
#include "driver/core/ListToken.h"
#include "engine/core/ProgramLine.h"
#include "engine/core/RegistryLine.h"
#include "engine/core/VersionRules.h"
#include "startup/core/CommandLine.h"
#include "startup/core/ListFields.h"

namespace {

std::string strings;

void Check(bool rule) { if (!rule) __builtin_trap(); }

bool Ended(const char* buffer, size_t cap) { return std::memchr(buffer, '\0', cap) != nullptr; }

struct Tokens : PathTokenSource {
  void SystemDirectory(char* out, size_t cap) override { CopyText(out, cap, "C:\\W\\SYSTEM"); }
  void WindowsDirectory(char* out, size_t cap) override { CopyText(out, cap, "C:\\W"); }
  void InstallDir(char* out, size_t cap) override { CopyText(out, cap, "C:\\Kq"); }
  void ModuleDir(char* out, size_t cap) override { CopyText(out, cap, "D:"); }
  void StringsValue(const char*, char* out, size_t cap) override {
    CopyText(out, cap, strings.c_str());
  }
} tokens;

size_t Split(const char* value, size_t at, char* out, size_t cap) {
  size_t end = SplitFieldWith(value, at, out, cap, tokens);
  Check(Ended(out, cap) && end <= std::strlen(value));
  return end;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  // Longer than the profile function gives, to reach the byte limit too.
  std::string value = input.substr(0, std::min(input.find('\0'), size_t{2000}));
  strings = input.substr(std::min(value.size() + 1, size)).c_str();

  CommandTokens tokens;
  CutCommandLine(value.c_str(), tokens);
  for (const auto& slot : tokens.Slot) Check(Ended(slot, sizeof slot));
  SettingsRecord s;
  ResetSettings(s);
  ApplyCommandLine(SkipProgramName(value.c_str()), size & 1, s);

  // Blanks are left out, so a text and its blank-free form pack alike.
  std::string squeezed = value;
  squeezed.erase(std::remove(squeezed.begin(), squeezed.end(), ' '), squeezed.end());
  FileVersionPair v = PackVersionText(value.c_str()), w = PackVersionText(squeezed.c_str());
  Check(v.MS == w.MS && v.LS == w.LS);

  RegistryLine line;
  ParseRegistryLine(value.c_str(), Split, line);
  uint32_t bytes = 0;
  auto start = static_cast<const char*>(RegistryData(line, &bytes));
  auto base = reinterpret_cast<const char*>(&line);
  Check(line.ByteCount <= kRegistryBytes &&
        (!start || (start >= base && start + bytes <= base + sizeof line)));
  RunLine run;
  ParseRunLine("Setup.exe", value.c_str(), Split, run);
  // "Update Driver" lines have their own field syntax, no tokens.
  DriverLine driver;
  ParseDriverLine(value.substr(0, 259).c_str(), driver);
  char small[7];
  for (const char *cursor = value.c_str(), *next;; cursor = next) {
    next = NextListToken(cursor, small, sizeof small, ',');
    Check(Ended(small, sizeof small) && next >= cursor && next <= value.c_str() + value.size());
    if (next == cursor) return 0;
  }
}
