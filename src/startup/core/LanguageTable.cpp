#include "LanguageTable.h"

#include <cstring>

#include "common/core/Text.h"

const LanguageRow kLanguageTable[kLanguageRows] = {
    {1028, "00000404", "LICENTCH.TXT"}, {2052, "00000804", "LICENSCH.TXT"},
    {1030, "00000406", "LICENDAN.TXT"}, {1043, "00000413", "LICENDUT.TXT"},
    {1033, "00000409", "LICENENG.TXT"}, {1035, "0000040B", "LICENFIN.TXT"},
    {1036, "0000040C", "LICENFRE.TXT"}, {1031, "00000407", "LICENGER.TXT"},
    {1040, "00000410", "LICENITA.TXT"}, {1041, "00000411", "LICENJP.TXT"},
    {1044, "00000414", "LICENNOR.TXT"}, {1046, "00000416", "LICENBRA.TXT"},
    {2058, "0000080A", "LICENSPA.TXT"}, {1053, "0000041D", "LICENSWE.TXT"},
};

uint32_t ChooseThreadLocale(uint32_t current, int (*trySet)(uint32_t, void*), void* ctx) {
  for (const LanguageRow& row : kLanguageTable)
    if (row.LocaleNumber == current) return current;
  for (const LanguageRow& row : kLanguageTable) {
    if ((row.LocaleNumber & 0xFF) == (current & 0xFF)) {
      if (trySet(row.LocaleNumber, ctx)) return row.LocaleNumber;
      break;  // only the first row of the language is tried
    }
  }
  trySet(kFallbackLocale, ctx);  // a failure here is ignored
  return kFallbackLocale;
}

int MatchLicenseRow(const char* localeText) {
  for (int i = 0; i < kLanguageRows; ++i)
    if (EqualsNoCase(kLanguageTable[i].LocaleText, localeText)) return i;
  // Second pass: the seventh and eighth characters, case-sensitively.
  if (BoundedLength(localeText, 8) < 8) return -1;
  for (int i = 0; i < kLanguageRows; ++i) {
    const char* t = kLanguageTable[i].LocaleText;
    if (t[6] == localeText[6] && t[7] == localeText[7]) return i;
  }
  return -1;
}
