// What every test double needs: where it is, the time, its settings files
// and an append-only log that several doubles may write at once.
#pragma once
#include <windows.h>

#include <string>

namespace doubles {

std::string ModulePath(HMODULE module = nullptr);
std::string FolderOf(const std::string& path);  // without the last backslash
// The file name beside the module.
std::string Beside(const char* name, HMODULE module = nullptr);
// The variable's value, or fallback when it is unset.
std::string EnvOr(const char* variable, const std::string& fallback);
// Milliseconds since 1601, the clock the tests compare.
unsigned long long NowMs();
// The whole file, or "" when it cannot be read.
std::string ReadAll(const std::string& path);
// Appends line and CR LF, retrying while another double holds the file.
void AppendLine(const std::string& path, const std::string& line);

// The log of the process doubles: SETUP_TEST_LOG, else calls.log beside us.
std::string CallsLogPath();
// "<kind>|<ms>|<pid>|<own path><rest>" into the calls log.
void LogEvent(const char* kind, const std::string& rest);

}  // namespace doubles
