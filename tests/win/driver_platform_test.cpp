// The way per platform, for real: the probe runs the driver step on the
// Windows version that Wine reports to it, from a media folder holding the
// device support double, and the double's log tells what was called.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/Handles.h"
#include "driver_test_support.h"

using namespace driver_tests;

namespace {

const char* const kProductKey = "KQDriverTest";
const char* const kInfs[] = {"kqkbd.inf", "kqhid.inf", "kqunk.inf"};

const char* const kScript =
    "[Setup]\r\nProductName=KQ Probe Test\r\nUninstallKey=KQDriverTest\r\n"
    "[Update Driver]\r\n"
    "kbd=Keyboard,kqkbd.inf,A3,A4,A5,,legacy\\kqkbd.inf,1,HID\\VID_KQ1,drv\\\r\n"
    "hid=HIDClass,kqhid.inf,B3,B4,B5,,legacy\\kqhid.inf,0,HID\\VID_KQ2,drv\\\r\n"
    "unk=Unknown,kqunk.inf,C3,C4,C5,,legacy\\kqunk.inf,TRUE,HID\\VID_KQ3,drv\\\r\n";

// One probe run on one Windows version, with its own medium, log and
// clean-up of the INF folder and uninstall records.
struct ProbeRun {
  KqSession session;
  Media media{"probe"};
  ScopedInfFolder infs{{kInfs[0], kInfs[1], kInfs[2]}};
  ScopedUninstallRecords records{kProductKey};
  ScopedEnv pauses{"KQPROBE_PAUSES", "log"};
  std::map<std::string, std::string> platform;

  // planted: names under which copies of the double lie on the medium.
  ProbeRun(const std::string& version, const std::string& config,
           const std::vector<std::string>& planted = {}) {
    for (const std::string& name : planted) CopyFileOrDie(BinDir() + "\\kqsetup.dll", media / name);
    media.AddDriverLibrary();
    media.AddProbe();
    media.WriteScript(kScript);
    for (const char* inf : kInfs) {
      media.Write(std::string("drv\\") + inf, InfText(inf));
      media.Write(std::string("legacy\\") + inf, std::string("legacy ") + inf);
    }
    session.Configure(config);
    ScopedWineVersion wineVersion("driverprobe.exe", version);
    // Wine tells ME from 98 only by the registry's version number.
    std::unique_ptr<ScopedRegValue> me;
    if (version == "winme")
      me = std::make_unique<ScopedRegValue>(HKEY_LOCAL_MACHINE,
                                            "Software\\Microsoft\\Windows\\CurrentVersion",
                                            "VersionNumber", "4.90.3000");
    RunResult r = Run("\"" + (media / "driverprobe.exe") + "\"", media.path(), 120000);
    EXPECT_TRUE(r.finished) << version;
    EXPECT_EQ(0u, r.exitCode) << version << ": 2 means no setup script was found";
    for (const KqEvent& e : session.Events())
      if (e.kind == "PLATFORM")
        for (const std::string& f : e.fields)
          platform[f.substr(0, f.find('='))] = f.substr(f.find('=') + 1);
  }
  std::string M(const std::string& relative) const { return media / relative; }
  std::string Cc() { return platform["CC"]; }
  std::string Flags() {
    return "ME=" + platform["ME"] + " 2K=" + platform["2K"] + " NT=" + platform["NT"];
  }
  std::string InstallInf(int n) const {
    for (const KqEvent& e : session.Events())
      if (e.kind == "CALL" && e.fields.at(1) == "InstallPnPDeviceDriver" && n-- == 0)
        return e.fields.at(3);
    return "<no such call>";
  }
};

std::string Install(const std::string& cls, const std::string& inf, const std::string& args,
                    const std::string& cc, int result) {
  return "InstallPnPDeviceDriver(" + cls + "|" + inf + "|" + args + "|" + cc +
         ")=" + std::to_string(result) + " ";
}

const char* const kWaitForUnknown =
    "RemoveAndReenumerateDevice(|HID\\VID_KQ3)=1 FindExistingDevice(|HID\\VID_KQ3)=1";

std::string InfFolder() { return WindowsDir() + "\\inf"; }

}  // namespace

// One Windows version of each way: which flags lead to which way is
// DriverRulesTest's, and each version's flags are startup_e2e_test's.
TEST(DriverWayPerPlatform, Win98InstallsEveryClassButUnknownThenCopiesTheLegacyInf) {
  ProbeRun run("win98", "install=0\r\n");
  EXPECT_EQ("ME=0 2K=0 NT=0", run.Flags());
  const std::string cc = run.Cc();
  EXPECT_EQ(Install("Keyboard", run.M("drv\\kqkbd.inf"), "A5|A3|A4|1", cc, 0) +
                "GetConnectedDeviceNumber(Keyboard|A5|A3)=1 " +
                Install("HIDClass", run.M("drv\\kqhid.inf"), "B5|B3|B4|0", cc, 0) +
                "GetConnectedDeviceNumber(HIDClass|B5|B3)=1 " + kWaitForUnknown,
            run.session.Trace());
  for (const char* inf : kInfs) {
    EXPECT_EQ(std::string("legacy ") + inf, ReadTextFile(InfFolder() + "\\" + inf)) << inf;
    EXPECT_EQ(InfFolder(), run.records.DeleteFiles(inf)) << inf;
  }
  EXPECT_EQ(3u, run.infs.Added().size()) << "the three legacy copies and nothing else";
}

TEST(DriverWayPerPlatform, XPInstallsKeyboardsThenCopiesTheOemInf) {
  {
    ProbeRun run("winxp", "install=0\r\n");
    EXPECT_EQ("ME=0 2K=1 NT=1", run.Flags());
    const std::string cc = run.Cc();
    const std::string oemKbd = run.InstallInf(1), oemHid = run.InstallInf(2);
    EXPECT_EQ(Install("Keyboard", run.M("drv\\kqkbd.inf"), "A5|A3|A4|1", cc, 0) +
                  "GetConnectedDeviceNumber(Keyboard|A5|A3)=1 " +
                  Install("Keyboard", oemKbd, "A5|A3|A4|1", cc, 0) +
                  "GetConnectedDeviceNumber(Keyboard|A5|A3)=1 " +
                  Install("HIDClass", oemHid, "B5|B3|B4|0", cc, 0) +
                  "GetConnectedDeviceNumber(HIDClass|B5|B3)=1 " + kWaitForUnknown,
              run.session.Trace());
    EXPECT_EQ(InfText("kqkbd.inf"), ReadTextFile(oemKbd));
    EXPECT_EQ(InfText("kqhid.inf"), ReadTextFile(oemHid));
    EXPECT_EQ(3u, run.infs.AddedInfs().size()) << "three OEM copies";
    for (const std::string& name : run.infs.AddedInfs())
      EXPECT_EQ(InfFolder(), run.records.DeleteFiles(name)) << name;
  }
  {
    ProbeRun run("winxp", "install=1\r\n");
    const std::string cc = run.Cc();
    EXPECT_EQ(Install("Keyboard", run.M("drv\\kqkbd.inf"), "A5|A3|A4|1", cc, 1) +
                  "GetConnectedDeviceNumber(Keyboard|A5|A3)=1 PAUSE(3000) " +
                  Install("HIDClass", run.InstallInf(1), "B5|B3|B4|0", cc, 1) +
                  "GetConnectedDeviceNumber(HIDClass|B5|B3)=1 PAUSE(3000) " + kWaitForUnknown,
              run.session.Trace())
        << "HIDClass is installed only from the OEM copy";
    EXPECT_EQ(2u, run.infs.AddedInfs().size()) << "the installed keyboard needs no copy";
  }
}

TEST(DriverWayPerPlatform, WinMEInstallsThroughNewdevAndRecordsItsInternetCopy) {
  // Newdev keeps its own copy in "\inf\INTERNET\" as DeviceArg3 + InfName;
  // only copies that exist are recorded.
  const std::string internet = InfFolder() + "\\INTERNET";
  const bool created = CreateDirectoryA(internet.c_str(), nullptr) != FALSE;
  WriteTextFile(internet + "\\A3kqkbd.inf", "kept by newdev");
  WriteTextFile(internet + "\\C3kqunk.inf", "kept by newdev");
  ScopeExit removeInternet([&] {
    DeleteFileA((internet + "\\A3kqkbd.inf").c_str());
    DeleteFileA((internet + "\\C3kqunk.inf").c_str());
    if (created) RemoveDirectoryA(internet.c_str());
  });
  ProbeRun run("winme", "install=1\r\n");
  EXPECT_EQ("ME=1 2K=0 NT=0", run.Flags());
  // Wine's UpdateDriverForPlugAndPlayDevicesA is a stub that reports success
  // for any hardware ID (real Windows fails for a device that is not
  // there), so every line ends after the newdev call and its pause: the
  // device support library is never called on ME's first attempt.
  EXPECT_EQ("PAUSE(3000) PAUSE(3000) PAUSE(3000)", run.session.Trace());
  EXPECT_TRUE(run.infs.AddedInfs().empty()) << "no fallback copy after a positive result";
  EXPECT_EQ((std::vector<std::string>{"A3kqkbd.inf", "C3kqunk.inf"}),
            run.records.DeleteFilesNames());
  EXPECT_EQ(internet, run.records.DeleteFiles("A3kqkbd.inf"));
}

TEST(DriverWayPerPlatform, WinMEWithoutNewdevCopiesTheOemInfWithoutInstalling) {
  // Wine's newdev never fails, so the probe gets none: an empty DLL
  // override disables the library, and a missing library gives 0.
  ScopedRegValue noNewdev(HKEY_CURRENT_USER,
                          "Software\\Wine\\AppDefaults\\driverprobe.exe\\DllOverrides", "newdev",
                          "");
  ProbeRun run("winme", "install=1\r\n");
  EXPECT_EQ("ME=1 2K=0 NT=0", run.Flags());
  EXPECT_EQ(kWaitForUnknown, run.session.Trace())
      << "no install call after the copy on ME; re-enumeration for Unknown";
  std::vector<std::string> copies = run.infs.AddedInfs();
  EXPECT_EQ(3u, copies.size());
  for (const std::string& name : copies) {
    EXPECT_EQ(InfFolder(), run.records.DeleteFiles(name)) << name;
    EXPECT_EQ(0u, ReadTextFile(InfFolder() + "\\" + name).find("[Version]")) << name;
  }
}

TEST(DriverWayPerPlatform, SystemLibrariesPlantedOnTheMediumAreNotLoaded) {
  // A medium (or download folder) carrying its own newdev.dll or
  // setupapi.dll: Setup must still take the system's. The planted one is a
  // copy of the logging double, so loading it shows in the log. Wine
  // prefers its builtin system libraries to a file beside the program where
  // Windows takes the program's folder first, so the test asks Wine to
  // behave like Windows for the probe. One library per run: Wine's newdev
  // itself imports setupapi by name.
  struct Case {
    const char* version;
    const char* library;
  } cases[] = {{"winme", "newdev"}, {"winxp", "setupapi"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    ScopedRegValue nativeFirst(HKEY_CURRENT_USER,
                               "Software\\Wine\\AppDefaults\\driverprobe.exe\\DllOverrides",
                               c.library, "native,builtin");
    ProbeRun run(c.version, "install=0\r\n", {std::string(c.library) + ".dll"});
    for (const KqEvent& e : run.session.Events()) {
      if (e.kind == "LOAD") {
        EXPECT_EQ(run.M("kqsetup.dll"), e.fields.at(0)) << "loaded a planted library";
      }
    }
    if (std::string(c.version) == "winxp") {
      EXPECT_EQ(3u, run.infs.AddedInfs().size()) << "the system's SetupCopyOEMInfA made the copies";
    } else {
      EXPECT_EQ("PAUSE(3000) PAUSE(3000) PAUSE(3000)", run.session.Trace())
          << "the system's newdev answered";
    }
  }
}
