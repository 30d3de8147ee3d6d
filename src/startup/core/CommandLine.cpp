#include "CommandLine.h"

#include <cstring>

void CutCommandLine(const char* commandLine, CommandTokens& tokens) {
  std::memset(&tokens, 0, sizeof tokens);
  if (commandLine == nullptr) return;
  int slot = -1;
  int pos = 0;
  for (const char* p = commandLine; *p != '\0'; ++p) {
    if (*p == '/') {
      ++slot;
      pos = 0;
    } else if (*p == ' ') {
      // Dropped anywhere, so "/TYPE: PS2" still reads TYPE:PS2.
    } else if (slot >= 0 && slot < kTokenSlots && pos < kTokenSize - 1) {
      tokens.Slot[slot][pos++] = *p;
    }
  }
}

const char* SkipProgramName(const char* commandLine) {
  const char* p = commandLine;
  if (p == nullptr) return nullptr;
  if (*p == '"') {
    for (++p; *p != '\0' && *p != '"'; ++p) {
    }
    if (*p == '"') ++p;
  } else {
    while (*p != '\0' && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

void ChooseInterface(int type, int isNT, SettingsRecord& s) {
  const int ps2NT = type == kInterfacePS2 && isNT;
  s.InterfaceType = type;
  s.CallConfigMg = ps2NT ? 0 : 1;
  s.Restart = ps2NT ? 1 : 0;
}

namespace {

void ApplyOne(const char* token, int isNT, SettingsRecord& s) {
  const int hidden = EqualsNoCase(token, "H");
  if (hidden || EqualsNoCase(token, "S")) {
    // The interface page will not be shown: take its preselected choice, as
    // a user clicking Next would, rather than the restart left from before
    // anything was chosen.
    if (s.AskType) ChooseInterface(s.InterfaceType, isNT, s);
    if (hidden) s.HiddenMode = 1;
    s.SilentMode = 1;
    s.AskType = 0;
    s.AskPath = 0;
    s.AskProgramFolder = 0;
  } else if (EqualsNoCase(token, "V")) {
    s.SwitchV = 1;
  } else if (EqualsNoCase(token, "QN")) {
    s.SwitchQN = 1;
    s.HiddenMode = 1;
  } else if (EqualsNoCase(token, "NR")) {
    s.NoRestart = 1;
  } else if (EqualsNoCase(token, "TYPE:PS2") || EqualsNoCase(token, "TYPE:USB")) {
    ChooseInterface(token[5] == 'P' || token[5] == 'p' ? kInterfacePS2 : kInterfaceUSB, isNT, s);
    s.AskType = 0;
  } else if (EqualsNoCase(token, "PRELOAD") || EqualsNoCase(token, "P")) {
    s.Preload = 1;
  }
}

}  // namespace

void ApplySwitches(const CommandTokens& tokens, int isNT, SettingsRecord& s) {
  for (int i = 0; i < kTokenSlots; ++i) {
    if (tokens.Slot[i][0] == '\0') break;  // "//" ends the switches
    ApplyOne(tokens.Slot[i], isNT, s);
  }
}

void ApplyCommandLine(const char* commandLine, int isNT, SettingsRecord& s) {
  if (commandLine == nullptr || *commandLine == '\0') return;
  CommandTokens tokens;
  CutCommandLine(commandLine, tokens);
  ApplySwitches(tokens, isNT, s);
}
