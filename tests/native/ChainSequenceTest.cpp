#include <gtest/gtest.h>

#include <string>

#include "background/core/ChainSequence.h"

namespace {

SettingsRecord Media(const char* moduleDir) {
  SettingsRecord s;
  ResetSettings(s);
  CopyText(s.ModuleDir, moduleDir);
  CopyText(s.DirName1, "Stage1");
  CopyText(s.DirName2, "Stage2");
  CopyText(s.SetupProgramName, "setup_x64.exe");
  return s;
}

}  // namespace

TEST(ChainCommandTest, FirstCommandLineSwitches) {
  struct Case {
    int s, v, qn;
    const char* tail;
  } cases[] = {{0, 0, 0, ""},          {1, 0, 0, " /s"},     {0, 1, 0, " /v"},
               {0, 0, 1, "/qn"},       {1, 1, 0, " /s /v"},  {1, 0, 1, " /s/qn"},
               {0, 1, 1, " /v/qn"},    {1, 1, 1, " /s /v/qn"}};
  for (const Case& c : cases) {
    SettingsRecord s = Media("C:\\Program Files\\Media");
    s.SilentMode = c.s;
    s.SwitchV = c.v;
    s.SwitchQN = c.qn;
    s.HiddenMode = 1;  // not handed to the first program
    s.NoRestart = 1;
    ChainCommand cmd;
    ASSERT_EQ(kChainReady, BuildFirstChainCommand(s, cmd));
    EXPECT_STREQ("C:\\Program Files\\Media\\Stage1\\setup_x64.exe", cmd.Application);
    EXPECT_EQ(std::string("C:\\Program Files\\Media\\Stage1\\setup_x64.exe") + c.tail, cmd.CommandLine);
  }
}

TEST(ChainCommandTest, SecondCommandLineSwitches) {
  struct Case {
    int h, s, nr;
    const char* tail;
  } cases[] = {{0, 0, 0, ""},       {1, 0, 0, " /h"},    {0, 1, 0, " /s"},     {0, 0, 1, " /nr"},
               {1, 1, 0, " /h /s"}, {0, 1, 1, " /s /nr"}, {1, 1, 1, " /h /s /nr"}};
  for (const Case& c : cases) {
    SettingsRecord s = Media("D:\\KBD");
    s.HiddenMode = c.h;
    s.SilentMode = c.s;
    s.NoRestart = c.nr;
    s.SwitchV = 1;  // not handed to the second program
    s.SwitchQN = 1;
    ChainCommand cmd;
    ASSERT_EQ(kChainReady, BuildSecondChainCommand(s, cmd));
    EXPECT_STREQ("D:\\KBD\\Stage2\\Setup.exe", cmd.Application) << "always Setup.exe";
    EXPECT_EQ(std::string("D:\\KBD\\Stage2\\Setup.exe") + c.tail, cmd.CommandLine);
  }
}

TEST(ChainCommandTest, EmptyFolderNamesTheProgramBesideUsAndLongPathsAreNotCut) {
  SettingsRecord s = Media("C:\\M");
  s.DirName1[0] = '\0';
  s.DirName2[0] = '\0';
  s.SilentMode = 1;
  ChainCommand cmd;
  EXPECT_EQ(kChainReady, BuildFirstChainCommand(s, cmd));
  EXPECT_STREQ("C:\\M\\setup_x64.exe", cmd.Application);
  EXPECT_STREQ("C:\\M\\setup_x64.exe /s", cmd.CommandLine);
  EXPECT_EQ(kChainReady, BuildSecondChainCommand(s, cmd));
  EXPECT_STREQ("C:\\M\\Setup.exe", cmd.Application);

  s = Media(std::string(238, 'm').c_str());
  EXPECT_EQ(kChainReady, BuildFirstChainCommand(s, cmd)) << "259 characters still fit";
  EXPECT_EQ(259u, std::string(cmd.CommandLine).size());
  s.SilentMode = 1;  // the switch no longer fits
  EXPECT_EQ(kChainTooLong, BuildFirstChainCommand(s, cmd));
  EXPECT_STREQ("", cmd.Application);
  EXPECT_STREQ("", cmd.CommandLine);
  CopyText(s.DirName2, std::string(30, 'd').c_str());
  EXPECT_EQ(kChainTooLong, BuildSecondChainCommand(s, cmd)) << "the path itself does not fit";
  EXPECT_STREQ("", cmd.Application);
}

TEST(ChainStageTest, WizardOnlyWithoutFirstFolderWhenTheProgramIsUsOrMissing) {
  struct Row {
    const char* dir1;
    int build, self, exists, stage;
  } rows[] = {
      {"", kChainReady, 1, 1, kFirstOpenWizard},      // 32-bit: Setup.exe is this program
      {"", kChainReady, 0, 0, kFirstOpenWizard},      // 64-bit: no setup_x64.exe beside us
      {"", kChainReady, 0, 1, kFirstStartProgram},    // setup_x64.exe beside us runs
      {"", kChainTooLong, 0, 0, kFirstOpenWizard},
      {"Stage1", kChainReady, 0, 0, kFirstStartProgram},  // missing: its start fails
      {"Stage1", kChainReady, 0, 1, kFirstStartProgram},
      {"Stage1", kChainTooLong, 0, 0, kFirstNothing},
  };
  for (const Row& r : rows) {
    SettingsRecord s = Media("C:\\M");
    CopyText(s.DirName1, r.dir1);
    EXPECT_EQ(r.stage, ChooseFirstStage(s, r.build, r.self, r.exists))
        << "DirName1 '" << r.dir1 << "' build " << r.build << " self " << r.self << " exists "
        << r.exists;
  }
}

TEST(ChainStepTest, SequenceForEachFirstOutcome) {
  struct Row {
    int outcome;
    const char* dir2;
    int signalFirst;
    unsigned afterFirst;  // what the same message does once the outcome is known
  } rows[] = {
      {kFirstRunning, "Stage2", 0, kActWaitAgain},
      {kFirstRunning, "Stage2", 1, kActStartSecond | kActEnd},  // signal came before
      {kFirstNotStarted, "Stage2", 0, kActEnd},  // its signal can never come
      {kFirstWizardEnded, "Stage2", 0, kActStartSecond | kActEnd},
      {kFirstWizardEnded, "", 0, kActEnd},
      {kFirstWizardCancelled, "Stage2", 0, kActEnd},
  };
  for (const Row& r : rows) {
    SettingsRecord s = Media("C:\\M");
    CopyText(s.DirName2, r.dir2);
    ChainState st;
    if (r.signalFirst) st.ChainWait = 0;
    EXPECT_EQ(unsigned{kActStartFirst}, ChainStep(st));
    ChainFirstDone(st, r.outcome, s);
    EXPECT_EQ(r.afterFirst, ChainStep(st)) << "outcome " << r.outcome << " DirName2 '" << r.dir2 << "'";
  }
  ChainState st;
  ChainStep(st);
  ChainFirstDone(st, kFirstRunning, Media("C:\\M"));
  EXPECT_EQ(unsigned{kActWaitAgain}, ChainStep(st)) << "first program started once only";
  st.ChainWait = 0;  // the signal
  EXPECT_EQ(kActStartSecond | kActEnd, ChainStep(st));
}
