// The single-stage installation: the wizard and the install worker.
#pragma once
#include <windows.h>

#include <cstdint>

// Runs the wizard owned by owner, to its end; returns the run's exit code
// (kExitInstalled, kExitCancelled, ... of wizard/core/WizardPages.h).
int32_t RunWizard(HWND owner);
