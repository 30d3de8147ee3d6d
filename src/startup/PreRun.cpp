#include "PreRun.h"

#include <windows.h>

#include "common/Process.h"
#include "engine/core/ProgramLine.h"
#include "ListSection.h"

namespace {

void RunPreRunLine(const char* program, const char* value) {
  char fields[3][kTextSize];
  SplitFields(value, fields, 3);
  char commandLine[kTextSize];
  if (!BuildPreRunCommandLine(fields[0], program, fields[1], commandLine, sizeof commandLine))
    return;

  ProcessInfo process;
  if (!StartProgram(nullptr, commandLine, nullptr, process)) return;
  if (EqualsNoCase(fields[2], "1")) WaitForSingleObject(process.pi.hProcess, INFINITE);
}

}  // namespace

void RunPreRunPrograms() {
  ReadListSection("PreRun Programs",
                  [](const char* keyName, const char* value) { RunPreRunLine(keyName, value); });
}
