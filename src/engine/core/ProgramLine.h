// What one "Run Programs", "Kill Programs" or "PreRun Programs" line asks for,
// decided without starting or finding anything. Portable: no Windows header.
#pragma once
#include "common/core/Text.h"
#include "engine/core/LineCursor.h"

// How ShellExecuteA starts a "Run Programs" line's program.
struct RunLine {
  char File[kTextSize];        // folder + "\" + the key's program name
  char Parameters[kTextSize];  // field 2 quoted as one argument; two quotes when empty
  char Folder[kTextSize];      // field 1, also the working folder
};

// Cuts the line with key name program into run. Returns 0, with run
// emptied, when the file or the quoted parameters do not fit: a cut text
// could start another program or hand it other arguments. So does an empty
// folder, which would name a program at the current drive's root.
int ParseRunLine(const char* program, const char* value, FieldSplitter split, RunLine& run);

// Encloses text in double quotes so that a program's argument parser reads
// it back as exactly one argument, text unchanged. 0 (out empty) when it
// does not fit.
int QuoteArgument(const char* text, char (&out)[kTextSize]);

// A "Kill Programs" line: the window class and title, each "" when absent
// (an empty title matches only windows whose title is empty).
struct KillLine {
  char ClassName[kTextSize];
  char Title[kTextSize];
};

void ParseKillLine(const char* value, FieldSplitter split, KillLine& kill);

// Builds the command line of one pre-run line: "folder\program" arguments.
// Returns 0 (and leaves out empty) when it would not fit in cap bytes, or
// when folder is empty: "\program" would name one at the drive's root.
int BuildPreRunCommandLine(const char* folder, const char* program, const char* arguments,
                           char* out, std::size_t cap);
