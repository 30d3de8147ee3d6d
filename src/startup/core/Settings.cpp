#include "Settings.h"

namespace {

// A constant expression, so Settings is filled by the loader: nothing runs
// dynamic initialisers in a program without a C runtime.
constexpr SettingsRecord InitialSettings() {
  SettingsRecord s{};
  s.AskType = 1;
  s.USBType = 1;
  s.PS2Type = 1;
  s.InterfaceType = kInterfaceUSB;
  s.Restart = 1;
  return s;
}

}  // namespace

SettingsRecord Settings = InitialSettings();

void ResetSettings(SettingsRecord& s) { s = InitialSettings(); }
