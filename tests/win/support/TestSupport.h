// Helpers for the tests that run under Wine: files and folders, registry
// values put back afterwards, import patches, processes run with a time
// limit, and the log the logging double writes; and the headers they all use.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "common/Handles.h"

namespace testing_support {

std::string BinDir();  // holds the test program, Setup.exe and the doubles
std::string WindowsDir();
std::string SystemDir();

// Makes the file's folders too, and gives it these attributes unless 0.
void WriteTextFile(const std::string& path, const std::string& text, DWORD attributes = 0);
std::string ReadTextFile(const std::string& path);
inline void CopyFileOrDie(const std::string& from, const std::string& to) {
  ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from << " -> " << to << " error "
                                                          << GetLastError();
}
inline void MakeDirs(const std::string& path) {  // no error when it exists
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
}
void RemoveTree(const std::string& path);  // a file or folder, read-only ones too
inline bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
// Every from in s replaced by to, left to right; what to brings is not looked at again.
inline std::string Replace(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += to.size())
    s.replace(at, from.size(), to);
  return s;
}
inline bool SameText(const std::string& a, const std::string& b) {  // ignoring case
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// Serves what is queued for this thread's windows.
inline void Pump() {
  for (MSG m; PeekMessageA(&m, 0, 0, 0, PM_REMOVE);) TranslateMessage(&m), DispatchMessageA(&m);
}

// Points this program's import slots that hold real at replacement, for the
// program's life; gives real, or nullptr when no slot held it.
void* PatchImport(void* real, void* replacement);
template <typename F>
F PatchImport(F real, F replacement) {
  return reinterpret_cast<F>(
      PatchImport(reinterpret_cast<void*>(real), reinterpret_cast<void*>(replacement)));
}

// A fresh, empty folder under %TEMP%, removed again at the end.
class TempDir {
 public:
  explicit TempDir(const std::string& label = "t");
  ~TempDir() { RemoveTree(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Sets a registry string value (deletes it when value is nullptr) and puts
// back what was there before when it goes out of scope.
class ScopedRegValue {
 public:
  ScopedRegValue(HKEY root, const std::string& key, const std::string& name, const char* value);
  ~ScopedRegValue();
  ScopedRegValue(const ScopedRegValue&) = delete;
  ScopedRegValue& operator=(const ScopedRegValue&) = delete;

 private:
  void Put(bool set, DWORD type, const void* data, size_t size);  // deletes unless set
  HKEY root_;
  std::string key_, name_;
  bool hadValue_ = false, keyCreated_ = false;
  DWORD type_ = 0;
  std::vector<BYTE> old_;
};

// A REG_SZ value's text, a REG_MULTI_SZ as "a|b|", or "<no key>", "<no value>"
// or, for any other type or a text without its NUL, "<type>:<hex bytes>".
std::string RegText(HKEY root, const std::string& key, const std::string& name);
std::vector<std::string> RegValueNames(HKEY root, const std::string& key);  // sorted
inline bool RegKeyExists(HKEY root, const std::string& key) {
  return RegText(root, key, "") != "<no key>";
}
void DeleteRegTree(HKEY root, const std::string& key);

constexpr const char* kUninstallRoot = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kVendorRoot = "Software\\VELMORAX";

// Sets an environment variable (inherited by what this process starts).
struct ScopedEnv {
  ScopedEnv(const std::string& name, const std::string& value) : name_(name) {
    char buf[32768];
    const DWORD n = GetEnvironmentVariableA(name.c_str(), buf, sizeof buf);
    if ((had_ = n > 0 && n < sizeof buf)) old_ = buf;
    SetEnvironmentVariableA(name.c_str(), value.c_str());
  }
  ~ScopedEnv() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }
  std::string name_, old_;
  bool had_ = false;
};

// Starts a process in folder cwd (empty: ours) and returns its handle.
HANDLE Start(const std::string& commandLine, const std::string& cwd, DWORD* pid = nullptr);
// Waits up to timeoutMs, closes the handle and gives the exit code, or
// kStillRunning (after killing it) when the process did not end or start.
constexpr DWORD kStillRunning = 0xFFFFFFFF;
DWORD FinishProcess(HANDLE process, DWORD timeoutMs);

// One line of the log that the logging double writes.
struct LogLine {
  std::string kind;  // START, END, CLOSE...
  unsigned long long timeMs = 0;
  std::string exe, cwd, commandLine;
};
std::vector<LogLine> ReadLog(const std::string& path);
// The first line of this kind whose program path ends with exeTail.
const LogLine* FindLine(const std::vector<LogLine>& lines, const std::string& kind,
                        const std::string& exeTail);

}  // namespace testing_support
