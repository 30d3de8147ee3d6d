#include "DoubleLog.h"

#include <cstdio>

namespace doubles {

std::string ModulePath(HMODULE module) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(module, path, sizeof path);
  return path;
}

std::string FolderOf(const std::string& path) {
  size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string Beside(const char* name, HMODULE module) {
  std::string folder = FolderOf(ModulePath(module));
  return folder.empty() ? std::string(name) : folder + "\\" + name;
}

std::string EnvOr(const char* variable, const std::string& fallback) {
  char value[MAX_PATH] = "";
  DWORD n = GetEnvironmentVariableA(variable, value, sizeof value);
  return (n > 0 && n < sizeof value) ? std::string(value) : fallback;
}

unsigned long long NowMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  ULARGE_INTEGER v;
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  return v.QuadPart / 10000;
}

std::string ReadAll(const std::string& path) {
  std::string text;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return text;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  std::fclose(f);
  return text;
}

void AppendLine(const std::string& path, const std::string& line) {
  std::string text = line + "\r\n";
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      CloseHandle(file);
      return;
    }
    Sleep(10);
  }
}

std::string CallsLogPath() { return EnvOr("SETUP_TEST_LOG", Beside("calls.log")); }

void LogEvent(const char* kind, const std::string& rest) {
  char head[64];
  std::snprintf(head, sizeof head, "|%llu|%lu|", NowMs(), GetCurrentProcessId());
  AppendLine(CallsLogPath(), kind + std::string(head) + ModulePath() + rest);
}

}  // namespace doubles
