// Version and date of the files the copy compares.
#pragma once
#include "engine/core/VersionRules.h"

// The file-version words of the fixed version information.
bool GetFixedFileVersion(const char* path, FileVersionPair& version);

// The FileVersion text of the first translation, packed.
bool GetStringFileVersion(const char* path, FileVersionPair& version);

// 0 source newer, 1 older, 2 the same, 3 nothing to compare.
int CompareFileVersions(const char* source, const char* dest);

// True only when the source was last written strictly later.
bool IsSourceNewerByTime(const char* source, const char* dest);
