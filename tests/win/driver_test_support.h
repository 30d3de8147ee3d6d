// Helpers shared by the driver tests: the device support double's log, a
// media folder, a CD-ROM drive letter, uninstall records and INF files put
// back afterwards. Header only: each test program includes it.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "driver/DriverInstall.h"
#include "startup/Platform.h"
#include "startup/core/Settings.h"

namespace driver_tests {

using namespace testing_support;

inline std::vector<std::string> SplitBars(const std::string& line) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t bar = line.find('|', start);
    parts.push_back(line.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) return parts;
    start = bar + 1;
  }
}

// One line of the double's log (or of the probe / pause recorder).
struct KqEvent {
  std::string kind;  // LOAD, FREE, CALL, PAUSE, PLATFORM
  unsigned long long ms = 0;
  std::vector<std::string> fields;  // what follows the time
};

inline std::vector<KqEvent> ReadKqLog(const std::string& path) {
  std::vector<KqEvent> events;
  std::istringstream in(ReadTextFile(path));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> parts = SplitBars(line);
    if (parts.size() < 2) continue;
    KqEvent e;
    e.kind = parts[0];
    e.ms = std::strtoull(parts[1].c_str(), nullptr, 10);
    e.fields.assign(parts.begin() + 2, parts.end());
    events.push_back(e);
  }
  return events;
}

// Calls and pauses as one readable line: "Install(a|b)=1 PAUSE(3000) ...".
// CALL fields are dll path, function, arguments..., result.
inline std::string Trace(const std::vector<KqEvent>& events) {
  std::string out;
  for (const KqEvent& e : events) {
    if (e.kind == "PAUSE") {
      out += "PAUSE(" + e.fields.at(0) + ") ";
    } else if (e.kind == "CALL" && e.fields.size() >= 3) {
      out += e.fields[1] + "(";
      for (size_t i = 2; i + 1 < e.fields.size(); ++i) out += (i > 2 ? "|" : "") + e.fields[i];
      out += ")=" + e.fields.back() + " ";
    }
  }
  if (!out.empty()) out.pop_back();
  return out;
}

// The double logs here and reads its answers from here (inherited by
// every program the test starts).
class KqSession {
 public:
  KqSession()
      : dir_("kqlog"),
        log_(dir_ / "kqsetup.log"),
        logEnv_("KQSETUP_LOG", log_),
        configEnv_("KQSETUP_CONFIG", dir_ / "kqsetup.cfg") {}
  void Configure(const std::string& text) { WriteTextFile(dir_ / "kqsetup.cfg", text); }
  std::vector<KqEvent> Events() const { return ReadKqLog(log_); }
  std::string Trace() const { return driver_tests::Trace(Events()); }
  std::string LogText() const { return ReadTextFile(log_); }
  const std::string& LogPath() const { return log_; }
  void Clear() { DeleteFileA(log_.c_str()); }

 private:
  TempDir dir_;
  std::string log_;
  ScopedEnv logEnv_, configEnv_;
};

// Pauses of an in-process UpdateDrivers land in the double's log instead
// of being slept.
inline void RecordPause(unsigned ms) {
  char path[MAX_PATH] = "";
  GetEnvironmentVariableA("KQSETUP_LOG", path, sizeof path);
  HANDLE f = CreateFileA(path, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  std::string line = "PAUSE|" + std::to_string(GetTickCount()) + "|" + std::to_string(ms) + "\r\n";
  DWORD written = 0;
  WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(f);
}

class ScopedPauseRecorder {
 public:
  ScopedPauseRecorder() : old_(DriverPause) { DriverPause = RecordPause; }
  ~ScopedPauseRecorder() { DriverPause = old_; }

 private:
  DriverPauseFn old_;
};

// A minimal driver INF that setupapi accepts.
inline std::string InfText(const std::string& tag) {
  return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Keyboard\r\n"
         "ClassGUID={4D36E96B-E325-11CE-BFC1-08002BE10318}\r\nProvider=KQ\r\n"
         "DriverVer=01/01/2002,1.0.0.0\r\n; " +
         tag + "\r\n";
}

// A folder posing as the installation medium.
class Media {
 public:
  explicit Media(const std::string& label = "media") : dir_(label) {}
  const std::string& path() const { return dir_.path(); }
  std::string operator/(const std::string& name) const { return dir_ / name; }
  void AddDriverLibrary() { CopyFileOrDie(BinDir() + "\\kqsetup.dll", dir_ / "kqsetup.dll"); }
  void AddProbe() { CopyFileOrDie(BinDir() + "\\driverprobe.exe", dir_ / "driverprobe.exe"); }
  // The same script under every name a Windows version may look for.
  void WriteScript(const std::string& text) {
    for (const char* name :
         {"SETUP95.INI", "SETUP98.INI", "SETUPME.INI", "SETUPNT.INI", "SETUP2K.INI"})
      WriteTextFile(dir_ / name, text);
  }
  void Write(const std::string& relative, const std::string& text) {
    WriteFileMakingDirs(dir_ / relative, text);
  }

 private:
  TempDir dir_;
};

// Settings as start-up leaves them, for a program living in moduleDir.
inline void UseSettings(const std::string& moduleDir, const std::string& script,
                        const char* productName, const char* uninstallKey) {
  ResetSettings(Settings);
  DetectPlatform(GetModuleHandleA(nullptr));
  CopyText(Settings.ModuleDir, moduleDir.c_str());
  CopyText(Settings.ScriptPath, script.c_str());
  CopyText(Settings.ProductName, productName);
  CopyText(Settings.UninstallKey, uninstallKey);
}

inline std::set<std::string> InfFolderFiles() {
  std::set<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((WindowsDir() + "\\inf\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(data.cFileName);
  while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

inline void DeleteInf(const std::string& name) {
  std::string path = WindowsDir() + "\\inf\\" + name;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

// Removes whatever the test adds to the INF folder (the copies, and the
// .pnf files setupapi makes beside them) and the named files.
class ScopedInfFolder {
 public:
  explicit ScopedInfFolder(std::vector<std::string> names) : names_(names) {
    for (const std::string& n : names_) DeleteInf(n);
    before_ = InfFolderFiles();
  }
  ~ScopedInfFolder() {
    for (const std::string& n : Added()) DeleteInf(n);
    for (const std::string& n : names_) DeleteInf(n);
  }
  std::vector<std::string> Added() const {
    std::vector<std::string> added;
    for (const std::string& n : InfFolderFiles())
      if (!before_.count(n)) added.push_back(n);
    return added;
  }
  // The INF copies among them.
  std::vector<std::string> AddedInfs() const {
    std::vector<std::string> infs;
    for (const std::string& n : Added())
      if (n.size() > 4 && EqualsNoCase(n.c_str() + n.size() - 4, ".inf")) infs.push_back(n);
    return infs;
  }

 private:
  std::set<std::string> before_;
  std::vector<std::string> names_;
};

// Wine's mount manager: defines a drive letter for a Unix folder with a
// drive type, as winecfg does. Wine only.
struct MountmgrUnixDrive {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDev;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};
constexpr DWORD kIoctlDefineUnixDrive =
    CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

inline bool DefineWineDrive(char letter, UINT type, const std::string& unixPath) {
  HANDLE mm = CreateFileA("\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (mm == INVALID_HANDLE_VALUE) return false;
  std::vector<char> buffer(sizeof(MountmgrUnixDrive) + unixPath.size() + 1, '\0');
  auto* drive = reinterpret_cast<MountmgrUnixDrive*>(buffer.data());
  drive->size = static_cast<ULONG>(buffer.size());
  drive->type = type;
  drive->letter = static_cast<WCHAR>(letter | 0x20);
  if (!unixPath.empty()) {
    drive->mountPointOffset = sizeof(MountmgrUnixDrive);
    std::copy(unixPath.begin(), unixPath.end(), buffer.begin() + sizeof(MountmgrUnixDrive));
  }
  DWORD got = 0;
  BOOL ok = DeviceIoControl(mm, kIoctlDefineUnixDrive, buffer.data(), drive->size, nullptr, 0, &got,
                            nullptr);
  CloseHandle(mm);
  return ok != FALSE;
}

// A drive letter that Wine reports with the given type (DRIVE_CDROM,
// DRIVE_FIXED, ...), showing a folder of ours; gone again at the end.
class ScopedWineDrive {
 public:
  ScopedWineDrive(char letter, const std::string& folder, UINT type) : letter_(letter) {
    std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) != DRIVE_NO_ROOT_DIR) {
      ADD_FAILURE() << root << " is already in use";
      return;
    }
    std::string unix = UnixPath(folder);
    defined_ = !unix.empty() && DefineWineDrive(letter, type, unix);
    if (!defined_) ADD_FAILURE() << "cannot define " << root << " for " << unix;
  }
  ~ScopedWineDrive() {
    if (defined_) DefineWineDrive(letter_, DRIVE_NO_ROOT_DIR, "");
  }
  bool defined() const { return defined_; }

 private:
  char letter_;
  bool defined_ = false;
};

}  // namespace driver_tests
