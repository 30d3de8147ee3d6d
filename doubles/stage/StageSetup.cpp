// Test double for a stage setup program started by Setup's background
// window. Logs like logprog, then, after a delay, sends message 7213 to the
// window of class "FullSetupClass" so that Setup starts the next stage:
//
//   START|<ms since 1601>|<pid>|<own path>|<current folder>|<command line>
//   SIGNAL|<ms since 1601>|<pid>|<own path>|<current folder>|sent | no window
//   END|<ms since 1601>|<pid>|<own path>
//
// to the file named by the environment variable SETUP_TEST_LOG, else to
// "calls.log" beside itself. Setup fixes the command line, so the options
// come from "stage.opt" beside the program (one line of bare words):
//   --delay=MS      wait MS milliseconds before signalling (default 0)
//   --no-signal     never signal
//   --linger=MS     stay MS milliseconds after signalling before ending
//   --exit=N        exit code
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "DoubleLog.h"

namespace {

constexpr UINT kStageDoneMessage = 7213;
constexpr char kSetupClass[] = "FullSetupClass";

using namespace doubles;

struct Options {
  DWORD delayMs = 0;
  bool signal = true;
  DWORD lingerMs = 0;
  int exitCode = 0;
};

Options ReadOptions() {
  Options o;
  std::string text = ReadAll(Beside("stage.opt"));
  size_t i = 0;
  while (i < text.size()) {
    size_t end = text.find_first_of(" \t\r\n", i);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(i, end - i);
    if (word.rfind("--delay=", 0) == 0) o.delayMs = std::strtoul(word.c_str() + 8, nullptr, 10);
    if (word == "--no-signal") o.signal = false;
    if (word.rfind("--linger=", 0) == 0) o.lingerMs = std::strtoul(word.c_str() + 9, nullptr, 10);
    if (word.rfind("--exit=", 0) == 0) o.exitCode = std::atoi(word.c_str() + 7);
    i = end + 1;
  }
  return o;
}

// Setup's window exists before it starts us; still, allow it a moment.
bool SignalSetup() {
  for (int i = 0; i < 100; ++i) {
    HWND setup = FindWindowA(kSetupClass, nullptr);
    if (setup != nullptr) {
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
  LogEvent("START", std::string("|") + cwd + "|" + GetCommandLineA());
  Options options = ReadOptions();
  if (options.signal) {
    Sleep(options.delayMs);
    bool sent = SignalSetup();
    LogEvent("SIGNAL", std::string("|") + cwd + (sent ? "|sent" : "|no window"));
  }
  if (options.lingerMs) Sleep(options.lingerMs);
  LogEvent("END", "");
  return options.exitCode;
}
