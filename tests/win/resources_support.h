// Shared by the resource tests: Setup.exe loaded as a data file, the
// seventeen languages, and a reader for the string table.
#pragma once
#include <windows.h>

#include <string>

#include "../../res/resource.h"
#include "TestSupport.h"

namespace res_test {

struct Language {
  LANGID id;
  const char* name;
  UINT codePage;
  bool hasLicense;  // dialog 114
};

constexpr Language kLanguages[] = {
    {1029, "Czech", 1250, true},          {1030, "Danish", 1252, false},
    {1031, "German", 1252, true},         {1033, "English", 1252, true},
    {1034, "Spanish-trad", 1252, true},   {1035, "Finnish", 1252, false},
    {1036, "French", 1252, true},         {1040, "Italian", 1252, true},
    {1043, "Dutch", 1252, false},         {1044, "Norwegian", 1252, false},
    {1046, "Portuguese-BR", 1252, true},  {1051, "Slovak", 1250, true},
    {1053, "Swedish", 1252, false},       {1055, "Turkish", 1254, true},
    {1060, "Slovenian", 1250, true},      {2058, "Spanish-MX", 1252, true},
    {3082, "Spanish-modern", 1252, true},
};
constexpr LANGID kEnglish = 1033;

constexpr WORD kDialogs[] = {IDD_WELCOME,        IDD_LICENSE,       IDD_INTERFACE,
                             IDD_DESTINATION,    IDD_CHOOSE_FOLDER, IDD_CONFIRM_NEW_FOLDER,
                             IDD_PROGRAM_FOLDER, IDD_START,         IDD_PROGRESS,
                             IDD_RESULT,         IDD_EXIT_SETUP};

// Setup.exe as a data file: its resources, none of its code.
inline HMODULE SetupData() {
  static HMODULE module = LoadLibraryExA((testing_support::BinDir() + "\\Setup.exe").c_str(),
                                         nullptr, LOAD_LIBRARY_AS_DATAFILE);
  return module;
}

inline bool ResourceBytes(HMODULE module, LPCSTR type, LPCSTR name, LANGID lang, const BYTE** data,
                          DWORD* size) {
  HRSRC found = FindResourceExA(module, type, name, lang);
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(module, found);
  *data = static_cast<const BYTE*>(LockResource(loaded));
  *size = SizeofResource(module, found);
  return *data != nullptr;
}

// A string of the table in one language, read from its block of sixteen.
// present is false when the identifier has no string in that language.
inline std::u16string TableString(UINT id, LANGID lang, bool* present) {
  *present = false;
  const BYTE* data = nullptr;
  DWORD size = 0;
  if (!ResourceBytes(SetupData(), RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), lang, &data, &size))
    return {};
  const BYTE* end = data + size;
  const BYTE* p = data;
  for (UINT i = 0; i < 16 && p + 2 <= end; ++i) {
    WORD length = static_cast<WORD>(p[0] | (p[1] << 8));
    p += 2;
    if (p + 2 * length > end) return {};
    if (i == id % 16) {
      *present = length > 0;
      return std::u16string(reinterpret_cast<const char16_t*>(p), length);
    }
    p += 2 * length;
  }
  return {};
}

inline std::string Narrow(const std::u16string& s) {
  char buf[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(s.c_str()), -1, buf, sizeof buf - 1,
                      nullptr, nullptr);
  return buf;
}

// Restores the thread locale the test found.
class ScopedThreadLocale {
 public:
  explicit ScopedThreadLocale(LANGID lang) : old_(GetThreadLocale()) {
    ok_ = SetThreadLocale(MAKELCID(lang, SORT_DEFAULT)) != FALSE;
  }
  ~ScopedThreadLocale() { SetThreadLocale(old_); }
  bool ok() const { return ok_; }

 private:
  LCID old_;
  bool ok_;
};

}  // namespace res_test
