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

// A missing DirName leaves its stage out: without the first nothing waits
// for a signal, without the second the run ends after the signal, without
// both nothing starts (not even Setup itself).
TEST(ChainedSetups, MissingFoldersLeaveTheirStageOut) {
  struct Row {
    const char* dir1;
    const char* dir2;
    const char* started;  // below the media folder, "" for none
  } const rows[] = {{"", "Stage2", "\\Stage2\\Setup.exe /s"},
                    {"Stage1", "", "\\Stage1\\setup_x64.exe /s"},
                    {"", "", ""}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "DirName1=" << row.dir1 << " DirName2=" << row.dir2);
    SetupMedia m;
    m.WriteScript(row.dir1, row.dir2);
    if (*row.dir1) m.AddStage(row.dir1, kFirstExe, "--signal=300");
    if (*row.dir2) m.AddStage(row.dir2, "Setup.exe", "");
    unsigned long long before = NowMs();
    RunResult r = m.RunSetup("/S", *row.started ? 1 : 0);
    ASSERT_TRUE(r.finished) << "Setup waits for a signal that nothing sends";
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_LT(m.endedAt() - before, 10000u);
    std::vector<LogLine> lines = m.Lines();
    std::vector<LogLine> starts = Starts(lines);
    if (!*row.started) {
      EXPECT_FALSE(PathExists(m.log())) << ReadTextFile(m.log());
      continue;
    }
    ASSERT_EQ(1u, starts.size()) << ReadTextFile(m.log());
    EXPECT_EQ(m.media() + row.started, starts[0].commandLine);
    const LogLine* signal = FindLine(lines, "SIGNAL", kFirstExe);
    EXPECT_EQ(*row.dir1 != 0, signal != nullptr) << "the first stage signals";
    // The double logs just after its message was handled: allow for that.
    EXPECT_GE(m.endedAt() + 300, signal ? signal->timeMs : 0)
        << "Setup ended long before the signal";
  }
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
