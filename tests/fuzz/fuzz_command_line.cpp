// The command line comes from whoever starts Setup.
#include <cstdint>
#include <cstring>
#include <string>

#include "startup/core/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  CommandTokens tokens;
  CutCommandLine(text.c_str(), tokens);
  for (const auto& slot : tokens.Slot)
    if (std::memchr(slot, '\0', sizeof slot) == nullptr) __builtin_trap();
  SettingsRecord s;
  ResetSettings(s);
  ApplyCommandLine(SkipProgramName(text.c_str()), size & 1, s);
  return 0;
}
