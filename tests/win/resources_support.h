// Shared by the resource tests: Setup.exe loaded as a data file, the
// seventeen languages and a reader for the string table.
#pragma once
#include <windows.h>

#include <string>

#include "../../res/resource.h"
#include "TestSupport.h"

namespace res_test {

struct Language {
  LANGID id;
  const char* name;             // as its script under res/lang is named
  const char16_t *back, *next;  // what the wizard's Back and Next are called in it
};
constexpr Language kLanguages[] = {
    {1029, "cs-CZ", u"Zpět", u"Další"},
    {1030, "da-DK", u"Tilbage", u"Næste"},
    {1031, "de-DE", u"Zurück", u"Weiter"},
    {1033, "en-US", u"Back", u"Next"},
    {1034, "es-ES_tradnl", u"Atrás", u"Siguiente"},
    {1035, "fi-FI", u"Edellinen", u"Seuraava"},
    {1036, "fr-FR", u"Précédent", u"Suivant"},
    {1040, "it-IT", u"Indietro", u"Avanti"},
    {1043, "nl-NL", u"Vorige", u"Volgende"},
    {1044, "nb-NO", u"Tilbake", u"Neste"},
    {1046, "pt-BR", u"Voltar", u"Avançar"},
    {1051, "sk-SK", u"Späť", u"Ďalej"},
    {1053, "sv-SE", u"Föregående", u"Nästa"},
    {1055, "tr-TR", u"Geri", u"İleri"},
    {1060, "sl-SI", u"Nazaj", u"Naprej"},
    {2058, "es-MX", u"Atrás", u"Siguiente"},
    {3082, "es-ES", u"Atrás", u"Siguiente"},
};

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

// A string of the table in one language, "" when it has none: read from its
// block of sixteen counted strings.
inline std::u16string TableString(UINT id, LANGID lang) {
  const BYTE* data = nullptr;
  DWORD size = 0;
  if (!ResourceBytes(SetupData(), RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), lang, &data, &size))
    return u"";
  auto* p = reinterpret_cast<const char16_t*>(data);
  for (UINT i = 0; i < id % 16; ++i) p += 1 + *p;
  return std::u16string(p + 1, *p);
}

inline std::string Narrow(const std::u16string& s) {
  char buf[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(s.c_str()), -1, buf, sizeof buf - 1,
                      nullptr, nullptr);
  return buf;
}

}  // namespace res_test
