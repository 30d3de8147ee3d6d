// The example media of examples/ installed silently by the real Setup.exe
// under each Windows version Wine can pretend to be: the script Setup picks,
// the programs it starts and stops, the files, registry values, uninstall
// record and driver calls that a vendor's script of that shape gets.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "TestSupport.h"

using namespace testing_support;

namespace {

const std::string kKey = "Software\\Velmorax\\Keyboard";
const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kPreload = "Keyboard Preload Check";
// The device library's install call for the keyboard line, from the INF
// on the media or from the copy Windows made, with CallConfigMg.
std::string Install(const char* inf, const char* callConfigMg, const char* answer) {
  return std::string("InstallPnPDeviceDriver(Keyboard|") + inf +
         "\\VKBD.INF|USB\\VID_2F1A&PID_0101|VELMORAX|KBD|1|" + callConfigMg + ")=" + answer +
         " GetConnectedDeviceNumber(Keyboard|USB\\VID_2F1A&PID_0101|VELMORAX)=";
}
const std::string kFilter =
    " RemoveAndReenumerateDevice(|ROOT\\VFILT)=1 FindExistingDevice(|ROOT\\VFILT)=1";

void CopyTree(const std::string& from, const std::string& to) {
  MakeDirs(to);
  WIN32_FIND_DATAA d;
  HANDLE find = FindFirstFileA((from + "\\*").c_str(), &d);
  ASSERT_NE(INVALID_HANDLE_VALUE, find) << from << ": build the example_media target";
  do {
    std::string name = d.cFileName;
    if (name == "." || name == "..") continue;
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CopyTree(from + "\\" + name, to + "\\" + name);
    else
      CopyFileOrDie(from + "\\" + name, to + "\\" + name);
  } while (FindNextFileA(find, &d));
  FindClose(find);
}

// A REG_SZ value as its text, others as "<type>:<hex bytes>".
std::string RegData(HKEY root, const std::string& key, const std::string& name) {
  BYTE data[1024] = {};
  DWORD type = 0, size = sizeof data - 1;
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return "<none>";
  LONG got = RegQueryValueExA(k, name.c_str(), nullptr, &type, data, &size);
  RegCloseKey(k);
  if (got != ERROR_SUCCESS || type == REG_SZ) return got ? "<none>" : reinterpret_cast<char*>(data);
  std::string out = std::to_string(type) + ":";
  for (DWORD i = 0; i < size; ++i)
    out += {"0123456789abcdef"[data[i] >> 4], "0123456789abcdef"[data[i] & 15]};
  return out;
}

// The device library double's calls, "Name(args)=result" each; a CALL line is
// CALL|time|dll|function|args...|result.
std::string KqTrace(const std::string& log) {
  std::string out;
  std::istringstream in(ReadTextFile(log));
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> f;
    std::istringstream fields(line.substr(0, line.find_last_not_of('\r') + 1));
    for (std::string field; std::getline(fields, field, '|');) f.push_back(field);
    if (f.size() < 5 || f[0] != "CALL") continue;
    out += (out.empty() ? "" : " ") + f[3] + "(";
    for (size_t i = 4; i + 1 < f.size(); ++i) out += (i > 4 ? "|" : "") + f[i];
    out += ")=" + f.back();
  }
  return out;
}

std::set<std::string> InfFiles() {
  std::set<std::string> names;
  WIN32_FIND_DATAA d;
  HANDLE find = FindFirstFileA((WindowsDir() + "\\inf\\*").c_str(), &d);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.insert(d.cFileName);
  while (FindNextFileA(find, &d));
  FindClose(find);
  return names;
}

// What the examples put into the prefix, removed before and after each run.
void ResetPrefix() {
  for (const std::string& f : {SystemDir() + "\\keyb.txt", WindowsDir() + "\\Help\\keybhelp.txt",
                               WindowsDir() + "\\KEYBREAD.TXT"})
    DeleteFileA(f.c_str());
  for (const auto& [root, key] :
       {std::pair(HKEY_LOCAL_MACHINE, "Software\\Velmorax"),
        std::pair(HKEY_CURRENT_USER, "Software\\Velmorax"), std::pair(HKEY_CLASSES_ROOT, ".vkl"),
        std::pair(HKEY_USERS, ".DEFAULT\\Software\\Velmorax")})
    DeleteRegTree(root, key);
}

}  // namespace

TEST(ExampleMedia, SilentInstallOnEachWindowsVersion) {
  // kqConfig: the device library's answers; script: the value the script
  // writes, naming itself; legacyInfs: the filter's legacy INF was copied.
  struct Row {
    const char *version, *media, *args;
    const char* tray;  // what Kill Programs does to the running tray program, "": none runs
    DWORD exitCode;
    const char *kqConfig, *script;
    std::string driverCalls;
    bool legacyInfs;
  } const rows[] = {
      {"win95", "single", "/S /TYPE:USB", "", 0, "install=0", "SETUP95.INI",
       Install("%1%\\Driver", "1", "0") + "1" + kFilter, true},
      // The interface is left to the wizard: a silent run takes its USB, no restart.
      {"win98", "single", "/S /NR", "closed", 0, "connected=0", "SETUP98.INI",
       Install("%1%\\Driver", "1", "1") + "0" + kFilter, true},
      // Preload: the drivers are left to Preload.exe at the next logon, no program is run.
      {"winme", "single", "/S /TYPE:USB /PRELOAD", "", 0, "", "SETUPME.INI", "", false},
      {"nt40", "single", "/S /TYPE:PS2 /NR", "ended", 3010, "install=0", "SETUPNT.INI",
       Install("%1%\\Driver", "0", "0") + "1" + kFilter, true},
      {"win2k", "single", "/H /TYPE:USB", "", 0, "install=0", "SETUP2K.INI",
       Install("%1%\\Driver", "1", "0") + "1 " + Install("%10%\\inf", "1", "0") + "1" + kFilter,
       false},
      {"winxp", "cabinet", "/S", "", 0, "", "<none>", "", false},
  };
  const std::string examples = BinDir() + "\\examples\\", single = examples + "single\\";
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.version) + " " + row.media);
    const bool full = row.media == std::string("single");  // every section, programs too
    ResetPrefix();
    ScopedWineVersion version("Setup.exe", row.version);
    // Wine tells ME from 98 by the registry only, and its newdev reports
    // success for any device: without it ME falls back as on Windows.
    const bool me = row.version == std::string("winme");
    ScopedRegValue number(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                          "VersionNumber", me ? "4.90.3000" : nullptr);
    ScopedRegValue newdev(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Setup.exe\\DllOverrides",
                          "newdev", me ? "" : nullptr);
    ScopedRegValue nt(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", "00000409");
    ScopedRegValue w9x(HKEY_CURRENT_USER, "Control Panel\\Desktop\\ResourceLocale", "", "00000409");
    ScopedUninstallRecords records("VelmoraxKeyboard");
    for (const char* inf : {"VKBD.INF", "VFILT.INF"})
      DeleteFileA((WindowsDir() + "\\inf\\" + inf).c_str());
    const std::set<std::string> infsBefore = InfFiles();
    ScopedRegValue run(HKEY_LOCAL_MACHINE, kRunKey, kPreload, nullptr);
    const bool preload = std::string(row.args).find("/PRELOAD") != std::string::npos;
    TempDir kq("kq");
    ScopedEnv kqLog("KQSETUP_LOG", kq / "log"), kqConfig("KQSETUP_CONFIG", kq / "cfg");
    WriteTextFile(kq / "cfg", row.kqConfig);
    TempDir trayLog("tray");
    HANDLE tray = nullptr;
    if (*row.tray) {
      ScopedEnv log("SETUP_TEST_LOG", trayLog / "log");
      tray = Start(
          "\"" + BinDir() + "\\windowprog.exe\" VelmoraxTrayClass \"Velmorax Keyboard Tray\"", "");
      ASSERT_EQ(1u, WaitForLog(trayLog / "log", 1, 5000).size());
    }
    SetupMedia m(row.media);
    CopyTree(examples + row.media, m.media());
    m.AddDouble("Tools\\check.exe");
    m.AddDouble("Tools\\welcome.exe");
    CopyFileOrDie(BinDir() + "\\kqsetup.dll", m.media() + "\\kqsetup.dll");

    const size_t programs = full ? (preload ? 1 : 2) : 0;
    const DWORD exitCode = m.RunSetup(row.args, programs);
    ASSERT_NE(kStillRunning, exitCode);
    EXPECT_EQ(row.exitCode, exitCode);
    for (const auto& [source, installed] :
         {std::pair("keyb.txt", SystemDir() + "\\keyb.txt"),
          std::pair("keybhelp.txt", WindowsDir() + "\\Help\\keybhelp.txt"),
          std::pair("Docs\\readme.txt", WindowsDir() + "\\KEYBREAD.TXT")})
      EXPECT_EQ(ReadTextFile(single + source), ReadTextFile(installed)) << installed;
    EXPECT_EQ(row.script, RegData(HKEY_LOCAL_MACHINE, kKey, "Script"));
    EXPECT_EQ(SystemDir() + "\\keyb.txt", RegData(HKEY_LOCAL_MACHINE, kKey, "Path"));
    EXPECT_EQ(full ? "Velmorax Comfort Keyboard Driver" : "Velmorax Comfort Keyboard",
              RegText(HKEY_LOCAL_MACHINE, records.Product(), "DisplayName"));
    EXPECT_EQ(SystemDir(), records.DeleteFiles("keyb.txt"));
    EXPECT_EQ(WindowsDir(), records.DeleteFiles("KEYBREAD.TXT"));
    EXPECT_EQ("Path",
              RegText(HKEY_LOCAL_MACHINE, records.Product() + "\\DeleteRegs\\HKEY_LOCAL_MACHINE",
                      kKey + "\\\\Path"));

    std::string calls = KqTrace(kq / "log");
    for (const auto& [path, token] : {std::pair(m.media(), "%1%"), std::pair(WindowsDir(), "%10%")})
      for (size_t at; (at = calls.find(path)) != std::string::npos;)
        calls.replace(at, path.size(), token);
    EXPECT_EQ(row.driverCalls, calls);
    EXPECT_EQ(row.legacyInfs, ReadTextFile(single + "Driver\\VFILT95.INF") ==
                                  ReadTextFile(WindowsDir() + "\\inf\\VFILT.INF"));
    std::set<std::string> added = InfFiles();
    for (const std::string& n : infsBefore) added.erase(n);
    size_t addedInfs = 0;
    for (const std::string& n : added) {
      addedInfs += SameText(n.substr(n.find_last_of('.') + 1), "inf");
      DeleteFileA((WindowsDir() + "\\inf\\" + n).c_str());
    }
    EXPECT_EQ(full && !preload ? 2u : 0u, addedInfs);
    // The last line's registration stands.
    EXPECT_EQ(preload ? m.media() +
                            "\\Preload.exe /DEVID:ROOT\\VFILT /CLASS:Unknown "
                            "/RunValue:\"Keyboard Preload Check\""
                      : "<none>",
              RegData(HKEY_LOCAL_MACHINE, kRunKey, kPreload));
    if (!full) continue;

    if (*row.tray) {
      EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(tray, 5000)) << "the tray program still runs";
      CloseHandle(tray);
      EXPECT_EQ(row.tray == std::string("closed"),
                FindLine(ReadLog(trayLog / "log"), "CLOSE", "windowprog.exe") != nullptr);
    }
    std::vector<LogLine> starts = Starts(m.Lines());
    ASSERT_EQ(programs, starts.size()) << ReadTextFile(m.log());
    EXPECT_EQ("\"" + m.media() +
                  "\\Tools\\check.exe\" /check /from=Comfort Keyboard Setup /skip=USB, PS2",
              starts[0].commandLine);
    if (!preload) {
      EXPECT_NE(std::string::npos,
                starts[1].commandLine.find("welcome.exe\" \"Comfort Keyboard Setup ready\""))
          << starts[1].commandLine;
      EXPECT_EQ(m.media() + "\\Tools", starts[1].cwd);
    }
    // The registry file is imported by a program Setup does not wait for.
    for (DWORD t = GetTickCount();
         RegData(HKEY_CURRENT_USER, kKey + "\\Layout", "Name") == "<none>" &&
         GetTickCount() - t < 5000;)
      Sleep(50);
    const struct {
      HKEY root;
      std::string key, name, data;
    } values[] = {
        {HKEY_CURRENT_USER, kKey + "\\Layout", "Name", "US English"},
        {HKEY_CURRENT_USER, kKey, "", "Velmorax Comfort Keyboard, USB"},
        {HKEY_CURRENT_USER, kKey, "LastLayout", ""},
        {HKEY_CURRENT_USER, kKey, "RepeatDelay", "4:1e000000"},
        {HKEY_CURRENT_USER, kKey, "RepeatRate", "4:ffffffff"},  // a lone byte is signed
        {HKEY_CURRENT_USER, kKey, "HotKeys", "3:5b002a00"},
        {HKEY_CLASSES_ROOT, ".vkl", "", "Velmorax.Layout"},
        {HKEY_USERS, ".DEFAULT\\" + kKey, "Installed", "yes"},
    };
    for (const auto& v : values)
      EXPECT_EQ(v.data, RegData(v.root, v.key, v.name)) << v.key << "\\" << v.name;
  }
  ResetPrefix();
}
