// What one "Add Registry" or "Add Registry Files" line asks for, decided
// without touching the registry: the Win32 side maps the root to its HKEY
// and writes what is parsed here. Portable: no Windows header.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/core/Text.h"
#include "engine/core/LineCursor.h"

enum class RegistryRoot { LocalMachine, CurrentUser, ClassesRoot, Users };

// Key: only create the key. Text: REG_SZ. Dword: REG_DWORD. Binary: REG_BINARY.
enum class RegistryKind { Key, Text, Dword, Binary };

constexpr std::size_t kRegistryBytes = 260;

struct RegistryLine {
  RegistryRoot Root;
  char KeyPath[kTextSize];
  char ValueName[kTextSize];  // empty: the key's default value
  RegistryKind Kind;
  char Text[kTextSize];
  uint32_t Dword;
  uint8_t Bytes[kRegistryBytes];
  std::size_t ByteCount;
};

// Leading hex digits of text as an unsigned 32-bit number, wrapping; 0
// when it starts with no hex digit.
uint32_t ParseHexNumber(const char* text);

// Cuts one "Add Registry" value into line. The root is "HKLM", "HKCU" or
// "HKCR" in any case; every other text means HKEY_USERS.
void ParseRegistryLine(const char* value, FieldSplitter split, RegistryLine& line);

// The bytes and their count that RegSetValueEx gets for line (the text with
// its NUL, the four bytes of the DWORD, the binary bytes); null for Key.
const void* RegistryData(const RegistryLine& line, uint32_t* size);

// Whether an "Add Registry Files" line with locale field localeField runs
// for the user's localeId: the same text in any case; an empty field never.
int RegistryFileRuns(const char* localeField, const char* localeId);

// "regedit /S " and the registry file's path in double quotes. Returns 0
// and leaves out empty when it does not fit.
int RegeditCommandLine(const char* path, char (&out)[kTextSize]);
