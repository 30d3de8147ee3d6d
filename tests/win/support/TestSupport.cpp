#include "TestSupport.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include "common/Process.h"

// Declared for Windows versions after the one the build targets; Wine has them.
extern "C" {
DECLSPEC_IMPORT LONG WINAPI RegDeleteTreeA(HKEY root, LPCSTR key);
DECLSPEC_IMPORT LONG WINAPI RegDeleteKeyValueA(HKEY root, LPCSTR key, LPCSTR name);
DECLSPEC_IMPORT LONG WINAPI RegSetKeyValueA(HKEY root, LPCSTR key, LPCSTR name, DWORD type,
                                            LPCVOID data, DWORD size);
}

namespace testing_support {

static std::string Folder(UINT(WINAPI* get)(LPSTR, UINT)) {
  char dir[MAX_PATH] = "";
  return std::string(dir, get(dir, MAX_PATH));
}

std::string BinDir() {
  char path[MAX_PATH] = "";
  const std::string exe(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return exe.substr(0, exe.rfind('\\'));
}

std::string WindowsDir() { return Folder(GetWindowsDirectoryA); }
std::string SystemDir() { return Folder(GetSystemDirectoryA); }

void WriteTextFile(const std::string& path, const std::string& text, DWORD attributes) {
  MakeDirs(path.substr(0, path.rfind('\\')));
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  EXPECT_TRUE(out.good()) << "cannot write " << path;
  if (attributes) SetFileAttributesA(path.c_str(), attributes);
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void RemoveTree(const std::string& path) {
  std::error_code ec;
  // A read-only file or folder is not deleted.
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  for (std::filesystem::recursive_directory_iterator it(path, ec), end; !ec && it != end;
       it.increment(ec))
    SetFileAttributesA(it->path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
  std::filesystem::remove_all(path, ec);
}

void* PatchImport(void* real, void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& iat = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
  auto** slots = reinterpret_cast<void**>(base + iat.VirtualAddress);
  DWORD old = 0, found = 0;
  VirtualProtect(slots, iat.Size, PAGE_READWRITE, &old);
  for (DWORD i = 0; i < iat.Size / sizeof(void*); ++i)
    if (slots[i] == real) slots[i] = replacement, ++found;
  VirtualProtect(slots, iat.Size, old, &old);
  return found ? real : nullptr;
}

TempDir::TempDir(const std::string& label) {
  static int counter = 0;
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  path_ = std::string(temp) + "setup-tests\\" + label + "-" +
          std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
  RemoveTree(path_);
  MakeDirs(path_);
}

ScopedRegValue::ScopedRegValue(HKEY root, const std::string& key, const std::string& name,
                               const char* value)
    : root_(root), key_(key), name_(name), keyCreated_(!RegKeyExists(root, key)), old_(4096) {
  const DWORD flags = RRF_RT_ANY | RRF_NOEXPAND;
  DWORD size = static_cast<DWORD>(old_.size());
  hadValue_ = !RegGetValueA(root, key.c_str(), name.c_str(), flags, &type_, old_.data(), &size);
  old_.resize(size);
  Put(value != nullptr, REG_SZ, value, value ? std::strlen(value) + 1 : 0);
}

ScopedRegValue::~ScopedRegValue() {
  Put(hadValue_, type_, old_.data(), old_.size());
  if (keyCreated_) RegDeleteKeyA(root_, key_.c_str());
}

void ScopedRegValue::Put(bool set, DWORD type, const void* data, size_t size) {
  const char *key = key_.c_str(), *name = name_.c_str();
  const LONG error = set ? RegSetKeyValueA(root_, key, name, type, data, static_cast<DWORD>(size))
                         : RegDeleteKeyValueA(root_, key, name);  // a missing value is no error
  EXPECT_TRUE(!set || error == ERROR_SUCCESS) << "cannot set " << key_ << "\\" << name_;
}

std::string RegText(HKEY root, const std::string& key, const std::string& name) {
  UniqueKey h;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, h.put()) != ERROR_SUCCESS) return "<no key>";
  char data[1024] = "";
  DWORD size = sizeof data, type = 0;
  if (RegQueryValueExA(h.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size))
    return "<no value>";
  if (type == REG_SZ && size && !data[size - 1]) return std::string(data, size - 1);
  if (type == REG_MULTI_SZ && size > 1 && !data[size - 1]) {  // as "a|b|"
    std::replace(data, data + size - 1, '\0', '|');
    return std::string(data, size - 1);
  }
  static const char kHex[] = "0123456789abcdef";
  std::string out = std::to_string(type) + ":";
  for (DWORD i = 0; i < size; ++i) out += {kHex[data[i] >> 4 & 15], kHex[data[i] & 15]};
  return out;
}

std::vector<std::string> RegValueNames(HKEY root, const std::string& key) {
  std::vector<std::string> names;
  UniqueKey h;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, h.put()) != ERROR_SUCCESS) return names;
  char name[1024];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumValueA(h.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr)) break;
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void DeleteRegTree(HKEY root, const std::string& key) { RegDeleteTreeA(root, key.c_str()); }

HANDLE Start(const std::string& commandLine, const std::string& cwd, DWORD* pid) {
  ProcessInfo started;
  std::string cmd = commandLine;  // CreateProcessA may write to it
  if (!StartProgram(nullptr, &cmd[0], cwd.empty() ? nullptr : cwd.c_str(), started)) return nullptr;
  if (pid) *pid = started.pi.dwProcessId;
  return std::exchange(started.pi.hProcess, nullptr);  // the caller's
}

DWORD FinishProcess(HANDLE process, DWORD timeoutMs) {
  const UniqueHandleK owned(process);
  DWORD code = kStillRunning;  // also without a process: the wait fails
  if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process, &code);
  } else {
    TerminateProcess(process, 99);
    WaitForSingleObject(process, 5000);
  }
  return code;
}

// A line is kind|time|pid|exe, then |cwd|command line for a start.
std::vector<LogLine> ReadLog(const std::string& path) {
  std::vector<LogLine> lines;
  std::istringstream in(ReadTextFile(path));
  for (std::string line, time, pid; std::getline(in, line);) {
    std::istringstream fields(line.substr(0, line.find_last_not_of('\r') + 1));
    LogLine l;
    for (std::string* field : {&l.kind, &time, &pid, &l.exe}) std::getline(fields, *field, '|');
    if (!fields) continue;  // fewer than four fields
    l.timeMs = std::strtoull(time.c_str(), nullptr, 10);
    std::getline(fields, l.cwd, '|'), std::getline(fields, l.commandLine);  // which may hold '|'
    lines.push_back(l);
  }
  return lines;
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
