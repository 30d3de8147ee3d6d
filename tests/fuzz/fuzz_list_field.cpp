// "Update Driver" lines come from the vendor's setup script: every field
// must stay inside its buffer and the cursor inside the line.
#include <cstdint>
#include <cstring>
#include <string>

#include "driver/core/DriverRules.h"
#include "driver/core/ListToken.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  line = line.substr(0, 259).c_str();  // the profile function's limit, NUL-free
  DriverLine parsed;
  ParseDriverLine(line.c_str(), parsed);
  if (parsed.Force != 0 && parsed.Force != 1) __builtin_trap();

  const char* end = line.c_str() + line.size();
  const char* cursor = line.c_str();
  char small[7];
  for (int i = 0; i < 300; ++i) {
    int start = -2;
    const char* next = NextListToken(cursor, small, sizeof small, ',', &start);
    if (std::memchr(small, '\0', sizeof small) == nullptr) __builtin_trap();
    if (next < cursor || next > end) __builtin_trap();
    if (start < -1 || (start >= 0 && cursor + start > end)) __builtin_trap();
    if (next == cursor) break;
    cursor = next;
  }
  return 0;
}
