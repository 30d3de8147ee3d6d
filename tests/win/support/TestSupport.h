// Helpers for the tests that run under Wine: throwaway folders, the
// Windows and system folders, Wine's per-program Windows version, registry
// values put back afterwards and readers for assertions, the product's
// uninstall records, a message pump, processes run with a time limit, and
// the log the logging double writes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// Folder that holds the test program, Setup.exe and the doubles.
std::string BinDir();

void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);
bool PathExists(const std::string& path);
void CopyFileOrDie(const std::string& from, const std::string& to);
void RemoveTree(const std::string& path);
void MakeDirs(const std::string& path);
void WriteFileMakingDirs(const std::string& path, const std::string& text);
std::string WindowsDir();
std::string SystemDir();
// The host path of a Windows path (Wine's own export); "" elsewhere.
std::string UnixPath(const std::string& windowsPath);
bool SameText(const std::string& a, const std::string& b);  // ignoring case
unsigned long long NowMs();                                 // wall clock, as the doubles log it

// Serves this thread's windows: what is queued now, or for ms milliseconds.
void Pump();
void PumpFor(DWORD ms);

// A fresh, empty folder under %TEMP% that is removed again at the end.
class TempDir {
 public:
  explicit TempDir(const std::string& label = "t");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Sets a registry string value (or deletes it with value == nullptr) and
// puts back what was there before when it goes out of scope.
class ScopedRegValue {
 public:
  ScopedRegValue(HKEY root, const std::string& key, const std::string& name, const char* value);
  ~ScopedRegValue();
  ScopedRegValue(const ScopedRegValue&) = delete;
  ScopedRegValue& operator=(const ScopedRegValue&) = delete;

 private:
  HKEY root_;
  std::string key_, name_;
  bool hadValue_ = false;
  DWORD type_ = 0;
  std::vector<BYTE> old_;
  bool keyCreated_ = false;
};

// Registry reading for assertions. RegText gives a REG_SZ value's text, or
// "<no key>", "<no value>" or "<type N>" so that a failure says which.
std::string RegText(HKEY root, const std::string& key, const std::string& name);
std::vector<std::string> RegValueNames(HKEY root, const std::string& key);  // in order
std::vector<std::string> RegSubKeys(HKEY root, const std::string& key);     // sorted
bool RegKeyExists(HKEY root, const std::string& key);
void DeleteRegTree(HKEY root, const std::string& key);

constexpr const char* kUninstallRoot = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kVendorRoot = "Software\\VELMORAX";

// Removes the product's uninstall record and the vendor key (shared-file
// records) before and after a test; the prefix holds no other product of
// this vendor. Readers for what the product recorded.
class ScopedUninstallRecords {
 public:
  explicit ScopedUninstallRecords(const std::string& key) : key_(key) { Clear(); }
  ~ScopedUninstallRecords() { Clear(); }
  std::string Product() const { return kUninstallRoot + key_; }
  std::string DeleteFiles(const std::string& name) const {
    return RegText(HKEY_LOCAL_MACHINE, Product() + "\\DeleteFiles", name);
  }
  std::string DeleteDirectory(const std::string& folder) const {
    return RegText(HKEY_LOCAL_MACHINE, Product() + "\\DeleteDirectory", folder);
  }
  std::vector<std::string> DeleteFilesNames() const {
    return RegValueNames(HKEY_LOCAL_MACHINE, Product() + "\\DeleteFiles");
  }
  std::string SharedFile(const std::string& name) const {
    return RegText(HKEY_LOCAL_MACHINE,
                   std::string(kVendorRoot) + "\\Uninstall\\SharedFile\\" + name, key_);
  }
  bool ProductKeyExists() const { return RegKeyExists(HKEY_LOCAL_MACHINE, Product()); }

 private:
  void Clear() {
    if (!key_.empty()) DeleteRegTree(HKEY_LOCAL_MACHINE, Product());
    DeleteRegTree(HKEY_LOCAL_MACHINE, kVendorRoot);
  }
  std::string key_;
};

// Makes Wine report this Windows version ("win95", "win98", "winme",
// "nt40", "win2k", "winxp") to programs named exeName started from now on.
class ScopedWineVersion {
 public:
  ScopedWineVersion(const std::string& exeName, const std::string& version);

 private:
  ScopedRegValue value_;
};

// Sets an environment variable (inherited by what this process starts).
class ScopedEnv {
 public:
  ScopedEnv(const std::string& name, const std::string& value);
  ~ScopedEnv();

 private:
  std::string name_, old_;
  bool had_ = false;
};

struct RunResult {
  bool started = false;
  bool finished = false;  // false: still running at the time limit (then killed)
  DWORD exitCode = 0;
};

// Starts commandLine in folder cwd (empty: ours) and waits up to timeoutMs.
RunResult Run(const std::string& commandLine, const std::string& cwd, DWORD timeoutMs);

// Starts a process and returns its handle (the caller closes it).
HANDLE Start(const std::string& commandLine, const std::string& cwd, DWORD* pid = nullptr);

// Waits up to timeoutMs for a started process, closes its handle and gives
// its exit code; kStillRunning (after killing it) when it did not end.
constexpr DWORD kStillRunning = 0xFFFFFFFF;
DWORD FinishProcess(HANDLE process, DWORD timeoutMs);

// One line of the log that the logging double writes.
struct LogLine {
  std::string kind;  // START or END
  unsigned long long timeMs = 0;
  unsigned long pid = 0;
  std::string exe, cwd, commandLine;
};
std::vector<LogLine> ReadLog(const std::string& path);
std::vector<LogLine> Starts(const std::vector<LogLine>& log);
// Reads the log until it holds at least `lines` lines or timeoutMs passes.
std::vector<LogLine> WaitForLog(const std::string& path, size_t lines, DWORD timeoutMs);

// A media folder root\<name> with Setup.exe, its setup scripts and copies
// of the logging double; the double's log at root\calls.log, named for
// every program started while the media lives.
class SetupMedia {
 public:
  explicit SetupMedia(const std::string& name = "media");
  const std::string& root() const { return root_.path(); }
  const std::string& media() const { return media_; }
  const std::string& log() const { return log_; }
  std::string setupPath() const { return media_ + "\\Setup.exe"; }
  // A file below the media folder, making its folders.
  void Write(const std::string& relative, const std::string& text);
  // The stage script under both NT-family names, whichever Wine picks.
  void WriteScript(const std::string& dir1, const std::string& dir2, const std::string& extra = "");
  // The logging double as relative, with these options beside it.
  void AddDouble(const std::string& relative, const std::string& options = "");
  void AddStage(const std::string& dir, const std::string& exeName, const std::string& options) {
    AddDouble(dir + "\\" + exeName, options);
  }
  // Runs Setup.exe from the media folder and waits until expectStarts
  // programs have started and every started one has ended.
  RunResult RunSetup(const std::string& args, size_t expectStarts, DWORD timeoutMs = 30000);
  unsigned long long endedAt() const { return endedAt_; }
  std::vector<LogLine> WaitForEnds(size_t expectStarts, DWORD timeoutMs = 15000) const;
  std::vector<LogLine> Lines() const { return ReadLog(log_); }

 private:
  TempDir root_;
  std::string media_, log_;
  ScopedEnv logEnv_;
  unsigned long long endedAt_ = 0;
};

// The first line of this kind whose program path ends with exeTail.
const LogLine* FindLine(const std::vector<LogLine>& lines, const std::string& kind,
                        const std::string& exeTail);

}  // namespace testing_support
