// The fourteen languages Setup knows a license text for, and the rules that
// match a locale against them. Portable: no Windows header.
#pragma once
#include <cstdint>

struct LanguageRow {
  uint32_t LocaleNumber;
  const char* LocaleText;  // as the registry stores a locale: 8 hex digits
  const char* LicenseFile;
};

constexpr int kLanguageRows = 14;
extern const LanguageRow kLanguageTable[kLanguageRows];

constexpr uint32_t kFallbackLocale = 1033;
constexpr const char* kFallbackLocaleText = "00000409";

// Decides the thread locale. trySet(locale) sets it and answers whether
// that worked. Returns the locale that should now be in force.
uint32_t ChooseThreadLocale(uint32_t current, int (*trySet)(uint32_t locale, void* ctx), void* ctx);

// Row index (0-based) whose license file serves localeText, or -1: first a
// whole-text match ignoring case, then the first row with the same two last
// characters (the locale's low byte), compared case-sensitively.
int MatchLicenseRow(const char* localeText);
