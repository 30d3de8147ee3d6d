// Test double for the programs Setup starts (pre-run programs, stage
// setups). Appends one line when it starts and one when it ends:
//
//   START|<ms since 1601>|<pid>|<own path>|<current folder>|<command line>
//   END|<ms since 1601>|<pid>|<own path>
//
// to the file named by the environment variable SETUP_TEST_LOG, else to
// "calls.log" beside itself. Options, read from the command line and from
// "logprog.opt" beside the program (one line), each a bare word:
//   --sleep=MS          sleep MS milliseconds before ending
//   --wait-file=PATH    wait (up to 60 s) until PATH exists before ending
//   --exit=N            exit code
// Anything else on the command line is only logged.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "DoubleLog.h"

namespace {

using namespace doubles;

struct Options {
  DWORD sleepMs = 0;
  std::string waitFile;
  int exitCode = 0;
};

void ParseOptions(const std::string& text, Options& o) {
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    size_t end = i;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\r' &&
           text[end] != '\n')
      ++end;
    std::string word = text.substr(i, end - i);
    if (word.rfind("--sleep=", 0) == 0) o.sleepMs = std::strtoul(word.c_str() + 8, nullptr, 10);
    if (word.rfind("--wait-file=", 0) == 0) o.waitFile = word.substr(12);
    if (word.rfind("--exit=", 0) == 0) o.exitCode = std::atoi(word.c_str() + 7);
    i = end + 1;
  }
}

std::string ReadOptionFile() {
  return ReadAll(Beside("logprog.opt")).substr(0, 1024);
}

}  // namespace

int main() {
  char cwd[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  const char* commandLine = GetCommandLineA();
  LogEvent("START", std::string("|") + cwd + "|" + commandLine);

  Options options;
  ParseOptions(ReadOptionFile(), options);
  ParseOptions(commandLine, options);
  if (options.sleepMs) Sleep(options.sleepMs);
  if (!options.waitFile.empty()) {
    for (int i = 0; i < 600 && GetFileAttributesA(options.waitFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
      Sleep(100);
  }

  LogEvent("END", "");
  return options.exitCode;
}
