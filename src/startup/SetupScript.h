#pragma once
#include <windows.h>

#include <cstddef>

// 1 when a directory search for path finds a file or a folder.
int FileExists(const char* path);

// The program's folder with its trailing backslash, written into buffer.
char* ModuleFolder(char* buffer, std::size_t size);

// Chooses the setup script for this Windows, reads section "Setup" into
// the Settings record. 0 when no script exists (nothing is changed then).
int LoadSetupScript();

// Reads one value of the setup script (ScriptPath) into out.
void ReadScriptValue(const char* section, const char* key, const char* def, char* out,
                     std::size_t cap);
