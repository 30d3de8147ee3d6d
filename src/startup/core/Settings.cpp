#include "Settings.h"

#include <cstring>

SettingsRecord Settings = [] {
  SettingsRecord s;
  ResetSettings(s);
  return s;
}();

void ResetSettings(SettingsRecord& s) {
  std::memset(&s, 0, sizeof s);
  s.AskType = 1;
  s.USBType = 1;
  s.PS2Type = 1;
  s.InterfaceType = kInterfaceUSB;
  s.Restart = 1;
}
