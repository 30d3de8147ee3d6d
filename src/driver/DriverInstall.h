// The driver step: installs the drivers of the setup script's "Update
// Driver" section by the means of the running Windows. Runs on the install
// worker thread; shows nothing and reports nothing.
#pragma once
#include "common/core/Text.h"

// The folder from which the fallback ways take the driver files and where
// Preload.exe is expected: ModuleDir on a fixed disk, else the product
// folder that the source tree was copied to.
extern char DriverSourceFolder[kTextSize];

// The whole step for the setup script at scriptPath.
void UpdateDrivers();

// InstallPnPDeviceDriver of the device support library, unless
// GetConnectedDeviceNumber then answers 0. 0 when the library is missing.
int InstallWithDriverLibrary(const char* deviceClass, const char* infPath, const char* arg5,
                             const char* arg3, const char* arg4, int force, int callConfigMg);

// Sets DriverSourceFolder; from a drive that is not a fixed disk, first
// creates the product folder and copies the source tree into it (without
// one, the media's folder stays the source). 0 when no usable folder could
// be named.
int EstablishDriverSourceFolder();

// Every pause of the step goes through here (Sleep unless a test
// replaces it to count pauses instead of waiting them out).
using DriverPauseFn = void (*)(unsigned ms);
extern DriverPauseFn DriverPause;
// The longest pause the default DriverPause sleeps: no limit, unless a test
// lowers it to see real sleeps without waiting seconds.
extern unsigned DriverPauseLimitMs;
