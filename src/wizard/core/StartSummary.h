// The configuration summary of the Start page. Portable: no Windows header.
#pragma once
#include <cstddef>

#include "startup/core/Settings.h"

// The texts of the string table in the user's language.
struct SummaryLabels {
  const char* Product;
  const char* Version;
  const char* Interface;
  const char* InstallDir;
  const char* ProgramFolder;
  const char* UsbName;  // shown when InterfaceType is USB
  const char* Ps2Name;  // shown when InterfaceType is PS/2
};

// Writes the summary (each label, ":", then its value on the next line
// indented by ten spaces, entries one empty line apart; the directory only
// with AskPath, the program folder only with AskProgramFolder) into out,
// cut to fit cap bytes and always terminated when cap > 0. Returns the
// length of the whole summary, so a caller can size a buffer first by
// passing no buffer (cap 0).
std::size_t ComposeStartSummary(const SettingsRecord& s, const char* programFolder,
                                const SummaryLabels& labels, char* out, std::size_t cap);
