// What the driver step decides: the fields of an "Update Driver" line, the
// way to try first on each platform, what follows its outcome, and the
// command line registered for the preload program. Portable: no Windows
// header; the Win32 layer carries the decisions out.
#pragma once
#include <cstddef>

#include "common/core/Text.h"

// One "Update Driver" line, fields 1 to 10 (field 6 is read and unused).
struct DriverLine {
  char DeviceClass[kTextSize];
  char InfName[kTextSize];
  char DeviceArg3[kTextSize];
  char DeviceArg4[kTextSize];
  char DeviceArg5[kTextSize];
  char Unused6[kTextSize];
  char LegacyInf[kTextSize];
  char ForceText[kTextSize];
  char HardwareId[kTextSize];
  char InfFolder[kTextSize];
  int Force;  // 1 for "1" or "TRUE" in any case, else 0
};

void ParseDriverLine(const char* line, DriverLine& out);
int ForceFromText(const char* text);

// The platform as the driver step sees it.
struct DriverPlatform {
  int IsWinME;
  int IsWin2000OrLater;
  int Preload;
};

enum class FirstWay {
  Newdev,         // UpdateDriverForPlugAndPlayDevicesA (Windows ME)
  DriverLibrary,  // InstallPnPDeviceDriver of the device support library
  None,           // skipped: the result stays 0
};

enum class Fallback {
  EndLine,              // a non-zero first result ends the line
  PreloadRegistration,  // ME or 2000 and later, preload mode
  OemInfCopy,           // ME or 2000 and later
  LegacyCopy,           // 95, 98, NT 4
};

enum class AfterOemCopy {
  Reenumerate,        // class "Unknown"
  InstallWithOemInf,  // 2000 and later: install from the name Windows gave the copy
  Nothing,            // Windows ME
};

FirstWay ChooseFirstWay(const DriverPlatform& platform, const char* deviceClass);
Fallback ChooseFallback(const DriverPlatform& platform, int firstResult);
AfterOemCopy ChooseAfterOemCopy(const DriverPlatform& platform, const char* deviceClass);
// Only a positive install result is followed by the 3000 ms pause.
int PausesAfter(int result);
int IsUnknownClass(const char* deviceClass);

constexpr unsigned kPauseAfterInstallMs = 3000;
constexpr unsigned kDeviceWaitTries = 30;
constexpr unsigned kDeviceWaitPauseMs = 1000;
constexpr const char* kPreloadRunValue = "Keyboard Preload Check";

// "<folder>\Preload.exe" /DEVID:<id> /CLASS:<class> /RunValue:"Keyboard Preload Check"
// Returns 1 when the whole command fitted into out.
int BuildPreloadCommand(const char* sourceFolder, const char* hardwareId, const char* deviceClass,
                        char* out, std::size_t cap);
