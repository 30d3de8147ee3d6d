// The worker's registry steps: the values of "Add Registry" and the
// registry files of "Add Registry Files", imported by the system's editor.
#pragma once
#include "common/core/Text.h"

// The user's locale as the registry stores it, "00000409" until read.
extern char LocaleId[kTextSize];

// Refreshes LocaleId ("00000409" when the registry does not say).
void ReadLocaleId();

// Writes every line of "Add Registry" and records it for the uninstaller.
void AddRegistry();

// Starts the registry editor, hidden and not waited for, on every file of
// "Add Registry Files" that is meant for the user's locale.
void AddRegistryFiles();
