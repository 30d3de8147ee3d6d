// Setup.exe end to end in the 32-bit prefix: the first stage is
// "Setup.exe" there, never "setup_x64.exe".
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "startup/Platform.h"

using namespace testing_support;

TEST(ChainedSetups32, FirstStageIsSetupExe) {
  ASSERT_EQ(0, TestIsX64()) << "this program runs in the 32-bit prefix";
  SetupMedia m("Kbd Media");
  m.WriteScript("Stage1", "Stage2");
  m.AddStage("Stage1", "Setup.exe", "--signal=400");
  m.AddStage("Stage2", "Setup.exe", "");
  std::string x64 = m.media() + "\\Stage1\\setup_x64.exe";
  CopyFileOrDie(BinDir() + "\\logprog.exe", x64);
  RunResult r = m.RunSetup("/S /V /QN /NR", 2);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(0u, r.exitCode);
  std::vector<LogLine> lines = m.Lines();
  std::vector<LogLine> starts = Starts(lines);
  ASSERT_EQ(2u, starts.size()) << ReadTextFile(m.log());
  EXPECT_EQ(m.media() + "\\Stage1\\Setup.exe /s /v/qn", starts[0].commandLine);
  EXPECT_EQ(m.media() + "\\Stage2\\Setup.exe /h /s /nr", starts[1].commandLine);
  const LogLine* signal = FindLine(lines, "SIGNAL", "\\Stage1\\Setup.exe");
  ASSERT_NE(nullptr, signal);
  EXPECT_GE(starts[1].timeMs, signal->timeMs);
  for (const LogLine& l : starts) {
    EXPECT_FALSE(SameText(x64, l.exe));
    EXPECT_TRUE(SameText(m.media(), l.cwd)) << l.cwd;
  }
}
