// Starting other programs: the pre-run programs, the stage setups, the
// registry editor and the programs of the setup script.
#pragma once
#include <windows.h>

#include "common/Handles.h"

// Takes the current folder out of this process's DLL search, where the
// system allows it (SetDllDirectoryA: XP SP1 and later).
void KeepCurrentFolderOutOfDllSearch();

// Starts a program as the system would: the default error mode (Setup's own
// "no disk prompts" mode would hide a stage setup's "insert disk" box) and
// the default DLL search, which the DLL directory would otherwise carry into
// the child. application may be null; folder null means ours. show: the
// window's first show command, or -1 to leave it to the program.
BOOL StartProgram(const char* application, char* commandLine, const char* folder,
                  ProcessInfo& process, int show = -1);

// Starts a file through the shell (a program, or a document by its type)
// with the default verb, in folder, not waited for. The shell's start takes
// no flags, so Setup's own error mode is put aside around it. The DLL search
// stays hardened: the shell loads its handlers into this process meanwhile.
BOOL OpenWithShell(const char* file, const char* parameters, const char* folder, int show);
