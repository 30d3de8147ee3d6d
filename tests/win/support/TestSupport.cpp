#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace testing_support {

std::string BinDir() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s = path;
  return s.substr(0, s.find_last_of('\\'));
}

void WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void CopyFileOrDie(const std::string& from, const std::string& to) {
  ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE))
      << "copy " << from << " -> " << to << " error " << GetLastError();
}

void MakeDirs(const std::string& path) {
  for (size_t i = 3; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

void WriteFileMakingDirs(const std::string& path, const std::string& text) {
  MakeDirs(path.substr(0, path.find_last_of('\\')));
  WriteTextFile(path, text);
}

std::string WindowsDir() {
  char dir[MAX_PATH] = "";
  GetWindowsDirectoryA(dir, sizeof dir);
  return dir;
}

std::string SystemDir() {
  char dir[MAX_PATH] = "";
  GetSystemDirectoryA(dir, sizeof dir);
  return dir;
}

std::string UnixPath(const std::string& windowsPath) {
  using ToUnixFn = char*(CDECL*)(LPCWSTR);
  auto toUnix = reinterpret_cast<ToUnixFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
  if (!toUnix) return {};
  WCHAR wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
  char* unix = toUnix(wide);
  if (!unix) return {};
  std::string out = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}

bool SameText(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

unsigned long long NowMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return (static_cast<unsigned long long>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) / 10000;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void PumpFor(DWORD ms) {
  DWORD start = GetTickCount();
  do {
    Pump();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < ms);
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileA(child.c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(path.c_str());
}

TempDir::TempDir(const std::string& label) {
  static int counter = 0;
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  std::string base = std::string(temp) + "setup-tests";
  CreateDirectoryA(base.c_str(), nullptr);
  path_ = base + "\\" + label + "-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(++counter);
  RemoveTree(path_);
  MakeDirs(path_);
}

TempDir::~TempDir() { RemoveTree(path_); }

ScopedRegValue::ScopedRegValue(HKEY root, const std::string& key, const std::string& name,
                               const char* value)
    : root_(root), key_(key), name_(name) {
  HKEY h = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                      &disposition) != ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot open registry key " << key;
    return;
  }
  keyCreated_ = disposition == REG_CREATED_NEW_KEY;
  DWORD size = 0;
  if (RegQueryValueExA(h, name.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
    old_.resize(size);
    hadValue_ =
        RegQueryValueExA(h, name.c_str(), nullptr, &type_, old_.data(), &size) == ERROR_SUCCESS;
  }
  if (value)
    RegSetValueExA(h, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(std::strlen(value) + 1));
  else
    RegDeleteValueA(h, name.c_str());
  RegCloseKey(h);
}

ScopedRegValue::~ScopedRegValue() {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return;
  if (hadValue_)
    RegSetValueExA(h, name_.c_str(), 0, type_, old_.data(), static_cast<DWORD>(old_.size()));
  else
    RegDeleteValueA(h, name_.c_str());
  RegCloseKey(h);
  if (keyCreated_) RegDeleteKeyA(root_, key_.c_str());
}

std::string RegText(HKEY root, const std::string& key, const std::string& name) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return "<no key>";
  char data[1024] = "";
  DWORD size = sizeof data, type = 0;
  LONG rc = RegQueryValueExA(h, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(h);
  if (rc != ERROR_SUCCESS) return "<no value>";
  if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
  return std::string(data, size ? size - 1 : 0);  // the stored NUL is not text
}

std::vector<std::string> RegValueNames(HKEY root, const std::string& key) {
  std::vector<std::string> names;
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return names;
  char name[1024];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumValueA(h, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.push_back(name);
  }
  RegCloseKey(h);
  return names;
}

std::vector<std::string> RegSubKeys(HKEY root, const std::string& key) {
  std::vector<std::string> names;
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return names;
  char name[512];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(h, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.push_back(name);
  }
  RegCloseKey(h);
  std::sort(names.begin(), names.end());
  return names;
}

bool RegKeyExists(HKEY root, const std::string& key) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

void DeleteRegTree(HKEY root, const std::string& key) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return;
  char sub[512];
  for (;;) {
    DWORD size = sizeof sub;
    if (RegEnumKeyExA(h, 0, sub, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    DeleteRegTree(h, sub);
  }
  RegCloseKey(h);
  RegDeleteKeyA(root, key.c_str());
}

ScopedWineVersion::ScopedWineVersion(const std::string& exeName, const std::string& version)
    : value_(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\" + exeName, "Version",
             version.c_str()) {}

ScopedEnv::ScopedEnv(const std::string& name, const std::string& value) : name_(name) {
  char buf[32768];
  DWORD n = GetEnvironmentVariableA(name.c_str(), buf, sizeof buf);
  had_ = n > 0 && n < sizeof buf;
  if (had_) old_ = buf;
  SetEnvironmentVariableA(name.c_str(), value.c_str());
}

ScopedEnv::~ScopedEnv() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }

HANDLE Start(const std::string& commandLine, const std::string& cwd, DWORD* pid) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      cwd.empty() ? nullptr : cwd.c_str(), &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  if (pid) *pid = pi.dwProcessId;
  return pi.hProcess;
}

DWORD FinishProcess(HANDLE process, DWORD timeoutMs) {
  DWORD code = kStillRunning;
  if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process, &code);
  } else {
    TerminateProcess(process, 99);
    WaitForSingleObject(process, 5000);
  }
  CloseHandle(process);
  return code;
}

RunResult Run(const std::string& commandLine, const std::string& cwd, DWORD timeoutMs) {
  RunResult r;
  HANDLE process = Start(commandLine, cwd);
  if (!process) return r;
  r.started = true;
  r.exitCode = FinishProcess(process, timeoutMs);
  r.finished = r.exitCode != kStillRunning;
  return r;
}

std::vector<LogLine> ReadLog(const std::string& path) {
  std::vector<LogLine> lines;
  std::istringstream in(ReadTextFile(path));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> parts;
    size_t start = 0;
    // The command line comes last and may itself hold '|'.
    for (int i = 0; i < 5; ++i) {
      size_t bar = line.find('|', start);
      if (bar == std::string::npos) break;
      parts.push_back(line.substr(start, bar - start));
      start = bar + 1;
    }
    parts.push_back(line.substr(start));
    if (parts.size() < 4) continue;
    LogLine l;
    l.kind = parts[0];
    l.timeMs = std::strtoull(parts[1].c_str(), nullptr, 10);
    l.pid = std::strtoul(parts[2].c_str(), nullptr, 10);
    l.exe = parts[3];
    if (parts.size() >= 6) {
      l.cwd = parts[4];
      l.commandLine = parts[5];
    }
    lines.push_back(l);
  }
  return lines;
}

std::vector<LogLine> Starts(const std::vector<LogLine>& log) {
  std::vector<LogLine> out;
  for (const LogLine& l : log)
    if (l.kind == "START") out.push_back(l);
  return out;
}

std::vector<LogLine> WaitForLog(const std::string& path, size_t lines, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  std::vector<LogLine> log = ReadLog(path);
  while (log.size() < lines && GetTickCount() - start < timeoutMs) {
    Sleep(100);
    log = ReadLog(path);
  }
  return log;
}

SetupMedia::SetupMedia(const std::string& name)
    : root_("media"),
      media_(root_ / name),
      log_(root_ / "calls.log"),
      logEnv_("SETUP_TEST_LOG", log_) {
  MakeDirs(media_);
  CopyFileOrDie(BinDir() + "\\Setup.exe", setupPath());
}

void SetupMedia::Write(const std::string& relative, const std::string& text) {
  WriteFileMakingDirs(media_ + "\\" + relative, text);
}

void SetupMedia::WriteScript(const std::string& dir1, const std::string& dir2,
                             const std::string& extra) {
  std::string text = "[Setup]\r\nProductName=Velmorax Comfort Keyboard\r\nDirName1=" + dir1 +
                     "\r\nDirName2=" + dir2 + "\r\n" + extra;
  Write("SETUP2K.INI", text);
  Write("SETUPNT.INI", text);
}

void SetupMedia::AddDouble(const std::string& relative, const std::string& options) {
  const std::string path = media_ + "\\" + relative;
  MakeDirs(path.substr(0, path.find_last_of('\\')));
  CopyFileOrDie(BinDir() + "\\logprog.exe", path);
  WriteTextFile(path.substr(0, path.find_last_of('\\')) + "\\logprog.opt", options);
}

RunResult SetupMedia::RunSetup(const std::string& args, size_t expectStarts, DWORD timeoutMs) {
  RunResult r =
      Run("\"" + setupPath() + "\"" + (args.empty() ? "" : " " + args), media_, timeoutMs);
  endedAt_ = NowMs();
  WaitForEnds(expectStarts);
  return r;
}

std::vector<LogLine> SetupMedia::WaitForEnds(size_t expectStarts, DWORD timeoutMs) const {
  DWORD start = GetTickCount();
  for (;;) {
    std::vector<LogLine> lines = ReadLog(log_);
    size_t starts = 0, ends = 0;
    for (const LogLine& l : lines) {
      starts += l.kind == "START";
      ends += l.kind == "END";
    }
    if ((starts >= expectStarts && ends >= starts) || GetTickCount() - start > timeoutMs)
      return lines;
    Sleep(100);
  }
}

const LogLine* FindLine(const std::vector<LogLine>& lines, const std::string& kind,
                        const std::string& exeTail) {
  for (const LogLine& l : lines)
    if (l.kind == kind && l.exe.size() >= exeTail.size() &&
        SameText(l.exe.substr(l.exe.size() - exeTail.size()), exeTail))
      return &l;
  return nullptr;
}

}  // namespace testing_support
