#include "PageText.h"

#include "common/core/Text.h"

int FormatWithName(char* out, std::size_t cap, const char* pattern, const char* name) {
  if (cap == 0) return 0;
  out[0] = '\0';
  int fitted = 1;
  const char* p = pattern;
  while (*p != '\0') {
    const char* piece = p;
    std::size_t length = 1;
    if (p[0] == '%' && p[1] == 's') {
      fitted &= AppendText(out, cap, name);
      p += 2;
      continue;
    }
    if (p[0] == '%' && p[1] == '%') length = 1, p += 1;  // the second "%" is dropped
    std::size_t used = BoundedLength(out, cap);
    fitted &= CopyTextN(out + used, cap - used, piece, length);
    p += 1;
  }
  return fitted;
}
