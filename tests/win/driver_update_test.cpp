// UpdateDrivers in this test program, on the Windows that Wine reports to
// it (2000 or later) unless a test sets the platform flags itself: the
// outcomes of the first attempt, the device wait, the index files, the OEM
// INF copy through Wine's setupapi and the legacy INF copy.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver_test_support.h"

using namespace driver_tests;

namespace {

const char* const kProductKey = "KQDriverTest";

std::string Script(const std::vector<std::string>& lines, const std::string& setup = "") {
  std::string text = "[Setup]\r\nProductName=KQ Driver Test\r\n" + setup + "[Update Driver]\r\n";
  for (size_t i = 0; i < lines.size(); ++i) text += std::to_string(i + 1) + "=" + lines[i] + "\r\n";
  return text;
}

// A media folder on drive C: (a fixed disk) with the double and the script.
struct Fixture {
  KqSession session;
  Media media;
  ScopedPauseRecorder pauses;
  explicit Fixture(const std::vector<std::string>& lines, const char* uninstallKey = kProductKey) {
    media.AddDriverLibrary();
    media.WriteScript(Script(lines));
    UseSettings(media.path(), media / "SETUP2K.INI", "KQ Driver Test", uninstallKey);
    Settings.CallConfigMg = 1;
  }
  void Run() { UpdateDrivers(); }
  std::string M(const std::string& relative) const { return media / relative; }
};

std::string FindExpected(int zeros, bool found) {
  std::string out;
  for (int i = 0; i < zeros; ++i) out += " FindExistingDevice(|HID\\VID_U)=0 PAUSE(1000)";
  if (found) out += " FindExistingDevice(|HID\\VID_U)=1";
  return out;
}

// The INF argument of the n-th (0-based) install call in the log.
std::string InstallInf(const std::vector<KqEvent>& events, int n) {
  for (const KqEvent& e : events)
    if (e.kind == "CALL" && e.fields.at(1) == "InstallPnPDeviceDriver" && n-- == 0)
      return e.fields.at(3);
  return "<no such call>";
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }
std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

}  // namespace

TEST(UpdateDrivers, PositiveResultPausesNegativeEndsTheLineZeroFallsBack) {
  ScopedInfFolder infs({"kqa.inf", "kqb.inf", "kqc.inf"});
  Fixture f({"Keyboard,kqa.inf,A3,A4,A5,,,1,HID\\VID_A,drv\\",
             "Keyboard,kqb.inf,B3,B4,B5,,,0,HID\\VID_B,drv\\",
             "keyboard, kqc.inf ,C3,C4,C5,six,,true,HID\\VID_C,drv\\"});
  ASSERT_EQ(1, Settings.IsWin2000OrLater) << "this program runs as Windows 2000 or later";
  for (const char* inf : {"kqa.inf", "kqb.inf", "kqc.inf"})
    f.media.Write(std::string("drv\\") + inf, InfText(inf));
  f.session.Configure("install=2,-1,0,4\r\nconnected=1\r\n");
  f.Run();
  std::vector<std::string> oem = infs.AddedInfs();
  ASSERT_EQ(1u, oem.size()) << "only the line that gave 0 falls back";
  const std::string oemPath = InstallInf(f.session.Events(), 3);
  EXPECT_EQ("InstallPnPDeviceDriver(Keyboard|" + f.M("drv\\kqa.inf") +
                "|A5|A3|A4|1|1)=2 "
                "GetConnectedDeviceNumber(Keyboard|A5|A3)=1 PAUSE(3000) "
                "InstallPnPDeviceDriver(Keyboard|" +
                f.M("drv\\kqb.inf") +
                "|B5|B3|B4|0|1)=-1 "
                "GetConnectedDeviceNumber(Keyboard|B5|B3)=1 "
                "InstallPnPDeviceDriver(keyboard|" +
                f.M("drv\\kqc.inf ") +
                "|C5|C3|C4|1|1)=0 "
                "GetConnectedDeviceNumber(keyboard|C5|C3)=1 "
                "InstallPnPDeviceDriver(keyboard|" +
                oemPath +
                "|C5|C3|C4|1|1)=4 "
                "GetConnectedDeviceNumber(keyboard|C5|C3)=1 PAUSE(3000)",
            f.session.Trace());
}

TEST(UpdateDrivers, NoConnectedDeviceForcesTheFallback) {
  ScopedInfFolder infs({"kqk.inf"});
  Fixture f({"Keyboard,kqk.inf,K3,K4,K5,,,0,HID\\VID_K,"});
  f.media.Write("kqk.inf", InfText("kqk"));
  f.session.Configure("install=1\r\nconnected=0,1\r\n");
  f.Run();
  const std::string oemPath = InstallInf(f.session.Events(), 1);
  EXPECT_EQ("InstallPnPDeviceDriver(Keyboard|" + f.M("kqk.inf") +
                "|K5|K3|K4|0|1)=1 "
                "GetConnectedDeviceNumber(Keyboard|K5|K3)=0 "
                "InstallPnPDeviceDriver(Keyboard|" +
                oemPath +
                "|K5|K3|K4|0|1)=1 "
                "GetConnectedDeviceNumber(Keyboard|K5|K3)=1 PAUSE(3000)",
            f.session.Trace());
  EXPECT_EQ(1u, infs.AddedInfs().size());
}

TEST(UpdateDrivers, UnknownClassNeverInstallsAndWaitsForTheDevice) {
  ScopedInfFolder infs({"kqu.inf"});
  ScopedUninstallRecords records(kProductKey);
  Fixture f({"Unknown,kqu.inf,U3,U4,U5,,,1,HID\\VID_U,"});
  f.media.Write("kqu.inf", InfText("kqu"));

  f.session.Configure("find_after=3\r\n");
  f.Run();
  EXPECT_EQ("RemoveAndReenumerateDevice(|HID\\VID_U)=1" + FindExpected(2, true), f.session.Trace())
      << "the wait ends at the first non-zero answer";

  f.session.Clear();
  f.session.Configure("find_after=0\r\n");
  f.Run();
  EXPECT_EQ("RemoveAndReenumerateDevice(|HID\\VID_U)=1" + FindExpected(30, false),
            f.session.Trace())
      << "a device that never shows stops the wait after 30 tries";

  f.session.Clear();
  f.session.Configure("remove=0\r\n");
  f.Run();
  EXPECT_EQ("RemoveAndReenumerateDevice(|HID\\VID_U)=0", f.session.Trace());
}

// The default pause sleeps, only after a positive result; its length (3 s)
// is in the recorded traces. Here it is cut to 0.6 s.
TEST(UpdateDrivers, PausesOnlyAfterAPositiveResult) {
  ScopedInfFolder infs({"kqp.inf"});
  KqSession session;
  Media media;
  media.AddDriverLibrary();
  media.WriteScript(
      Script({"Keyboard,kqp.inf,1,,,,,,HID\\VID_P,", "Keyboard,kqp.inf,2,,,,,,HID\\VID_P,",
              "Keyboard,kqp.inf,3,,,,,,HID\\VID_P,"}));
  UseSettings(media.path(), media / "SETUP2K.INI", "KQ", "");
  session.Configure("install=1,-1,-1\r\n");
  DriverPauseLimitMs = 600;
  UpdateDrivers();  // real pauses
  DriverPauseLimitMs = 0xFFFFFFFFu;
  std::vector<unsigned long long> installs, connected;
  for (const KqEvent& e : session.Events()) {
    if (e.kind != "CALL") continue;
    (e.fields.at(1) == "InstallPnPDeviceDriver" ? installs : connected).push_back(e.ms);
  }
  ASSERT_EQ(3u, installs.size()) << session.Trace();
  ASSERT_EQ(3u, connected.size());
  EXPECT_GE(installs[1] - connected[0], 590u) << "after the positive result";
  EXPECT_LT(installs[2] - connected[1], 400u) << "after the negative result";
}

TEST(UpdateDrivers, DeletesTheIndexFilesUnlessTheScriptSaysOtherwise) {
  const std::string idx = WindowsDir() + "\\INF\\DRVIDX.BIN";
  const std::string data = WindowsDir() + "\\INF\\DRVDATA.BIN";
  struct Case {
    const char* setupLine;
    bool deleted;
  } cases[] = {{"", true},
               {"DeleteINFIndex=TRUE\r\n", true},
               {"DeleteINFIndex=true\r\n", true},
               {"DeleteINFIndex=FALSE\r\n", false},
               {"DeleteINFIndex=no\r\n", false}};
  for (const Case& c : cases) {
    KqSession session;
    Media media;
    media.AddDriverLibrary();
    // No "Update Driver" section at all.
    media.WriteScript("[Setup]\r\nProductName=KQ\r\n" + std::string(c.setupLine));
    UseSettings(media.path(), media / "SETUP2K.INI", "KQ", "");
    for (const std::string& p : {idx, data}) {
      WriteTextFile(p, "index");
      SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    UpdateDrivers();
    EXPECT_EQ(!c.deleted, PathExists(idx)) << "'" << c.setupLine << "'";
    EXPECT_EQ(!c.deleted, PathExists(data)) << "'" << c.setupLine << "'";
    EXPECT_EQ("", session.LogText()) << "no line, no call";
    for (const std::string& p : {idx, data}) {
      SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(p.c_str());
    }
  }
}

TEST(UpdateDrivers, OemCopyThroughSetupapiInstallsAndRecordsTheNameWindowsGave) {
  ScopedInfFolder infs({"kqh.inf"});
  ScopedUninstallRecords records(kProductKey);
  Fixture f({"HIDClass,kqh.inf,H3,H4,H5,,,0,HID\\VID_H,drv\\sub\\"});
  f.media.Write("drv\\sub\\kqh.inf", InfText("kqh"));
  const std::string stale = WindowsDir() + "\\inf\\kqh.inf";
  WriteTextFile(stale, "stale copy");
  SetFileAttributesA(stale.c_str(), FILE_ATTRIBUTE_READONLY);
  f.session.Configure("install=1\r\n");
  f.Run();

  // Windows names the copy oemN.inf; Wine's SetupCopyOEMInfA keeps the
  // source's name. Either way the name comes back from the call, and a
  // read-only earlier copy must not be left in its way.
  const std::string oemPath = InstallInf(f.session.Events(), 0);
  std::vector<std::string> oem = infs.AddedInfs();
  ASSERT_EQ(1u, oem.size()) << oemPath;
  EXPECT_TRUE(EqualsNoCase(NameOf(oemPath).c_str(), oem[0].c_str())) << oemPath << " vs " << oem[0];
  EXPECT_TRUE(EqualsNoCase(FolderOf(oemPath).c_str(), (WindowsDir() + "\\inf").c_str())) << oemPath;
  EXPECT_EQ(InfText("kqh"), ReadTextFile(oemPath));
  EXPECT_NE("stale copy", ReadTextFile(stale)) << "the earlier copy is gone";
  EXPECT_EQ("InstallPnPDeviceDriver(HIDClass|" + oemPath +
                "|H5|H3|H4|0|1)=1 "
                "GetConnectedDeviceNumber(HIDClass|H5|H3)=1 PAUSE(3000)",
            f.session.Trace())
      << "not the first attempt on 2000 and later: only after the copy, with Windows' name";
  EXPECT_EQ(FolderOf(oemPath), records.DeleteFiles(NameOf(oemPath)));
  EXPECT_EQ(FolderOf(oemPath), records.SharedFile(NameOf(oemPath)));
  EXPECT_EQ(std::vector<std::string>{NameOf(oemPath)}, records.DeleteFilesNames());
}

TEST(UpdateDrivers, OemCopyWithoutUninstallKeyRecordsNothing) {
  ScopedInfFolder infs({"kqh.inf"});
  ScopedUninstallRecords records(kProductKey);
  Fixture f({"HIDClass,kqh.inf,H3,H4,H5,,,0,HID\\VID_H,"}, "");
  f.media.Write("kqh.inf", InfText("kqh-nokey"));
  f.Run();
  ASSERT_EQ(1u, infs.AddedInfs().size());
  EXPECT_FALSE(records.ProductKeyExists());
  EXPECT_EQ("<no key>", records.SharedFile(infs.AddedInfs()[0]));
}

TEST(UpdateDrivers, FailedOemCopyEndsTheLine) {
  ScopedInfFolder infs({"kqmissing.inf"});
  ScopedUninstallRecords records(kProductKey);
  Fixture f({"Unknown,kqmissing.inf,,,,,,0,HID\\VID_M,"});  // no such INF on the medium
  f.Run();
  EXPECT_EQ("", f.session.Trace()) << "no re-enumeration without a copy";
  EXPECT_TRUE(infs.AddedInfs().empty());
  EXPECT_FALSE(records.ProductKeyExists());
}

TEST(UpdateDrivers, LegacyCopyOn9xAndNT4ReplacesTheInfAndRecordsIt) {
  ScopedInfFolder infs({"kql.inf", "kqu.inf", "kqn.inf"});
  ScopedUninstallRecords records(kProductKey);
  Fixture f({"HIDClass,kql.inf,L3,L4,L5,,legacy\\l.inf,0,HID\\VID_L,",
             "Unknown,kqu.inf,U3,U4,U5,,legacy\\u.inf,0,HID\\VID_U,",
             "Unknown,kqn.inf,N3,N4,N5,,,0,HID\\VID_N,",
             "Unknown,,E3,E4,E5,,legacy\\l.inf,0,HID\\VID_E,"});  // no INF name: no copy, still enumerated
  Settings.IsWin2000OrLater = 0;  // as on Windows 95, 98 or NT 4
  Settings.IsWinME = 0;
  f.media.Write("legacy\\l.inf", "legacy l");
  f.media.Write("legacy\\u.inf", "legacy u");
  f.media.Write("kqn.inf", "never copied");
  SetFileAttributesA(f.M("legacy\\l.inf").c_str(), FILE_ATTRIBUTE_READONLY);
  const std::string inf = WindowsDir() + "\\inf\\";
  WriteTextFile(inf + "kql.inf", "old");
  SetFileAttributesA((inf + "kql.inf").c_str(), FILE_ATTRIBUTE_READONLY);
  f.session.Configure("install=0\r\n");
  f.Run();

  EXPECT_EQ("InstallPnPDeviceDriver(HIDClass|" + f.M("kql.inf") +
                "|L5|L3|L4|0|1)=0 "
                "GetConnectedDeviceNumber(HIDClass|L5|L3)=1 "
                "RemoveAndReenumerateDevice(|HID\\VID_U)=1 FindExistingDevice(|HID\\VID_U)=1 "
                "RemoveAndReenumerateDevice(|HID\\VID_E)=1 FindExistingDevice(|HID\\VID_E)=1",
            f.session.Trace())
      << "Unknown never installs; without a legacy INF it does nothing at all";
  EXPECT_EQ("legacy l", ReadTextFile(inf + "kql.inf"));
  // Wine reads normal attributes back as FILE_ATTRIBUTE_ARCHIVE.
  EXPECT_EQ(0u, GetFileAttributesA((inf + "kql.inf").c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ("legacy u", ReadTextFile(inf + "kqu.inf"));
  EXPECT_FALSE(PathExists(inf + "kqn.inf"));
  EXPECT_EQ(WindowsDir() + "\\inf", records.DeleteFiles("kql.inf"));
  EXPECT_EQ(WindowsDir() + "\\inf", records.DeleteFiles("kqu.inf"));
  EXPECT_EQ((std::vector<std::string>{"kql.inf", "kqu.inf"}), records.DeleteFilesNames());
  EXPECT_EQ((std::vector<std::string>{"kql.inf", "kqu.inf"}), infs.Added())
      << "the legacy copies only: no OEM copy on these platforms";
}
