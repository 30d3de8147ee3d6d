#pragma once
#include <cstddef>

// Builds the command line of one pre-run line: "folder\program" arguments.
// Returns 0 (and leaves out empty) when it would not fit in cap bytes, or
// when folder is empty: "\program" would name one at the drive's root.
int BuildPreRunCommandLine(const char* folder, const char* program, const char* arguments,
                           char* out, std::size_t cap);

// Starts the programs of section "PreRun Programs" in order, waiting for
// those whose third field is "1".
void RunPreRunPrograms();
