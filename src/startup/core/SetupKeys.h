// Choosing the setup script and reading its section "Setup" into the
// Settings record. The profile reads come through an interface so that the
// rules can be tested without Windows. Portable: no Windows header.
#pragma once
#include <cstddef>

#include "Settings.h"

// Whole-text, case-insensitive flag words.
int IsTrueText(const char* value);
int IsFalseText(const char* value);

// The script file name for the platform flags in s, or nullptr when none of
// the candidates exists. exists(name) tells whether ModuleDir\name exists.
const char* ChooseScriptName(const SettingsRecord& s, int (*exists)(const char* name, void* ctx),
                             void* ctx);

class SetupSectionSource {
 public:
  // Reads key of section "Setup" into out (cap bytes), def when absent.
  virtual void ReadKey(const char* key, const char* def, char* out, std::size_t cap) = 0;
  // Picks and measures the license text (LicenseFile holds the folder).
  virtual void ChooseLicense(SettingsRecord& s) = 0;

 protected:
  // Never deleted through this type: no deleting destructor to link.
  ~SetupSectionSource() = default;
};

// Reads every key in order and applies the interface rules and Restart.
void ReadSetupSection(SettingsRecord& s, SetupSectionSource& source);

// The interface rules alone: AskType, InterfaceType, CallConfigMg, Restart
// from AskType, USBType, PS2Type and the two keys they may consult.
void ApplyInterfaceRules(SettingsRecord& s, SetupSectionSource& source);
