// The driver step end to end. Each row runs it on a medium holding the
// device support double, in this program (Windows 2000 or later, as Wine
// reports it to us) or through the probe under another Windows version.
// The double's log gives the calls and pauses; the INF folder, the
// uninstall records and the Run key give the rest.
#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/Handles.h"
#include "driver/DriverInstall.h"
#include "driver/ProductFolder.h"
#include "startup/Platform.h"
#include "startup/SetupScript.h"
#include "startup/core/Settings.h"

using namespace testing_support;
using Files = std::map<std::string, std::string>;

namespace {

const std::string kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kProductKey = std::string(kUninstallRoot) + "KQDriverTest";

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += to.size())
    s.replace(at, from.size(), to);
  return s;
}
std::string Inf(const std::string& name = "") { return WindowsDir() + "\\inf\\" + name; }
bool Has(const std::string& where, const std::string& word) {
  return (" " + where + " ").find(" " + word + " ") != std::string::npos;
}
std::string Times(int n, const std::string& s) { return n ? s + Times(n - 1, s) : ""; }
void Plant(const std::string& file, const std::string& text, DWORD attributes) {
  WriteFileMakingDirs(file, text);
  SetFileAttributesA(file.c_str(), attributes);
}

// The medium: read-only and hidden files two levels deep, driver INFs that
// setupapi accepts and plain legacy INFs. A file's tag follows its last ';'.
const std::map<std::string, DWORD> kMedium = {{"top.txt", FILE_ATTRIBUTE_READONLY},
                                              {"hidden.txt", FILE_ATTRIBUTE_HIDDEN},
                                              {"a\\b\\c.txt", FILE_ATTRIBUTE_READONLY},
                                              {"legacy\\la.inf", FILE_ATTRIBUTE_READONLY},
                                              {"legacy\\lu.inf", 0},
                                              {"drv\\ka.inf", 0},
                                              {"drv\\kh.inf", 0},
                                              {"drv\\ku.inf", 0}};
std::string MediumText(const std::string& file) {
  return (file[0] == 'd' ? "[Version]\r\nSignature=\"$Chicago$\"\r\n;" : ";") + file;
}

Files InfFolder(const char* pattern) {
  Files files;
  WIN32_FIND_DATAA d;
  HANDLE find = FindFirstFileA(Inf(pattern).c_str(), &d);
  do files[d.cFileName] = ReadTextFile(Inf(d.cFileName));
  while (FindNextFileA(find, &d));
  FindClose(find);
  return files;
}

// "name=tag" for each INF the step wrote (with normal attributes), "name=-"
// for each it deleted.
std::string InfChanges(const Files& before) {
  Files changes, after = InfFolder("*.inf");
  for (const auto& [name, text] : before)
    if (!after.count(name)) changes[name] = "-";
  for (const auto& [name, text] : after) {
    if (before.count(name) && before.at(name) == text) continue;
    changes[name] = text.substr(text.rfind(';') + 1);
    EXPECT_EQ(0u, GetFileAttributesA(Inf(name).c_str()) & FILE_ATTRIBUTE_READONLY) << name;
  }
  std::string out;
  for (const auto& [name, tag] : changes) out += " " + name + "=" + tag;
  return out;
}

// DeleteFiles as folder\name, then "dir" and each DeleteDirectory, "run" and
// the preload registration.
std::string Records() {
  std::string out, files = kProductKey + "\\DeleteFiles";
  for (const std::string& n : RegValueNames(HKEY_LOCAL_MACHINE, files))
    out += " " + RegText(HKEY_LOCAL_MACHINE, files, n) + "\\" + n;
  for (const std::string& n : RegValueNames(HKEY_LOCAL_MACHINE, kProductKey + "\\DeleteDirectory"))
    out += " dir " + n;
  const std::string run = RegText(HKEY_LOCAL_MACHINE, kRunKey, "Keyboard Preload Check");
  return run == "<no value>" ? out : out + " run " + run;
}

// The double's calls as I(...), G(...), R(...) and F(...) after the first
// letter of the export, with the result; pauses as P<ms>.
struct KqLog {
  std::string trace;
  std::vector<std::string> loads;
  size_t frees = 0;
};
KqLog ReadKqLog(const std::string& path) {
  KqLog log;
  std::istringstream in(ReadTextFile(path));
  for (std::string line; std::getline(in, line);) {
    line.erase(line.find_last_not_of('\r') + 1);
    const std::string kind = line.substr(0, line.find('|'));
    const std::string rest = line.substr(line.find('|', kind.size() + 1) + 1);
    if (kind == "LOAD") log.loads.push_back(rest);
    log.frees += kind == "FREE";
    if (kind == "PAUSE") log.trace += " P" + rest;
    if (kind != "CALL") continue;
    const size_t fn = rest.find('|') + 1, args = rest.find('|', fn) + 1, result = rest.rfind('|');
    log.trace += " " + rest.substr(fn, 1) + "(" + rest.substr(args, result - args) +
                 ")=" + rest.substr(result + 1);
  }
  return log;
}

void RecordPause(unsigned ms) {
  char log[MAX_PATH] = "";
  GetEnvironmentVariableA("KQSETUP_LOG", log, sizeof log);
  std::ofstream(log, std::ios::app) << "PAUSE|0|" << ms << "\r\n";
}

// Drive R: as Wine's mount manager reports it: a CD-ROM showing a folder of
// ours (as winecfg defines one), or gone again with no folder.
bool DefineDriveR(UINT type, const std::string& unixPath) {
  struct Drive {
    ULONG size, type, fsType;
    DWORD serial;
    ULONGLONG device;
    WCHAR letter;
    USHORT mountPointOffset, deviceOffset, labelOffset;
    char path[MAX_PATH];
  } drive{sizeof drive, type, 0, 0, 0, L'r', 0, 0, 0, {}};
  if (!unixPath.empty()) drive.mountPointOffset = offsetof(Drive, path);
  unixPath.copy(drive.path, MAX_PATH - 1);
  UniqueFile mm(CreateFileA("\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr));
  DWORD got = 0;
  return DeviceIoControl(mm.get(),
                         CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS),
                         &drive, sizeof drive, nullptr, 0, &got, nullptr);
}

struct Row {
  const char* name;
  // Words: winXX, the probe under that Wine version (else this program);
  // preload; cd, the medium on a CD-ROM; old, the product folder exists
  // with a read-only file; nolib, syslib: no kqsetup.dll on the medium, one
  // in the system folder; internet: newdev's copy of ka.inf exists;
  // lib=order: a DLL override for the probe, with a copy of the double
  // planted as that library on the medium unless the order is empty.
  const char* where;
  const char* setup;  // [Setup] lines in front of the product name and uninstall key
  std::vector<const char*> lines;
  const char* answers;               // the double's configuration, one key a word
  std::string trace, infs, records;  // M: the medium, P: the product folder, INF: the INF folder
  int indexFilesKept = 0;
};

const char* const kKeyboard = "Keyboard,ka.inf,A3,A4,A5,,,1,HID\\VID_A,drv\\";
const char* const kHid = "HIDClass,kh.inf,H3,H4,H5,,,0,HID\\VID_H,drv\\";
const char* const kUnknown = "Unknown,ku.inf,U3,U4,U5,,,1,HID\\VID_U,drv\\";
const std::string kPreload =
    "Preload.exe /DEVID:HID\\VID_A /CLASS:Keyboard "
    "/RunValue:\"Keyboard Preload Check\"";
const std::string kFirstTry = "I(Keyboard|M\\drv\\ka.inf|A5|A3|A4|1|0)=0 G(Keyboard|A5|A3)=1";

// Wine's SetupCopyOEMInfA keeps the source's name where Windows makes oemN.inf.
// clang-format off
const Row kRows[] = {
    {"2000: a positive result pauses, a negative one ends the line, zero falls back to the OEM copy",
     "syslib", "", {kKeyboard, "Keyboard,kb.inf,B3,B4,B5,,,0,HID\\VID_B,drv\\",
                    "keyboard,kh.inf,H3,H4,H5,six,,true,HID\\VID_H,drv\\"}, "install=2,-1,0,4",
     "I(Keyboard|M\\drv\\ka.inf|A5|A3|A4|1|1)=2 G(Keyboard|A5|A3)=1 P3000 "
     "I(Keyboard|M\\drv\\kb.inf|B5|B3|B4|0|1)=-1 G(Keyboard|B5|B3)=1 "
     "I(keyboard|M\\drv\\kh.inf|H5|H3|H4|1|1)=0 G(keyboard|H5|H3)=1 "
     "I(keyboard|INF\\kh.inf|H5|H3|H4|1|1)=4 G(keyboard|H5|H3)=1 P3000", "kh.inf=drv\\kh.inf", "INF\\kh.inf"},
    {"2000, the library in the system folder only: no connected device counts as nothing installed",
     "nolib syslib", "DeleteINFIndex=no\r\n", {kKeyboard}, "install=1 connected=0,1",
     "I(Keyboard|M\\drv\\ka.inf|A5|A3|A4|1|1)=1 G(Keyboard|A5|A3)=0 "
     "I(Keyboard|INF\\ka.inf|A5|A3|A4|1|1)=1 G(Keyboard|A5|A3)=1 P3000", "ka.inf=drv\\ka.inf", "INF\\ka.inf", 2},
    {"2000: a failed copy ends the line; Unknown waits for its device up to 30 times", "", "",
     {"Unknown,none.inf,,,,,,0,HID\\VID_N,", kUnknown, "Unknown,kh.inf,,,,,,0,HID\\VID_H,drv\\"},
     "remove=0,1 find_after=0", "R(|HID\\VID_U)=0 R(|HID\\VID_H)=1" + Times(30, " F(|HID\\VID_H)=0 P1000"),
     "kh.inf=drv\\kh.inf ku.inf=drv\\ku.inf none.inf=-", "INF\\kh.inf INF\\ku.inf"},
    {"no Update Driver section", "", "", {}, "", "", "", ""},
    {"2000, preload, from a fixed disk", "preload", "", {kKeyboard}, "install=0", kFirstTry, "ka.inf=-", "run M\\" + kPreload},
    {"2000, preload, from a CD-ROM: copied to the product folder", "preload cd", "", {kKeyboard},
     "install=0", kFirstTry, "ka.inf=-", "dir P run P\\" + kPreload},
    {"2000, preload, from a CD-ROM to an existing product folder", "preload cd old", "", {kKeyboard},
     "install=0", kFirstTry, "ka.inf=-", "run P\\" + kPreload},
    {"2000 from a CD-ROM without uninstall key: HIDClass installs from the OEM copy only", "cd",
     "UninstallKey=\r\n", {kHid}, "", "I(HIDClass|INF\\kh.inf|H5|H3|H4|0|1)=1 G(HIDClass|H5|H3)=1 P3000",
     "kh.inf=drv\\kh.inf", ""},
    {"98: every class but Unknown installs first, then the legacy copy", "win98", "DeleteINFIndex=true\r\n",
     {"HIDClass,kh.inf,H3,H4,H5,,legacy\\la.inf,0,HID\\VID_H,", "Unknown,ku.inf,U3,U4,U5,,legacy\\lu.inf,0,HID\\VID_U,",
      "Unknown,kb.inf,,,,,,0,HID\\VID_B,", "Unknown,,E3,E4,E5,,legacy\\la.inf,0,HID\\VID_E,",
      "Keyboard,ka.inf,A3,A4,A5,,legacy\\la.inf,1,HID\\VID_A,drv\\"}, "install=0,2 find_after=3",
     "I(HIDClass|M\\kh.inf|H5|H3|H4|0|1)=0 G(HIDClass|H5|H3)=1 R(|HID\\VID_U)=1 F(|HID\\VID_U)=0 P1000 "
     "F(|HID\\VID_U)=0 P1000 F(|HID\\VID_U)=1 R(|HID\\VID_E)=1 F(|HID\\VID_E)=1 "
     "I(Keyboard|M\\drv\\ka.inf|A5|A3|A4|1|1)=2 G(Keyboard|A5|A3)=1 P3000",
     "kh.inf=legacy\\la.inf ku.inf=legacy\\lu.inf", "INF\\kh.inf INF\\ku.inf"},
    {"ME: the system's newdev installs; its own copy is recorded when it exists",
     "winme internet newdev=native,builtin", "", {kKeyboard, kUnknown}, "", "P3000 P3000", "",
     "INF\\INTERNET\\A3ka.inf"},
    {"ME without newdev: the OEM copy without an install call", "winme newdev=", "", {kKeyboard, kUnknown},
     "", "R(|HID\\VID_U)=1 F(|HID\\VID_U)=1", "ka.inf=drv\\ka.inf ku.inf=drv\\ku.inf", "INF\\ka.inf INF\\ku.inf"},
    {"XP: the OEM copy by the system's setupapi", "winxp setupapi=native,builtin", "", {kHid}, "",
     "I(HIDClass|INF\\kh.inf|H5|H3|H4|0|1)=1 G(HIDClass|H5|H3)=1 P3000", "kh.inf=drv\\kh.inf", "INF\\kh.inf"},
};
// clang-format on

}  // namespace

TEST(UpdateDrivers, Scenarios) {
  // Copies of the library where it must never come from: the current folder
  // and PATH (and this program's folder, which holds one).
  TempDir decoy("decoy");
  CopyFileOrDie(BinDir() + "\\kqsetup.dll", decoy / "kqsetup.dll");
  char path[8192] = "";
  GetEnvironmentVariableA("PATH", path, sizeof path);
  ScopedEnv onPath("PATH", decoy.path() + ";" + path), pauses("KQPROBE_PAUSES", "log");
  const DriverPauseFn sleepPause = DriverPause;
  const std::string product = WindowsDir().substr(0, 3) + "Program Files\\KQ Test 1.2";
  const std::string systemCopy = SystemDir() + "\\kqsetup.dll";
  const std::string index[] = {Inf("DRVIDX.BIN"), Inf("DRVDATA.BIN")};
  const Files clean = InfFolder("*");
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const bool cd = Has(row.where, "cd"), old = Has(row.where, "old");
    TempDir logs("kq"), media("media");
    ScopedEnv log("KQSETUP_LOG", logs / "log"), config("KQSETUP_CONFIG", logs / "cfg");
    WriteTextFile(logs / "cfg", Replace(row.answers, " ", "\r\n"));
    ScopedUninstallRecords records("KQDriverTest");
    ScopedRegValue run(HKEY_LOCAL_MACHINE, kRunKey, "Keyboard Preload Check", nullptr);
    std::string script = "[Setup]\r\n" + std::string(row.setup) +
                         "ProductName=KQ Test 1/2\r\nUninstallKey=KQDriverTest\r\n" +
                         (row.lines.empty() ? "" : "[Update Driver]\r\n");
    for (size_t i = 0; i < row.lines.size(); ++i)
      script += "k" + std::to_string(i) + "=" + row.lines[i] + "\r\n";
    for (const char* name : {"SETUP98.INI", "SETUPME.INI", "SETUP2K.INI"})
      WriteTextFile(media / name, script);
    for (const auto& [file, attributes] : kMedium)
      Plant(media / file, MediumText(file), attributes);
    if (!Has(row.where, "nolib")) CopyFileOrDie(BinDir() + "\\kqsetup.dll", media / "kqsetup.dll");
    if (Has(row.where, "syslib")) CopyFileOrDie(BinDir() + "\\kqsetup.dll", systemCopy);
    if (Has(row.where, "internet")) WriteFileMakingDirs(Inf("INTERNET\\A3ka.inf"), "newdev's");
    if (old) Plant(product + "\\top.txt", "old", FILE_ATTRIBUTE_READONLY);
    // Earlier copies, which the step must delete, read-only as Windows may leave them.
    for (const std::string& file :
         {Inf("ka.inf"), Inf("kh.inf"), Inf("ku.inf"), Inf("none.inf"), index[0], index[1]})
      Plant(file, ";stale", FILE_ATTRIBUTE_READONLY);
    const Files before = InfFolder("*.inf");

    std::string moduleDir = media.path(), version;
    std::optional<ScopedRegValue> me, dll;
    std::istringstream words(row.where);
    for (std::string word; words >> word;) {
      if (word.rfind("win", 0) == 0) version = word;
      const size_t equals = word.find('=');
      if (equals == std::string::npos) continue;
      // Wine prefers its builtin libraries, where Windows looks in the program's folder first.
      const std::string library = word.substr(0, equals);
      dll.emplace(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\driverprobe.exe\\DllOverrides",
                  library, word.c_str() + equals + 1);
      if (equals + 1 < word.size())
        CopyFileOrDie(BinDir() + "\\kqsetup.dll", media / (library + ".dll"));
    }
    if (!version.empty()) {
      ScopedWineVersion wine("driverprobe.exe", version);
      // Wine tells ME from 98 only by this number.
      if (version == "winme")
        me.emplace(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                   "VersionNumber", "4.90.3000");
      CopyFileOrDie(BinDir() + "\\driverprobe.exe", media / "driverprobe.exe");
      const RunResult r = testing_support::Run(media / "driverprobe.exe", decoy.path(), 60000);
      EXPECT_TRUE(r.finished && r.exitCode == 0) << r.exitCode;
    } else {
      if (cd) {
        EXPECT_TRUE(DefineDriveR(DRIVE_CDROM, UnixPath(moduleDir)));
        moduleDir = "R:";
      }
      ResetSettings(Settings);
      DetectPlatform(GetModuleHandleA(nullptr));
      EXPECT_TRUE(Settings.IsWin2000OrLater && !Settings.IsWinME);
      CopyText(Settings.ModuleDir, moduleDir.c_str());
      EXPECT_TRUE(LoadSetupScript());
      Settings.Preload = Has(row.where, "preload");
      Settings.CallConfigMg = !Settings.Preload;  // as the install worker sets it
      DriverPause = RecordPause;
      UpdateDrivers();
      DriverPause = sleepPause;
      if (cd) DefineDriveR(DRIVE_NO_ROOT_DIR, "");
      EXPECT_STREQ("KQ Test 1/2", Settings.ProductName);
    }

    const auto normalise = [&](std::string s) {
      s = Replace(Replace(Replace(s, product, "P"), moduleDir + "\\", "M\\"), Inf(), "INF\\");
      return s.erase(0, s.find_first_not_of(' '));
    };
    const KqLog kq = ReadKqLog(logs / "log");
    EXPECT_EQ(row.trace, normalise(kq.trace));
    EXPECT_EQ(row.infs, normalise(InfChanges(before)));
    EXPECT_EQ(row.records, normalise(Records()));
    EXPECT_EQ(row.indexFilesKept, PathExists(index[0]) + PathExists(index[1]));
    const std::string library = Has(row.where, "nolib") ? systemCopy : moduleDir + "\\kqsetup.dll";
    for (const std::string& loaded : kq.loads) EXPECT_EQ(library, loaded);
    EXPECT_EQ(kq.loads.size(), kq.frees) << "freed after each use";
    EXPECT_EQ(cd || old, PathExists(product));
    for (const auto& [file, attributes] : kMedium) {
      if (!cd) break;
      const std::string copy = product + "\\" + file;
      EXPECT_EQ(MediumText(file), ReadTextFile(copy));
      EXPECT_EQ(
          0u, GetFileAttributesA(copy.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    }
    for (const auto& [name, text] : InfFolder("*"))
      if (!clean.count(name))
        SetFileAttributesA(Inf(name).c_str(), 0), DeleteFileA(Inf(name).c_str());
    RemoveTree(Inf("INTERNET"));
    RemoveTree(product);
    DeleteFileA(systemCopy.c_str());
  }
}

// Only the length of the default pause is cut here: without the pause a
// device would get no time to settle.
TEST(UpdateDrivers, DefaultPauseSleeps) {
  DriverPauseLimitMs = 200;
  const DWORD start = GetTickCount();
  DriverPause(3000);
  const DWORD took = GetTickCount() - start;
  DriverPauseLimitMs = 0xFFFFFFFFu;
  EXPECT_GE(took, 150u);
  EXPECT_LT(took, 2000u);
}

// Entries whose paths would not fit at the destination are skipped whole,
// never copied under a cut name.
TEST(CopyTree, SkipsEntriesWhosePathsWouldNotFit) {
  TempDir source("src"), destination("dst");
  std::string deep = destination.path();
  while (deep.size() < 120) deep += "\\deeper";
  MakeDirs(deep);
  const std::string longName(250 - source.path().size(), 'n');
  ASSERT_GT(deep.size() + 1 + longName.size(), 259u);
  WriteTextFile(source / longName, "long");
  WriteTextFile(source / "short.txt", "short");
  CopyTree((source.path() + "\\").c_str(), (deep + "\\").c_str());
  EXPECT_EQ("short", ReadTextFile(deep + "\\short.txt"));
  WIN32_FIND_DATAA d;
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA((deep + "\\n*").c_str(), &d));
}
