#include "PreRun.h"

#include <windows.h>

#include "common/Process.h"
#include "ListSection.h"

int BuildPreRunCommandLine(const char* folder, const char* program, const char* arguments,
                           char* out, std::size_t cap) {
  int fits = folder[0] != '\0' && CopyText(out, cap, "\"") && AppendText(out, cap, folder) &&
             AppendText(out, cap, "\\") && AppendText(out, cap, program) &&
             AppendText(out, cap, "\" ") && AppendText(out, cap, arguments);
  if (!fits && cap > 0) out[0] = '\0';  // a cut command line would start the wrong thing
  return fits;
}

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
