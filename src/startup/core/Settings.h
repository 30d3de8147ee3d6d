// The one global record of setup-script values, command-line run modes and
// platform flags. Filled at start-up; see SetupKeys and CommandLine for who
// writes what. Portable: no Windows header.
#pragma once
#include <cstdint>
#include "common/core/Text.h"

struct SettingsRecord {
  // Paths and texts.
  char ModuleDir[kTextSize];
  char InstallDir[kTextSize];
  char TitleSuffix[kTextSize];
  char ScriptPath[kTextSize];
  char ProductName[kTextSize];
  char UninstallDisplayName[kTextSize];
  char SetupTitle[kTextSize];
  char Version[kTextSize];
  char DirName1[kTextSize];
  char DirName2[kTextSize];
  char SetupProgramName[kTextSize];
  char BkgLogo[kTextSize];
  char CabFileName[kTextSize];
  char UninstallKey[kTextSize];
  char LicenseFile[kTextSize];

  // Flags and numbers.
  void* Instance;  // the program's HINSTANCE
  int32_t AskType;
  int32_t USBType;
  int32_t PS2Type;
  int32_t InterfaceType;  // kInterfaceUSB or kInterfacePS2
  int32_t Restart;
  int32_t CallConfigMg;
  int32_t CabFile;
  int32_t AskPath;
  int32_t AskLicense;
  int32_t AskProgramFolder;
  int32_t LicenseLength;
  int32_t SilentMode;
  int32_t HiddenMode;
  int32_t NoRestart;
  int32_t SwitchV;
  int32_t SwitchQN;
  int32_t Preload;

  // Platform flags.
  int32_t IsWin9x;
  int32_t IsWin95;
  int32_t IsWin98OrLater;
  int32_t IsWinME;
  int32_t IsNT;
  int32_t IsWin2000OrLater;
  int32_t IsX64;
};

constexpr int32_t kInterfaceUSB = 1;
constexpr int32_t kInterfacePS2 = 2;

// Sets every field to its initial value (empty texts, 0, and the few 1s).
void ResetSettings(SettingsRecord& s);

extern SettingsRecord Settings;
