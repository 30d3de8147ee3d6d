// The copy step: the source files straight from the program's folder, or
// out of the cabinet through a temporary folder below the Windows folder.
#pragma once
#include <windows.h>

// The copy step, through the cabinet when the script names one. False when
// the cabinet could not be extracted, a file could not be installed
// (InstallResult says which) or the user cancelled.
bool CopyStep(HWND page);

// Extracts the cabinet files that the table names into TempDir.
bool ExtractCabinet(const char* cabinetPath);

// The notification routine of SetupIterateCabinetA.
UINT CALLBACK CabinetCallback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2);

// Stamps the file with a cabinet date taken as local time; clears its
// attributes in every case.
void SetFileTimeFromDos(WORD dosDate, WORD dosTime, const char* path);

// Creates the first free "_QuessorTempDir<n>" below the Windows folder into
// TempDir. False when a folder cannot be made for another reason than an
// existing name.
bool CreateTempDir();

// The same below another folder.
bool CreateTempDirIn(const char* parent);
