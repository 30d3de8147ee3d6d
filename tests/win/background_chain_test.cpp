// Setup.exe end to end in the 64-bit prefix: the chained stage setups,
// their command lines, folders and timing, and the run's end.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "UiDriver.h"

using namespace testing_support;

namespace {

constexpr char kFirstExe[] = "setup_x64.exe";  // a 32-bit Setup on 64-bit Windows

struct SwitchCase {
  const char* args;
  const char* firstTail;
  const char* secondTail;
};

// What the switches hand on, case-insensitively: S, V, QN to the first;
// H, S, NR to the second. Every switch alone is ChainSequenceTest's and
// CommandLineTest's; these runs check that the tails reach the programs.
const SwitchCase kSwitchCases[] = {
    {"/s /v /qn", " /s /v/qn", " /h /s"},
    {"/H/V/QN/NR", " /s /v/qn", " /h /s /nr"},
};

// Runs one switch case in a media folder and checks both command lines.
void CheckSwitchCase(const std::string& mediaName, const SwitchCase& c) {
  SCOPED_TRACE(std::string("media \"") + mediaName + "\", switches \"" + c.args + "\"");
  SetupMedia m(mediaName);
  m.WriteScript("Stage1", "Stage2");
  m.AddStage("Stage1", kFirstExe, "--signal=0");
  m.AddStage("Stage2", "Setup.exe", "");
  RunResult r = m.RunSetup(c.args, 2);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(0u, r.exitCode);
  std::vector<LogLine> starts = Starts(m.Lines());
  ASSERT_EQ(2u, starts.size());
  std::string first = m.media() + "\\Stage1\\" + kFirstExe;
  std::string second = m.media() + "\\Stage2\\Setup.exe";
  EXPECT_TRUE(SameText(first, starts[0].exe)) << starts[0].exe;
  EXPECT_EQ(first + c.firstTail, starts[0].commandLine);
  EXPECT_TRUE(SameText(second, starts[1].exe)) << starts[1].exe;
  EXPECT_EQ(second + c.secondTail, starts[1].commandLine);
}

}  // namespace

TEST(ChainedSetups, SecondStageStartsOnlyAfterTheSignal) {
  SetupMedia m;
  m.WriteScript("Stage1", "Stage2");
  m.AddStage("Stage1", kFirstExe, "--signal=600");
  m.AddStage("Stage2", "Setup.exe", "");
  RunResult r = m.RunSetup("/S", 2);
  ASSERT_TRUE(r.finished) << "Setup still running after 30 s";
  EXPECT_EQ(0u, r.exitCode);

  std::vector<LogLine> lines = m.Lines();
  const LogLine* first = FindLine(lines, "START", std::string("\\Stage1\\") + kFirstExe);
  const LogLine* signal = FindLine(lines, "SIGNAL", std::string("\\Stage1\\") + kFirstExe);
  const LogLine* second = FindLine(lines, "START", "\\Stage2\\Setup.exe");
  ASSERT_TRUE(first && signal && second) << ReadTextFile(m.log());
  EXPECT_EQ("sent", signal->commandLine);
  EXPECT_GE(second->timeMs, signal->timeMs) << "second stage before the signal";
  EXPECT_GE(second->timeMs - first->timeMs, 550u) << "the first stage signalled after 0.6 s";
  EXPECT_LE(second->timeMs - signal->timeMs, 1000u) << "polled every 200 ms";
  EXPECT_GE(m.endedAt(), signal->timeMs) << "Setup ended before the signal";
  EXPECT_EQ(2u, Starts(lines).size());
  for (const LogLine& l : Starts(lines))
    EXPECT_TRUE(SameText(m.media(), l.cwd)) << l.exe << " ran in " << l.cwd;
}

TEST(ChainedSetups, CommandLinesOfTheSwitches) {
  CheckSwitchCase("media", kSwitchCases[0]);
  CheckSwitchCase("Kbd Media Files", kSwitchCases[1]);
}

// With an unquoted command line and no program name, Windows tries
// "<root>\Kbd.exe" first for "<root>\Kbd Media\Stage1\...": Setup must
// never start such a program.
TEST(ChainedSetups, ProgramAtTheFirstBlankIsNeverStarted) {
  SetupMedia m("Kbd Media");
  m.WriteScript("Stage1", "Stage2");
  m.AddStage("Stage1", kFirstExe, "--signal=300");
  m.AddStage("Stage2", "Setup.exe", "");
  std::string planted = m.root() + "\\Kbd.exe";
  CopyFileOrDie(BinDir() + "\\logprog.exe", planted);
  RunResult r = m.RunSetup("/S", 2);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(0u, r.exitCode);
  std::vector<LogLine> starts = Starts(m.Lines());
  ASSERT_EQ(2u, starts.size()) << ReadTextFile(m.log());
  for (const LogLine& l : starts)
    EXPECT_FALSE(SameText(planted, l.exe)) << "planted program started";

  // The plant is where the fault would land: the same command line
  // started without a program name runs it.
  ScopedEnv log("SETUP_TEST_LOG", m.log());
  RunResult control = testing_support::Run(starts[0].commandLine, m.media(), 10000);
  ASSERT_TRUE(control.started);
  std::vector<LogLine> after = Starts(m.Lines());
  ASSERT_EQ(3u, after.size());
  EXPECT_TRUE(SameText(planted, after[2].exe)) << "control: " << after[2].exe;
}

// Where the first stage goes. Without DirName1 the first program is Setup
// itself, or setup_x64.exe beside it on 64-bit Windows: when that is missing
// (or is this program) Setup installs by itself through the wizard, then
// goes on as after the signal: the second stage unless the wizard was
// cancelled. A first program that cannot start ends the run without the
// second. A single-stage run's exit code says how the installation went.
TEST(ChainedSetups, WithoutAFirstStageSetupInstallsByItself) {
  struct Row {
    const char* dir1;
    const char* dir2;
    bool x64Beside;    // setup_x64.exe beside Setup, signalling
    const char* args;
    const char* extra;  // more [Setup] keys
    const char* started;  // below the media folder, "" for none
    bool installs;      // keyb.txt reaches the destination
    DWORD exitCode;
  } const rows[] = {
      {"", "Stage2", false, "/S", "", "\\Stage2\\Setup.exe /s", true, 0},
      {"", "", false, "/H", "", "", true, 0},
      {"", "", true, "/S", "", "\\setup_x64.exe /s", false, 0},
      {"Stage1", "", false, "/S", "", "\\Stage1\\setup_x64.exe /s", false, 0},
      {"Missing", "Stage2", false, "/S", "", "", false, 0},
      {"", "Stage2", false, "/H", "CabFile=TRUE\r\nCabFileName=missing.cab\r\n",
       "\\Stage2\\Setup.exe /h /s", false, 1603},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "DirName1=" << row.dir1 << " DirName2=" << row.dir2
                                    << " x64 " << row.x64Beside << " " << row.args << " "
                                    << row.extra);
    SetupMedia m;
    const std::string dest = m.root() + "\\dest";
    m.WriteScript(row.dir1, row.dir2,
                  std::string(row.extra) + "[Copy Files]\r\nkeyb.txt=" + dest + "\r\n");
    m.Write("keyb.txt", "installed by the wizard");
    MakeDirs(dest);
    if (*row.dir1) m.AddStage("Stage1", kFirstExe, "--signal=300");
    if (*row.dir2) m.AddStage(row.dir2, "Setup.exe", "");
    if (row.x64Beside) m.AddDouble(kFirstExe, "--signal=300");
    RunResult r = m.RunSetup(row.args, *row.started ? 1 : 0);
    ASSERT_TRUE(r.finished) << "Setup waits for a signal that nothing sends";
    EXPECT_EQ(row.exitCode, r.exitCode);
    EXPECT_EQ(row.installs, PathExists(dest + "\\keyb.txt"));
    std::vector<LogLine> starts = Starts(m.Lines());
    ASSERT_EQ(*row.started ? 1u : 0u, starts.size()) << ReadTextFile(m.log());
    if (*row.started) {
      EXPECT_EQ(m.media() + row.started, starts[0].commandLine);
    }
  }
}

// A silent single-stage run does the whole installation: the file, the
// registry value and the program to start after it.
TEST(ChainedSetups, SilentSingleStageInstallsFilesRegistryAndPrograms) {
  SetupMedia m;
  const std::string dest = m.root() + "\\dest";
  MakeDirs(dest);
  m.WriteScript("", "",
                "[Copy Files]\r\nkeyb.txt=" + dest + "\r\n"
                "[Add Registry]\r\nline=HKCU,Software\\VelmoraxSetupTest,Installed,0,yes\r\n"
                "[Run Programs]\r\nafter.exe=%1%\\Tools,first run\r\n");
  m.Write("keyb.txt", "installed by the wizard");
  m.AddDouble("Tools\\after.exe");
  RunResult r = m.RunSetup("/S", 1);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(0u, r.exitCode);
  EXPECT_EQ("installed by the wizard", ReadTextFile(dest + "\\keyb.txt"));
  EXPECT_EQ("yes", RegText(HKEY_CURRENT_USER, "Software\\VelmoraxSetupTest", "Installed"));
  DeleteRegTree(HKEY_CURRENT_USER, "Software\\VelmoraxSetupTest");
  std::vector<LogLine> starts = Starts(m.Lines());
  ASSERT_EQ(1u, starts.size()) << ReadTextFile(m.log());
  EXPECT_EQ(m.media() + "\\Tools", starts[0].cwd);
  EXPECT_NE(std::string::npos, starts[0].commandLine.find("\"first run\"")) << starts[0].commandLine;
}

// The signal may come from any process: here from the test, long after
// the first stage has ended.
TEST(ChainedSetups, WaitsWithoutLimitUntilSignalled) {
  SetupMedia m;
  m.WriteScript("Stage1", "Stage2");
  m.AddStage("Stage1", kFirstExe, "");
  m.AddStage("Stage2", "Setup.exe", "");
  ScopedEnv log("SETUP_TEST_LOG", m.log());
  DWORD pid = 0;
  HANDLE setup = Start("\"" + m.setupPath() + "\" /S", m.media(), &pid);
  ASSERT_NE(nullptr, setup);
  HWND window = ui::FindTopWindow("FullSetupClass", "", 10000, pid);
  ASSERT_NE(nullptr, window);
  EXPECT_FALSE(IsWindowVisible(window)) << "created hidden";
  m.WaitForEnds(1);
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(setup, 500))
      << "ended without the signal";
  ASSERT_EQ(1u, Starts(m.Lines()).size());

  unsigned long long sent = NowMs();
  DWORD_PTR result = 1;
  ASSERT_TRUE(SendMessageTimeoutA(window, 7213, 0, 0, SMTO_NORMAL, 5000, &result));
  EXPECT_EQ(0u, result);
  ASSERT_EQ(0u, FinishProcess(setup, 10000));
  std::vector<LogLine> starts = Starts(m.WaitForEnds(2));
  ASSERT_EQ(2u, starts.size());
  EXPECT_GE(starts[1].timeMs + 50, sent);
  EXPECT_EQ(m.media() + "\\Stage2\\Setup.exe /s", starts[1].commandLine);
}
