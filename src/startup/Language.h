#pragma once
#include <cstddef>

// NT family only: moves the thread locale onto a language of the table.
void SetThreadLanguage();

// Picks the license text of the user's locale in the folder that
// LicenseFile holds, appends its name and measures it into LicenseLength.
void ChooseLicenseFile();

// The user's locale as the registry stores it ("00000409" when unreadable):
// "Control Panel\International" Locale on NT, the default value of
// "Control Panel\Desktop\ResourceLocale" on 9x.
void ReadUserLocaleText(int isNT, char* out, std::size_t cap);
