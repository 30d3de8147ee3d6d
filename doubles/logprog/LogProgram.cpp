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

namespace {

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
  // Several doubles may log at once: retry while another holds the file.
  for (int attempt = 0; attempt < 200; ++attempt) {
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
  std::string path = Folder(OwnPath()) + "\\logprog.opt";
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return {};
  char buf[1024] = "";
  size_t n = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  return std::string(buf, n);
}

}  // namespace

int main() {
  std::string self = OwnPath();
  char cwd[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  const char* commandLine = GetCommandLineA();
  DWORD pid = GetCurrentProcessId();

  char head[64];
  std::snprintf(head, sizeof head, "|%llu|%lu|", NowMs(), static_cast<unsigned long>(pid));
  AppendLine("START" + std::string(head) + self + "|" + cwd + "|" + commandLine);

  Options options;
  ParseOptions(ReadOptionFile(), options);
  ParseOptions(commandLine, options);
  if (options.sleepMs) Sleep(options.sleepMs);
  if (!options.waitFile.empty()) {
    for (int i = 0; i < 600 && GetFileAttributesA(options.waitFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
      Sleep(100);
  }

  std::snprintf(head, sizeof head, "|%llu|%lu|", NowMs(), static_cast<unsigned long>(pid));
  AppendLine("END" + std::string(head) + self);
  return options.exitCode;
}
