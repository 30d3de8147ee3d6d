#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "startup/core/CommandLine.h"

namespace {

SettingsRecord Fresh() {
  SettingsRecord s;
  ResetSettings(s);
  return s;
}

SettingsRecord Apply(const char* line, int isNT = 1) {
  SettingsRecord s = Fresh();
  ApplyCommandLine(line, isNT, s);
  return s;
}

}  // namespace

TEST(CutCommandLine, SlashesSpacesAndSlots) {
  CommandTokens t;
  CutCommandLine("/S /TYPE: PS2 / q n", t);
  EXPECT_STREQ("S", t.Slot[0]);
  EXPECT_STREQ("TYPE:PS2", t.Slot[1]) << "blanks are dropped inside a token";
  EXPECT_STREQ("qn", t.Slot[2]);
  EXPECT_STREQ("", t.Slot[3]);

  CutCommandLine("junk/H", t);
  EXPECT_STREQ("H", t.Slot[0]) << "text before the first slash belongs to no slot";

  CutCommandLine("/\tS", t);
  EXPECT_STREQ("\tS", t.Slot[0]) << "a tab is kept";
}

TEST(CutCommandLine, LongTokensAndTooManyTokensStayInsideTheArray) {
  CommandTokens t;
  std::string line = "/" + std::string(40, 'A');
  for (int i = 0; i < 30; ++i) line += "/T" + std::to_string(i);
  CutCommandLine(line.c_str(), t);
  EXPECT_EQ(std::string(15, 'A'), t.Slot[0]) << "cut at 15 characters";
  EXPECT_STREQ("T14", t.Slot[15]) << "the 16th token is the last kept";
  for (const auto& slot : t.Slot) EXPECT_NE(nullptr, std::memchr(slot, '\0', sizeof slot));
}

TEST(ApplySwitches, EachSwitchSetsItsFields) {
  SettingsRecord h = Apply("/H");
  EXPECT_EQ(1, h.HiddenMode);
  EXPECT_EQ(1, h.SilentMode);
  EXPECT_EQ(0, h.AskType);

  SettingsRecord s = Apply("/s");
  EXPECT_EQ(1, s.SilentMode);
  EXPECT_EQ(0, s.HiddenMode);
  EXPECT_EQ(0, s.AskType);

  SettingsRecord qn = Apply("/QN");
  EXPECT_EQ(1, qn.HiddenMode);
  EXPECT_EQ(1, qn.SwitchQN);
  EXPECT_EQ(0, qn.SilentMode) << "QN leaves SilentMode alone";

  EXPECT_EQ(1, Apply("/v").SwitchV);
  EXPECT_EQ(1, Apply("/nr").NoRestart);
  EXPECT_EQ(1, Apply("/P").Preload);
  EXPECT_EQ(1, Apply("/preload").Preload);
  EXPECT_EQ(0, Apply("/PR").Preload) << "a prefix of a switch name is no switch";
  EXPECT_EQ(0, Apply("/SS").SilentMode);
}

TEST(ApplySwitches, SilentSwitchClearsWhatTheScriptAsked) {
  SettingsRecord s = Fresh();
  s.AskPath = 1;
  s.AskProgramFolder = 1;
  ApplyCommandLine("/S", 1, s);
  EXPECT_EQ(0, s.AskPath);
  EXPECT_EQ(0, s.AskProgramFolder);
}

TEST(ApplySwitches, InterfaceSwitchesDependOnFamilyAndLaterWins) {
  SettingsRecord nt = Fresh();
  nt.Restart = 0;  // as a script's Restart=FALSE leaves it
  ApplyCommandLine("/TYPE:PS2", 1, nt);
  EXPECT_EQ(2, nt.InterfaceType);
  EXPECT_EQ(1, nt.Restart);
  EXPECT_EQ(0, nt.CallConfigMg);
  EXPECT_EQ(0, nt.AskType);

  SettingsRecord w9x = Apply("/type:ps2", 0);
  EXPECT_EQ(0, w9x.Restart);
  EXPECT_EQ(1, w9x.CallConfigMg);

  SettingsRecord both = Apply("/TYPE:PS2/TYPE:USB");
  EXPECT_EQ(1, both.InterfaceType);
  EXPECT_EQ(1, both.CallConfigMg);
  EXPECT_EQ(0, both.Restart);
}

TEST(ApplySwitches, EmptySlotEndsProcessing) {
  SettingsRecord s = Apply("/S//H");
  EXPECT_EQ(1, s.SilentMode);
  EXPECT_EQ(0, s.HiddenMode) << "tokens after an empty one are ignored";

  SettingsRecord none = Apply("//S");
  EXPECT_EQ(0, none.SilentMode);

  SettingsRecord fresh = Fresh();
  SettingsRecord empty = Apply("");
  EXPECT_EQ(0, std::memcmp(&fresh, &empty, sizeof fresh));
  SettingsRecord absent = Fresh();
  ApplyCommandLine(nullptr, 1, absent);
  EXPECT_EQ(0, std::memcmp(&fresh, &absent, sizeof fresh));
}

TEST(ApplySwitches, SeventeenthTokenIsNeverApplied) {
  std::string line;
  for (int i = 0; i < 16; ++i) line += "/X";
  line += "/S";
  EXPECT_EQ(0, Apply(line.c_str()).SilentMode);
  line = "/" + std::string(15, 'X') + "S";  // "XXXXXXXXXXXXXXXS" cut to X*15
  EXPECT_EQ(0, Apply(line.c_str()).SilentMode);
}

// A slash in the program's own path must never be read as a switch.
TEST(SkipProgramName, LeavesOnlyTheArguments) {
  struct Row {
    const char* line;
    const char* rest;
  } rows[] = {
      {"Setup.exe /S", "/S"},
      {"\"C:\\My Media\\Setup.exe\" /S /NR", "/S /NR"},
      {"\"C:/media/H/Setup.exe\"", ""},
      {"C:/media/Setup.exe\t /H", "/H"},
      {"\"C:\\unterminated /S", ""},
      {"", ""},
  };
  for (const Row& r : rows) EXPECT_STREQ(r.rest, SkipProgramName(r.line)) << r.line;
  EXPECT_EQ(nullptr, SkipProgramName(nullptr));
}
