// Setup.exe end to end under Wine's version emulation: which setup script
// it picks, the unsupported-system message, and the pre-run programs.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "TestSupport.h"
#include "UiDriver.h"

using namespace testing_support;

namespace {

const char* const kAllScripts[] = {"SETUP95.INI", "SETUP98.INI", "SETUPME.INI", "SETUPNT.INI",
                                   "SETUP2K.INI"};
const char kWarningText[] =
    "Current O.S. is not supported by this software, please refer to the user's manual or "
    "readme.txt for more information.";

// A script whose one pre-run line tells which script was read.
void AddScript(SetupMedia& media, const std::string& name) {
  // A first stage that is not there ends the run at once.
  media.Write(name, "[Setup]\r\nProductName=Probe\r\nDirName1=NoStage\r\n"
                    "[PreRun Programs]\r\nprobe.exe=%1%\\Tools," +
                        name + ",1\r\n");
}

// The script whose pre-run line ran, or "" when none did.
std::string ScriptRead(const SetupMedia& media) {
  std::vector<LogLine> starts = Starts(media.Lines());
  if (starts.empty()) return "";
  const std::string& cmd = starts[0].commandLine;
  return cmd.substr(cmd.find_last_of(' ') + 1);
}

// Runs Setup.exe, expects the unsupported-system box, reads and dismisses it.
void ExpectUnsupportedWarning(SetupMedia& media, const std::string& args) {
  DWORD pid = 0;
  HANDLE process =
      Start("\"" + media.setupPath() + "\"" + (args.empty() ? "" : " " + args), "", &pid);
  ASSERT_NE(nullptr, process);
  HWND box = ui::FindTopWindow("#32770", "Setup Warning", 20000, pid);
  ASSERT_NE(nullptr, box) << "no warning box";
  bool textFound = false;
  int buttons = 0;
  for (const ui::Control& c : ui::Children(box)) {
    if (c.text == kWarningText) textFound = true;
    if (c.className == "Button" && c.visible) ++buttons;
  }
  EXPECT_TRUE(textFound) << "warning text missing";
  EXPECT_EQ(1, buttons) << "OK only";
  EXPECT_EQ(nullptr, GetWindow(box, GW_OWNER)) << "the box has no owner";
  EXPECT_TRUE(ui::PressButton(box, "OK"));
  ASSERT_EQ(0u, FinishProcess(process, 20000));
  EXPECT_EQ("", ScriptRead(media)) << "nothing runs after the warning";
}

struct ChoiceCase {
  const char* version;
  const char* versionNumber;  // HKLM VersionNumber, nullptr: absent
  std::set<std::string> present;
  const char* args;
  const char* expected;  // "" for the unsupported-system message
};

}  // namespace

// One run for each Windows version through the real platform detection;
// the choice among the present scripts is SetupKeysTest's.
TEST(ScriptChoice, UnderEachWindowsVersion) {
  const std::set<std::string> all(std::begin(kAllScripts), std::end(kAllScripts));
  const ChoiceCase cases[] = {
      {"win95", nullptr, all, "", "SETUP95.INI"},
      {"win98", "4.10.2222", all, "", "SETUP98.INI"},
      {"winme", "4.90.3000", all, "", "SETUPME.INI"},
      // IsWinME is decided by VersionNumber, not by the version Wine reports.
      {"winme", "4.10.2222", {"SETUPME.INI", "SETUP98.INI"}, "", "SETUP98.INI"},
      {"nt40", nullptr, all, "", "SETUPNT.INI"},
      {"win2k", nullptr, all, "", "SETUP2K.INI"},
      // The warning shows even when silent.
      {"winxp", nullptr, {"SETUP95.INI", "SETUP98.INI"}, "/S", ""},
  };
  for (const ChoiceCase& c : cases) {
    std::string files;
    for (const std::string& f : c.present) files += f + " ";
    SCOPED_TRACE(std::string(c.version) + " with " + files + c.args);
    ScopedWineVersion version("Setup.exe", c.version);
    ScopedRegValue number(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                          "VersionNumber", c.versionNumber);
    SetupMedia media;
    media.AddDouble("Tools\\probe.exe");
    for (const std::string& f : c.present) AddScript(media, f);
    if (*c.expected == '\0') {
      ExpectUnsupportedWarning(media, c.args);
    } else {
      RunResult r = media.RunSetup(c.args, 1);
      ASSERT_TRUE(r.finished);
      EXPECT_EQ(0u, r.exitCode);
      EXPECT_EQ(c.expected, ScriptRead(media));
    }
  }
}

// One run of every kind of pre-run line, from the Tools folder as the
// current folder, which the programs inherit.
TEST(PreRunPrograms, StartInOrderWithTheirCommandLinesAndWaitWhereAsked) {
  ScopedWineVersion version("Setup.exe", "winxp");
  SetupMedia media;
  media.Write("SETUP2K.INI",
              "[Setup]\r\nProductName=Probe\r\n"
              "[PreRun Programs]\r\n"
              "probe.exe=%1%\\Tools,--sleep=200 first,1\r\n"
              "second.exe=%1%\\Tools,  \"quoted, arg\" %Extra%,1\r\n"
              "second.exe=%1%\\Tools,a repeated name runs the first line's value again\r\n"
              "probe.exe2=%1%\\Tools,missing program,1\r\n"
              "long.exe=%1%\\Tools," +
                  std::string(250, 'a') +
                  ",1\r\n"
                  "third.exe=%1%\\Tools,--sleep=700 zero,0\r\n"
                  "fourth.exe=%1%\\Tools,last,yes\r\n"
                  "[Strings]\r\nExtra=%1%-literal\r\n");
  for (const char* name : {"probe.exe", "second.exe", "long.exe", "third.exe", "fourth.exe"})
    media.AddDouble(std::string("Tools\\") + name);
  const std::string tools = media.media() + "\\Tools\\";
  RunResult r = testing_support::Run("\"" + media.setupPath() + "\" /S/H", tools, 30000);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(0u, r.exitCode);
  // The programs not waited for may still be running.
  std::vector<LogLine> log = media.WaitForEnds(5, 20000);
  std::vector<LogLine> starts = Starts(log);
  ASSERT_EQ(5u, starts.size()) << "S and H do not stop the pre-run programs; a line too long "
                                  "for the command line is skipped, not cut";
  for (const LogLine& l : starts) EXPECT_EQ(tools.substr(0, tools.size() - 1), l.cwd) << l.exe;

  // The first three lines wait, so their order is Setup's; the last two
  // run side by side.
  const std::string secondLine = "\"" + tools + "second.exe\" quoted, arg %1%-literal";
  EXPECT_EQ("\"" + tools + "probe.exe\" --sleep=200 first", starts[0].commandLine);
  EXPECT_EQ(secondLine, starts[1].commandLine)
      << "quotes keep the comma; a Strings value is not expanded again";
  EXPECT_EQ(secondLine, starts[2].commandLine) << "a repeated key name";
  auto find = [&](const std::string& kind, const std::string& exe) {
    for (const LogLine& l : log)
      if (l.kind == kind && l.exe == tools + exe) return l;
    ADD_FAILURE() << kind << " of " << exe << " missing";
    return LogLine{};
  };
  EXPECT_EQ("\"" + tools + "third.exe\" --sleep=700 zero", find("START", "third.exe").commandLine);
  EXPECT_EQ("\"" + tools + "fourth.exe\" last", find("START", "fourth.exe").commandLine);

  EXPECT_GE(starts[1].timeMs, find("END", "probe.exe").timeMs)
      << "wait field 1: next starts after the end";
  EXPECT_LT(find("START", "fourth.exe").timeMs, find("END", "third.exe").timeMs)
      << "wait field 0 does not wait";
}
