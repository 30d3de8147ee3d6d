// The ways UpdateDrivers installs one "Update Driver" line.
#pragma once
#include "driver/core/DriverRules.h"

// Windows folder + tail into out; false when it does not fit.
bool WindowsPath(const char* tail, char* out, unsigned cap);

// First attempt on Windows ME: newdev's UpdateDriverForPlugAndPlayDevicesA.
int InstallWithNewdev(const DriverLine& line, const char* infPath);

// The fallbacks, taken when the first attempt gave 0.
void RegisterPreload(const DriverLine& line);
void CopyOemInf(const DriverLine& line, const DriverPlatform& platform);
void CopyLegacyInf(const DriverLine& line);
