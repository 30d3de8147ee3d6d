// FileVersion texts come from the version resources of files found on the
// user's disk: packing must read nothing past the text and never overflow.
#include <cstdint>
#include <string>

#include "engine/core/VersionRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  FileVersionPair v = PackVersionText(text.c_str());
  // Blanks are left out, so a text and its blank-free form pack alike.
  std::string squeezed;
  for (char c : text.substr(0, text.find('\0')))
    if (c != ' ') squeezed += c;
  FileVersionPair w = PackVersionText(squeezed.c_str());
  if (v.MS != w.MS || v.LS != w.LS) __builtin_trap();
  return 0;
}
