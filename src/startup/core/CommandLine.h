// Cutting the command line into '/'-separated tokens and applying the
// switches to the Settings record. Portable: no Windows header.
#pragma once
#include "Settings.h"

constexpr int kTokenSlots = 16;
constexpr int kTokenSize = 16;  // 15 characters and the NUL

struct CommandTokens {
  char Slot[kTokenSlots][kTokenSize];
};

// Clears all slots, then walks the text: '/' opens the next slot, blanks
// are dropped, anything else is stored. Text before the first '/', text
// past 15 characters of a token and tokens past the 16th are ignored.
void CutCommandLine(const char* commandLine, CommandTokens& tokens);

// The keyboard's interface and what it implies: PS/2 on NT needs a restart
// and no Configuration Manager call; USB, or PS/2 on 9x, the reverse. The
// switches and the interface page both choose through here.
void ChooseInterface(int type, int isNT, SettingsRecord& s);

// Applies the tokens in order up to the first empty slot. isNT decides
// what "TYPE:PS2" does to CallConfigMg and Restart.
void ApplySwitches(const CommandTokens& tokens, int isNT, SettingsRecord& s);

// The arguments of a whole process command line: past the program's name
// (quoted, or up to the first blank) and the blanks after it, as the C
// runtime's own start-up code cuts it.
const char* SkipProgramName(const char* commandLine);

// Both steps; an absent (null) command line applies nothing.
void ApplyCommandLine(const char* commandLine, int isNT, SettingsRecord& s);
