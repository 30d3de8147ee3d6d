// What Setup.exe needs of a C runtime, so that it depends on no runtime DLL
// (Windows 95 as shipped has no msvcrt.dll): the entry point and the memory
// and string routines that the code and the compiler call. Linked into
// Setup.exe only; the test programs keep their own runtime.
#include <windows.h>

#include <cstddef>

#include "startup/core/CommandLine.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

extern "C" {

void* memcpy(void* dst, const void* src, std::size_t n) {
  auto* d = static_cast<unsigned char*>(dst);
  const auto* s = static_cast<const unsigned char*>(src);
  while (n--) *d++ = *s++;
  return dst;
}

void* memmove(void* dst, const void* src, std::size_t n) {
  auto* d = static_cast<unsigned char*>(dst);
  const auto* s = static_cast<const unsigned char*>(src);
  if (d < s) {
    while (n--) *d++ = *s++;
  } else {
    while (n--) d[n] = s[n];
  }
  return dst;
}

void* memset(void* dst, int value, std::size_t n) {
  auto* d = static_cast<unsigned char*>(dst);
  while (n--) *d++ = static_cast<unsigned char>(value);
  return dst;
}

int memcmp(const void* a, const void* b, std::size_t n) {
  const auto* x = static_cast<const unsigned char*>(a);
  const auto* y = static_cast<const unsigned char*>(b);
  for (; n; --n, ++x, ++y)
    if (*x != *y) return *x < *y ? -1 : 1;
  return 0;
}

void* memchr(const void* s, int c, std::size_t n) {
  const auto* p = static_cast<const unsigned char*>(s);
  for (; n; --n, ++p)
    if (*p == static_cast<unsigned char>(c)) return const_cast<unsigned char*>(p);
  return nullptr;
}

std::size_t strlen(const char* s) {
  const char* p = s;
  while (*p) ++p;
  return static_cast<std::size_t>(p - s);
}

int strcmp(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b);
}

char* strchr(const char* s, int c) {
  for (;; ++s) {
    if (*s == static_cast<char>(c)) return const_cast<char*>(s);
    if (*s == '\0') return nullptr;
  }
}

char* strrchr(const char* s, int c) {
  const char* found = nullptr;
  for (;; ++s) {
    if (*s == static_cast<char>(c)) found = s;
    if (*s == '\0') return const_cast<char*>(found);
  }
}

// A call through an unfilled virtual slot: nothing sane is left to do.
void __cxa_pure_virtual() { ExitProcess(3); }

// The loader calls this with a stack aligned to 4 bytes only.
__attribute__((force_align_arg_pointer, noreturn)) void SetupEntry() {
  STARTUPINFOA startup;
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
  LPSTR arguments = const_cast<LPSTR>(SkipProgramName(GetCommandLineA()));
  ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, arguments, show)));
}

}  // extern "C"
