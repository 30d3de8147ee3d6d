#include "Text.h"

static char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

std::size_t BoundedLength(const char* s, std::size_t cap) {
  std::size_t n = 0;
  while (n < cap && s[n] != '\0') ++n;
  return n;
}

int CopyTextN(char* dst, std::size_t cap, const char* src, std::size_t n) {
  if (cap == 0) return 0;
  std::size_t i = 0;
  while (i < n && src[i] != '\0' && i + 1 < cap) {
    dst[i] = src[i];
    ++i;
  }
  dst[i] = '\0';
  return (i == n || src[i] == '\0') ? 1 : 0;
}

int CopyText(char* dst, std::size_t cap, const char* src) {
  return CopyTextN(dst, cap, src, static_cast<std::size_t>(-1));
}

int AppendText(char* dst, std::size_t cap, const char* src) {
  std::size_t used = BoundedLength(dst, cap);
  if (used >= cap) {  // not terminated: repair rather than run off the end
    if (cap) dst[cap - 1] = '\0';
    return 0;
  }
  return CopyText(dst + used, cap - used, src);
}

int EqualsNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    if (LowerAscii(*a) != LowerAscii(*b)) return 0;
    if (*a == '\0') return 1;
  }
}

static int AppendNumber(char* dst, std::size_t cap, unsigned long value, unsigned base,
                        unsigned digits) {
  char text[sizeof(unsigned long) * 8 + 1];
  std::size_t n = sizeof text - 1;
  text[n] = '\0';
  do {
    text[--n] = "0123456789abcdef"[value % base];
    value /= base;
  } while ((value != 0 || sizeof text - 1 - n < digits) && n > 0);
  return AppendText(dst, cap, text + n);
}

int AppendDecimal(char* dst, std::size_t cap, unsigned long value, unsigned digits) {
  return AppendNumber(dst, cap, value, 10, digits);
}

int AppendHex(char* dst, std::size_t cap, unsigned long value, unsigned digits) {
  return AppendNumber(dst, cap, value, 16, digits);
}
