// Test double for the programs Setup starts: pre-run programs and stage
// setups. Appends a line when it starts, when it signals and when it ends:
//
//   START|<ms since 1601>|<pid>|<own path>|<current folder>|<command line>
//   SIGNAL|<ms since 1601>|<pid>|<own path>|<current folder>|sent | no window
//   END|<ms since 1601>|<pid>|<own path>
//
// to the file named by the environment variable SETUP_TEST_LOG, else to
// "calls.log" beside itself. Options, read from the command line and from
// "logprog.opt" beside the program (Setup fixes a stage's command line),
// each a bare word:
//   --signal=MS         after MS milliseconds send message 7213 to Setup's
//                       background window, as a stage setup does when done
//   --sleep=MS          sleep MS milliseconds before ending
//   --wait-file=PATH    wait (up to 60 s) until PATH exists before ending
//   --exit=N            exit code
// Anything else on the command line is only logged.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "DoubleLog.h"

namespace {

using namespace doubles;

constexpr UINT kStageDoneMessage = 7213;

struct Options {
  long signalMs = -1;  // -1: never signal
  DWORD sleepMs = 0;
  std::string waitFile;
  int exitCode = 0;
};

void ParseOptions(const std::string& text, Options& o) {
  size_t i = 0;
  while (i < text.size()) {
    size_t end = text.find_first_of(" \t\r\n", i);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(i, end - i);
    if (word.rfind("--signal=", 0) == 0) o.signalMs = std::strtol(word.c_str() + 9, nullptr, 10);
    if (word.rfind("--sleep=", 0) == 0) o.sleepMs = std::strtoul(word.c_str() + 8, nullptr, 10);
    if (word.rfind("--wait-file=", 0) == 0) o.waitFile = word.substr(12);
    if (word.rfind("--exit=", 0) == 0) o.exitCode = std::atoi(word.c_str() + 7);
    i = end + 1;
  }
}

// Setup's window exists before it starts a stage; still, allow it a moment.
bool SignalSetup() {
  for (int i = 0; i < 100; ++i) {
    if (HWND setup = FindWindowA("FullSetupClass", nullptr)) {
      DWORD_PTR result = 0;
      return SendMessageTimeoutA(setup, kStageDoneMessage, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
    }
    Sleep(50);
  }
  return false;
}

}  // namespace

int main() {
  char cwd[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  const char* commandLine = GetCommandLineA();
  LogEvent("START", std::string("|") + cwd + "|" + commandLine);

  Options options;
  ParseOptions(ReadAll(Beside("logprog.opt")).substr(0, 1024), options);
  ParseOptions(commandLine, options);
  if (options.signalMs >= 0) {
    Sleep(static_cast<DWORD>(options.signalMs));
    bool sent = SignalSetup();
    LogEvent("SIGNAL", std::string("|") + cwd + (sent ? "|sent" : "|no window"));
  }
  if (options.sleepMs) Sleep(options.sleepMs);
  if (!options.waitFile.empty()) {
    for (int i = 0;
         i < 600 && GetFileAttributesA(options.waitFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
      Sleep(100);
  }
  LogEvent("END", "");
  return options.exitCode;
}
