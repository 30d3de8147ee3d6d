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

namespace {

constexpr UINT kStageDoneMessage = 7213;
constexpr char kSetupClass[] = "FullSetupClass";

std::string OwnPath() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}

std::string Folder(const std::string& path) {
  size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

unsigned long long NowMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  ULARGE_INTEGER v;
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  return v.QuadPart / 10000;
}

void AppendLine(const std::string& line) {
  char logPath[MAX_PATH] = "";
  DWORD n = GetEnvironmentVariableA("SETUP_TEST_LOG", logPath, sizeof logPath);
  std::string path = (n > 0 && n < sizeof logPath) ? logPath : Folder(OwnPath()) + "\\calls.log";
  for (int attempt = 0; attempt < 200; ++attempt) {  // another double may hold the file
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      std::string text = line + "\r\n";
      DWORD written = 0;
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      CloseHandle(file);
      return;
    }
    Sleep(10);
  }
}

void Log(const char* kind, const std::string& rest) {
  char head[64];
  std::snprintf(head, sizeof head, "|%llu|%lu|", NowMs(), GetCurrentProcessId());
  AppendLine(kind + std::string(head) + OwnPath() + rest);
}

struct Options {
  DWORD delayMs = 0;
  bool signal = true;
  DWORD lingerMs = 0;
  int exitCode = 0;
};

Options ReadOptions() {
  Options o;
  std::string path = Folder(OwnPath()) + "\\stage.opt";
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return o;
  char buf[1024] = "";
  size_t n = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  std::string text(buf, n);
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
  Log("START", std::string("|") + cwd + "|" + GetCommandLineA());
  Options options = ReadOptions();
  if (options.signal) {
    Sleep(options.delayMs);
    bool sent = SignalSetup();
    Log("SIGNAL", std::string("|") + cwd + (sent ? "|sent" : "|no window"));
  }
  if (options.lingerMs) Sleep(options.lingerMs);
  Log("END", "");
  return options.exitCode;
}
