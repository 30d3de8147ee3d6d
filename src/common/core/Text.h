// Bounded text helpers. Every copy into a fixed buffer goes through these,
// so no caller can write past its buffer. Portable: no Windows header.
#pragma once
#include <cstddef>

// Size of every path and text buffer in the program (the Windows path limit).
constexpr std::size_t kTextSize = 260;

// Copies src into dst (capacity cap bytes, NUL included). Returns 1 when all
// of src fitted, 0 when it was cut. dst is always NUL-terminated when cap > 0.
int CopyText(char* dst, std::size_t cap, const char* src);

// Like CopyText, but copies at most n characters of src.
int CopyTextN(char* dst, std::size_t cap, const char* src, std::size_t n);

// Appends src to the text already in dst. Returns 1 when all of it fitted.
int AppendText(char* dst, std::size_t cap, const char* src);

template <std::size_t N>
int CopyText(char (&dst)[N], const char* src) { return CopyText(dst, N, src); }
template <std::size_t N>
int AppendText(char (&dst)[N], const char* src) { return AppendText(dst, N, src); }

// Length of s, but never reading more than cap bytes.
std::size_t BoundedLength(const char* s, std::size_t cap);

// Appends value in decimal (digits at least: zero-padded) or in lower-case
// hexadecimal. Returns 1 when all of it fitted, as AppendText.
int AppendDecimal(char* dst, std::size_t cap, unsigned long value, unsigned digits = 1);
int AppendHex(char* dst, std::size_t cap, unsigned long value, unsigned digits = 1);
template <std::size_t N>
int AppendDecimal(char (&dst)[N], unsigned long value, unsigned digits = 1) {
  return AppendDecimal(dst, N, value, digits);
}

// ASCII case-insensitive whole-text comparison (what lstrcmpiA gives for
// the plain texts we compare: switch names, TRUE/FALSE, token names).
int EqualsNoCase(const char* a, const char* b);
