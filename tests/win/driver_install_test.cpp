// The driver step end to end: each row runs the probe (the step as Setup runs it) on a medium with
// the device support double and compares its log, the INF folder, the records and the Run key.
#include <windows.h>
#include <winioctl.h>

#include <cstring>

#include "TestSupport.h"
#include "driver/DriverInstall.h"

using namespace testing_support;
using Files = std::map<std::string, std::string>;

namespace {

const std::string kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kProductKey = std::string(kUninstallRoot) + "KQDriverTest";
const std::string kProduct = "KQ Test 1/2, a product whose name makes its folder deep enough";

std::string Inf(const std::string& name = "") { return WindowsDir() + "\\inf\\" + name; }
std::string Times(int n, const std::string& s) { return n ? s + Times(n - 1, s) : ""; }

std::string MediumText(const std::string& file) {  // drv\ holds INFs as setupapi accepts them
  return (file.rfind("drv", 0) == 0 ? "[Version]\r\nSignature=\"$Chicago$\"\r\n;" : ";") + file;
}

Files InfFolder() {
  Files files;
  for (const auto& entry : std::filesystem::directory_iterator(Inf()))
    files[entry.path().filename().string()] = ReadTextFile(entry.path().string());
  return files;
}

// "name=tag" for each INF written (with normal attributes), "name=-" for each deleted.
std::string InfChanges(const Files& old) {
  Files after = InfFolder(), all = after;
  all.insert(old.begin(), old.end());
  std::string out;
  for (const auto& [name, text] : all) {
    const bool gone = !after.count(name), same = !gone && old.count(name) && old.at(name) == text;
    if (same || !SameText(name.substr(name.find_last_of('.') + 1), "inf")) continue;
    out += " " + name + "=" + (gone ? "-" : text.substr(text.rfind(';') + 1));
    EXPECT_TRUE(gone || !(GetFileAttributesA(Inf(name).c_str()) & FILE_ATTRIBUTE_READONLY));
  }
  return out;
}

// DeleteFiles and DeleteDirectory as data\name, then "run" and the preload registration.
std::string Records() {
  std::string out;
  for (const std::string list : {"\\DeleteFiles", "\\DeleteDirectory"})
    for (const std::string& n : RegValueNames(HKEY_LOCAL_MACHINE, kProductKey + list))
      out += " " + RegText(HKEY_LOCAL_MACHINE, kProductKey + list, n) + "\\" + n;
  const std::string run = RegText(HKEY_LOCAL_MACHINE, kRunKey, "Keyboard Preload Check");
  return run == "<no value>" ? out : out + " run " + run;
}

// The double's calls (from `library`) as I(...), G(...), R(...), F(...) with results; pauses P<ms>.
std::string Trace(const std::string& log, const std::string& library) {
  std::string trace;
  std::istringstream in(Replace(ReadTextFile(log), "\r", ""));
  for (std::string line; std::getline(in, line);) {
    const std::string kind = line.substr(0, line.find('|'));
    const std::string rest = line.substr(line.find('|', kind.size() + 1) + 1);
    if (kind == "PAUSE") trace += " P" + rest;
    if (kind != "CALL") continue;
    const size_t fn = rest.find('|') + 1, args = rest.find('|', fn) + 1, result = rest.rfind('|');
    EXPECT_EQ(library, rest.substr(0, fn - 1));
    trace += " " + rest.substr(fn, 1) + "(" + rest.substr(args, result - args) +
             ")=" + rest.substr(result + 1);
  }
  return trace;
}

// Drive R: on this folder (none: removed) by Wine's mount manager, as winecfg defines it: size,
// type, file system, serial, device (8 bytes), letter and mount point offset, two more offsets,
// the mount point (the folder's host path, by Wine's own export) at byte 32.
bool DefineDriveR(UINT type, const std::string& folder) {
  auto toUnix = reinterpret_cast<char*(CDECL*)(LPCWSTR)>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
  const std::wstring wide(folder.begin(), folder.end());  // an ASCII path
  char* unix = folder.empty() || !toUnix ? nullptr : toUnix(wide.c_str());
  DWORD drive[80] = {sizeof drive, type, 0, 0, 0, 0, 'r' | (unix ? 32u << 16 : 0)};
  if (unix) lstrcpynA(reinterpret_cast<char*>(drive + 8), unix, 250);
  HeapFree(GetProcessHeap(), 0, unix);
  UniqueFile mm(CreateFileA("\\\\.\\MountPointManager", GENERIC_ALL,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr));
  DWORD got = 0;
  return DeviceIoControl(mm.get(),
                         CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS),
                         drive, sizeof drive, nullptr, 0, &got, nullptr);
}

// clang-format off
// The medium: read-only, hidden and two levels deep; a file's tag follows its last ';'.
const std::map<std::string, DWORD> kMedium = {
    {"hidden.txt", FILE_ATTRIBUTE_HIDDEN}, {"a\\b\\c.txt", FILE_ATTRIBUTE_READONLY},
    {"legacy\\la.inf", FILE_ATTRIBUTE_READONLY}, {"legacy\\lu.inf", 0},
    {"drv\\ka.inf", 0}, {"drv\\kh.inf", 0}, {"drv\\ku.inf", 0}};
// version: Wine's name of the Windows. dll: a copy of the double planted on the medium as that
//   library, which Wine is told to prefer to its builtin one, as Windows would.
// where: preload; cd: the medium on a CD-ROM; old: the product folder exists; nolib, syslib: no
//   kqsetup.dll on the medium, one in the system folder; internet: newdev's copy of ka.inf exists;
//   noname: the script names no product folder (its first ProductName wins).
// setup: [Setup] lines; answers: the double's, a key a word; M is the medium, P the product
//   folder, INF the INF folder. Wine's SetupCopyOEMInfA keeps the source's name.
struct Row {
  const char *name, *version, *dll, *where, *setup;
  std::vector<const char*> lines;
  const char* answers;
  std::string trace, infs, records;
  int indexFilesKept = 0;
};
const char* const kKbd = "Keyboard,ka.inf,A3,A4,A5,,,1,ID_A,drv\\";
const char* const kHid = "HIDClass,kh.inf,H3,H4,H5,,,0,ID_H,drv\\";
const char* const kUnknown = "Unknown,ku.inf,U3,U4,U5,,,1,ID_U,drv\\";
const std::string kPreload =
    "\\Preload.exe\" /DEVID:ID_A /CLASS:Keyboard /RunValue:\"Keyboard Preload Check\"";
const std::string kFirstTry = "I(Keyboard|M\\drv\\ka.inf|A5|A3|A4|1|0)=0 G(Keyboard|A5|A3)=1";
const Row kRows[] = {
    {"2000: a positive result pauses and ends the line, zero falls back to the OEM copy", "win2k",
     "setupapi", "syslib", "", {kKbd, "keyboard,kh.inf,H3,H4,H5,six,,true,ID_H,drv\\"},
     "install=2,0,4", "I(Keyboard|M\\drv\\ka.inf|A5|A3|A4|1|1)=2 G(Keyboard|A5|A3)=1 P3000 "
     "I(keyboard|M\\drv\\kh.inf|H5|H3|H4|1|1)=0 G(keyboard|H5|H3)=1 "
     "I(keyboard|INF\\kh.inf|H5|H3|H4|1|1)=4 G(keyboard|H5|H3)=1 P3000",
     "kh.inf=drv\\kh.inf", "INF\\kh.inf"},
    {"2000, preload, fixed disk, library in the system folder: no device connected, none installed",
     "win2k", nullptr, "preload nolib syslib", "DeleteINFIndex=no\r\n", {kKbd},
     "install=1 connected=0", "I(Keyboard|M\\drv\\ka.inf|A5|A3|A4|1|0)=1 G(Keyboard|A5|A3)=0",
     "ka.inf=-", "run \"M" + kPreload, 2},
    {"2000 without the library: nothing from the current folder", "win2k", nullptr, "nolib", "",
     {kKbd}, "", "", "ka.inf=drv\\ka.inf", "INF\\ka.inf"},
    {"2000: a failed copy ends the line; Unknown waits up to 30 times", "win2k", nullptr, "", "",
     {"Unknown,none.inf,,,,,,0,ID_N,", kUnknown, "Unknown,kh.inf,,,,,,0,ID_H,drv\\"},
     "remove=0,1 find_after=0", "R(|ID_U)=0 R(|ID_H)=1" + Times(30, " F(|ID_H)=0 P1000"),
     "kh.inf=drv\\kh.inf ku.inf=drv\\ku.inf none.inf=-", "INF\\kh.inf INF\\ku.inf"},
    {"no Update Driver section", "win2k", nullptr, "", "", {}, "", "", "", ""},
    {"2000, preload, from a CD-ROM: copied to a new product folder", "win2k", nullptr, "preload cd",
     "", {kKbd}, "install=0", kFirstTry, "ka.inf=-", "1\\P run \"P" + kPreload},
    {"2000, preload, from a CD-ROM, a product name no folder can have: read from the CD", "win2k",
     nullptr, "preload cd noname", "ProductName=Kbd <USB>\r\n", {kKbd}, "install=0", kFirstTry,
     "ka.inf=-", "run \"M" + kPreload},
    {"2000, preload, from a CD-ROM to an existing product folder", "win2k", nullptr,
     "preload cd old", "", {kKbd}, "install=0", kFirstTry, "ka.inf=-", "run \"P" + kPreload},
    {"2000 from a CD-ROM without uninstall key: HIDClass installs from the OEM copy only", "win2k",
     nullptr, "cd", "UninstallKey=\r\n", {kHid}, "",
     "I(HIDClass|INF\\kh.inf|H5|H3|H4|0|1)=1 G(HIDClass|H5|H3)=1 P3000", "kh.inf=drv\\kh.inf", ""},
    {"95: every class but Unknown installs first, then the legacy copy", "win95", nullptr, "",
     "DeleteINFIndex=true\r\n", {"HIDClass,kh.inf,H3,H4,H5,,legacy\\la.inf,0,ID_H,",
     "Unknown,ku.inf,U3,U4,U5,,legacy\\lu.inf,0,ID_U,", "Unknown,kb.inf,,,,,,0,ID_B,",
     "Unknown,,E3,E4,E5,,legacy\\la.inf,0,ID_E,"}, "install=0 find_after=3",
     "I(HIDClass|M\\kh.inf|H5|H3|H4|0|1)=0 G(HIDClass|H5|H3)=1 R(|ID_U)=1 F(|ID_U)=0 P1000 "
     "F(|ID_U)=0 P1000 F(|ID_U)=1 R(|ID_E)=1 F(|ID_E)=1",
     "kh.inf=legacy\\la.inf ku.inf=legacy\\lu.inf", "INF\\kh.inf INF\\ku.inf"},
    {"ME: the system's newdev installs; its own copy is recorded when it exists", "winme",
     "newdev", "internet", "", {kKbd, kUnknown}, "", "P3000 P3000", "",
     "INF\\INTERNET\\A3ka.inf"},
};
// clang-format on

}  // namespace

TEST(UpdateDrivers, Scenarios) {
  ScopedEnv pauses("KQPROBE_PAUSES", "log");
  // Wine tells ME from 98 only by this number, which no other version reads.
  ScopedRegValue me(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                    "VersionNumber", "4.90.3000");
  const std::string product =
      WindowsDir().substr(0, 3) + "Program Files\\" + Replace(kProduct, "/", ".");
  const std::string systemCopy = SystemDir() + "\\kqsetup.dll";
  const std::string index[] = {Inf("DRVIDX.BIN"), Inf("DRVDATA.BIN")};
  const Files clean = InfFolder();
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const auto has = [&](const char* word) { return std::strstr(row.where, word); };
    TempDir logs("kq"), media("media");
    ScopedEnv log("KQSETUP_LOG", logs / "log"), config("KQSETUP_CONFIG", logs / "cfg");
    WriteTextFile(logs / "cfg", Replace(row.answers, " ", "\r\n"));
    DeleteRegTree(HKEY_LOCAL_MACHINE, kProductKey);
    ScopedRegValue run(HKEY_LOCAL_MACHINE, kRunKey, "Keyboard Preload Check", nullptr);
    std::string script = "[Setup]\r\n" + std::string(row.setup) + "ProductName=" + kProduct +
                         "\r\nUninstallKey=KQDriverTest\r\n" +
                         (row.lines.empty() ? "" : "[Update Driver]\r\n");
    for (const char* line : row.lines)  // under key names that are only unique
      script += std::to_string(script.size()) + "=" + line + "\r\n";
    for (const char* name : {"SETUP95.INI", "SETUPME.INI", "SETUP2K.INI"})
      WriteTextFile(media / name, script);
    for (const auto& [file, attributes] : kMedium)
      WriteTextFile(media / file, MediumText(file), attributes);
    // Fits on the medium, not below the product folder (its name is long): skipped, never cut.
    const std::string longName(250 - media.path().size(), 'n');
    WriteTextFile(media / longName, "long");
    CopyFileOrDie(BinDir() + "\\driverprobe.exe", media / "driverprobe.exe");
    if (!has("nolib")) CopyFileOrDie(BinDir() + "\\kqsetup.dll", media / "kqsetup.dll");
    if (has("syslib")) CopyFileOrDie(BinDir() + "\\kqsetup.dll", systemCopy);
    if (has("internet")) WriteTextFile(Inf("INTERNET\\A3ka.inf"), "newdev's");
    // Earlier copies, which the step must delete or replace, read-only as Windows may leave them.
    for (const std::string& file :
         {Inf("ka.inf"), Inf("kh.inf"), Inf("ku.inf"), Inf("none.inf"), index[0], index[1],
          has("old") ? product + "\\a\\b\\c.txt" : index[0]})
      WriteTextFile(file, ";stale", FILE_ATTRIBUTE_READONLY);
    const Files before = InfFolder();

    const std::string wine = "Software\\Wine\\AppDefaults\\driverprobe.exe",
                      dll = row.dll ? row.dll : "newdev";
    ScopedRegValue version(HKEY_CURRENT_USER, wine, "Version", row.version);
    ScopedRegValue order(HKEY_CURRENT_USER, wine + "\\DllOverrides", dll,
                         row.dll ? "native,builtin" : nullptr);
    if (row.dll) CopyFileOrDie(BinDir() + "\\kqsetup.dll", media / (dll + ".dll"));
    EXPECT_TRUE(!has("cd") || DefineDriveR(DRIVE_CDROM, media.path()));
    const std::string moduleDir = has("cd") ? "R:" : media.path();
    // From this program's folder, where a search by bare name would find the double.
    const std::string probe = moduleDir + "\\driverprobe.exe" + (has("preload") ? " /PRELOAD" : "");
    EXPECT_EQ(0u, FinishProcess(Start(probe, BinDir()), 60000));
    if (has("cd")) DefineDriveR(DRIVE_NO_ROOT_DIR, "");

    const auto normalise = [&](std::string s) {
      s = Replace(Replace(Replace(s, product, "P"), moduleDir + "\\", "M\\"), Inf(), "INF\\");
      return s.erase(0, s.find_first_not_of(' '));
    };
    const std::string loadedFrom = has("nolib") ? systemCopy : moduleDir + "\\kqsetup.dll";
    EXPECT_EQ(row.trace, normalise(Trace(logs / "log", loadedFrom)));
    EXPECT_EQ(row.infs, normalise(InfChanges(before)));
    EXPECT_EQ(row.records, normalise(Records()));
    EXPECT_EQ(row.indexFilesKept, PathExists(index[0]) + PathExists(index[1]));
    const bool copied = has("cd") && !has("noname");
    EXPECT_EQ(copied || has("old"), PathExists(product));
    EXPECT_FALSE(PathExists(WindowsDir().substr(0, 3) + "Program Files\\driverprobe.exe"));
    for (const auto& [file, attributes] : copied ? kMedium : std::map<std::string, DWORD>{}) {
      EXPECT_EQ(MediumText(file), ReadTextFile(product + "\\" + file));
      EXPECT_EQ(0u, GetFileAttributesA((product + "\\" + file).c_str()) & (attributes | 1)) << file;
    }
    WIN32_FIND_DATAA found;
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA((product + "\\nnn*").c_str(), &found));

    for (const auto& [name, text] : InfFolder())
      if (!clean.count(name)) RemoveTree(Inf(name));
    for (const std::string& path : {Inf("INTERNET"), product, systemCopy}) RemoveTree(path);
    DeleteRegTree(HKEY_LOCAL_MACHINE, kProductKey);
  }
}

// The pause itself, cut short here: without it a device gets no time to settle.
TEST(UpdateDrivers, DefaultPauseSleeps) {
  DriverPauseLimitMs = 200;
  const DWORD start = GetTickCount();
  DriverPause(3000);
  EXPECT_GE(GetTickCount() - start, 150u);
  DriverPauseLimitMs = 0xFFFFFFFFu;
}
