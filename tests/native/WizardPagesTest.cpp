#include <gtest/gtest.h>

#include <string>

#include "wizard/core/WizardPages.h"

TEST(WizardPagesTest, SequenceForEveryAskFlagCombination) {
  struct Row {
    int license, type, path, folder;
    const char* pages;  // W L I D F S P R, in the order they run
  };
  const Row rows[] = {
      {0, 0, 0, 0, "WSPR"},     {0, 0, 0, 1, "WFSPR"},   {0, 0, 1, 0, "WDSPR"},
      {0, 0, 1, 1, "WDFSPR"},   {0, 1, 0, 0, "WISPR"},   {0, 1, 0, 1, "WIFSPR"},
      {0, 1, 1, 0, "WIDSPR"},   {0, 1, 1, 1, "WIDFSPR"}, {1, 0, 0, 0, "WLSPR"},
      {1, 0, 0, 1, "WLFSPR"},   {1, 0, 1, 0, "WLDSPR"},  {1, 0, 1, 1, "WLDFSPR"},
      {1, 1, 0, 0, "WLISPR"},   {1, 1, 0, 1, "WLIFSPR"}, {1, 1, 1, 0, "WLIDSPR"},
      {1, 1, 1, 1, "WLIDFSPR"},
  };
  for (const Row& r : rows) {
    SettingsRecord s{};
    s.AskLicense = r.license;
    s.AskType = r.type * 7;  // any non-zero value asks
    s.AskPath = r.path;
    s.AskProgramFolder = r.folder;
    int pages[kPageCount];
    int count = BuildPageSequence(s, pages);
    std::string got;
    for (int i = 0; i < count; ++i) got += "WLIDFSPR"[pages[i]];
    EXPECT_EQ(r.pages, got) << "license " << r.license << " type " << r.type << " path " << r.path
                            << " folder " << r.folder;
  }
  EXPECT_EQ(0, PagePresent(SettingsRecord{}, kPageCount)) << "past the table";
}

TEST(WizardPagesTest, ResultTextsAndAutomaticFinish) {
  struct Row {
    int32_t result, restart, noRestart, silent, hidden;
    unsigned texts;
    int pressesFinish;
  };
  const unsigned kRestartTexts = kTextRestartNeeded | kTextRestartChoice | kTextRemoveDisks;
  const Row rows[] = {
      {0, 0, 0, 0, 0, kTextDone, 0},
      {0, 1, 0, 0, 0, kRestartTexts, 0},
      {0, 1, 1, 1, 0, kTextDone, 1},  // NR: no restart offered
      {0, 1, 0, 1, 0, kRestartTexts, 1},
      {1, 1, 0, 1, 0, kTextFailed | kTextNoPrivilege, 0},
      {3, 0, 0, 1, 0, kTextFailed | kTextSeeReadme, 0},  // silent failure waits for the user
      {-1, 1, 0, 0, 0, kTextFailed | kTextSeeReadme, 0},
      {3, 0, 0, 1, 1, kTextFailed | kTextSeeReadme, 1},  // nobody could press it on a hidden sheet
      {0, 0, 0, 0, 1, kTextDone, 1},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.texts, ChooseResultTexts(r.result, r.restart, r.noRestart))
        << "result " << r.result << " restart " << r.restart << " NR " << r.noRestart;
    EXPECT_EQ(r.pressesFinish, ResultPressesFinish(r.result, r.silent, r.hidden))
        << "result " << r.result << " silent " << r.silent << " hidden " << r.hidden;
  }
}

TEST(WizardPagesTest, ExitCode) {
  struct Row {
    int end;
    int32_t result, restartNeeded;
    int restartMade;
    int32_t code;
  };
  const Row rows[] = {
      {kWizardFinished, 0, 0, 0, 0},
      {kWizardFinished, 0, 1, 1, 0},     // Windows took the restart
      {kWizardFinished, 0, 1, 0, 3010},  // later, NR, or refused
      {kWizardFinished, 0, 0, 1, 0},
      {kWizardFinished, 1, 1, 0, 5},
      {kWizardFinished, 3, 0, 0, 1603},
      {kWizardFinished, -1, 1, 0, 1603},
      {kWizardCancelled, 0, 0, 0, 1602},  // cancelled before anything ran
      {kWizardCancelled, 3, 0, 0, 1602},
      {kWizardFailed, 0, 0, 0, 1603},  // the sheet never ran: not a success
      {7, 0, 0, 0, 1603},
  };
  for (const Row& r : rows)
    EXPECT_EQ(r.code, WizardExitCode(r.end, r.result, r.restartNeeded, r.restartMade))
        << "end " << r.end << " result " << r.result << " needed " << r.restartNeeded << " made "
        << r.restartMade;
}
