#include "ListToken.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

const char* NextListToken(const char* cursor, char* out, std::size_t cap, char separator,
                          int* start) {
  std::size_t used = 0;
  bool copied = false;
  bool quoted = false;
  int first = -1;
  const char* p = cursor;
  for (; *p != '\0'; ++p) {
    if (first < 0) first = 0;
    const char c = *p;
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && c == separator) {
      ++p;
      break;
    }
    if (!quoted && !copied && IsBlank(c)) continue;
    if (!copied) {
      first = static_cast<int>(p - cursor);
      copied = true;
    }
    if (out != nullptr && used + 1 < cap) out[used++] = c;
  }
  if (out != nullptr && cap > 0) out[used] = '\0';
  if (start != nullptr) *start = first;
  return p;
}

void GetListField(const char* line, int n, char* out, std::size_t cap, char separator) {
  if (cap == 0) return;
  out[0] = '\0';
  const char* cursor = line;
  for (int i = 0; i < n; ++i) cursor = NextListToken(cursor, out, cap, separator);
}
