// File helpers the engine, the driver step and the cleanup share.
#pragma once
#include <windows.h>

// Sets the file's attributes to normal, then deletes it.
void DeleteNormalFile(const char* path);

// Copies from over to, then gives to the attributes of from (not every
// system carries them with the copy). False when the copy failed.
bool CopyKeepingAttributes(const char* from, const char* to);

// Size and last write time of a file, as its folder lists them; false when
// it is not there.
bool ReadFileStamp(const char* path, ULARGE_INTEGER& size, FILETIME& written);
