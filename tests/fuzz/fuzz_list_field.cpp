// "Update Driver" lines come from the vendor's setup script: every field
// stays inside its buffer and the cursor inside the line.
#include <cstdint>
#include <cstring>
#include <string>

#include "driver/core/DriverRules.h"
#include "driver/core/ListToken.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // At most what the profile function gives, and NUL-free.
  std::string line = std::string(reinterpret_cast<const char*>(data), size).substr(0, 259).c_str();
  DriverLine parsed;
  ParseDriverLine(line.c_str(), parsed);
  if (parsed.Force != 0 && parsed.Force != 1) __builtin_trap();
  char small[7];
  for (const char *cursor = line.c_str(), *next;; cursor = next) {
    int start = -2;
    next = NextListToken(cursor, small, sizeof small, ',', &start);
    if (!std::memchr(small, '\0', sizeof small) || next < cursor ||
        next > line.c_str() + line.size() || start < -1 || cursor + start > next)
      __builtin_trap();
    if (next == cursor) return 0;
  }
}
