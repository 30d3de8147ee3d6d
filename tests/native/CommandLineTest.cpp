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

// One row per switch rule: the fields a line sets on fresh settings, with
// AskPath and AskProgramFolder asked and Restart the opposite of what the
// interface switch sets on that family. -1: not looked at.
TEST(ApplySwitches, FieldsEachLineSets) {
  struct Row {
    const char* line;
    int isNT;
    int hidden, silent, qn, v, nr, preload, type, restart, configMg, askType, askPath;
  } const rows[] = {
      {"/H", 1, 1, 1, -1, -1, -1, -1, -1, -1, -1, 0, -1},
      {"/s", 1, 0, 1, -1, -1, -1, -1, -1, -1, -1, 0, 0},    // clears what the script asked
      {"/QN", 1, 1, 0, 1, -1, -1, -1, -1, -1, -1, -1, -1},  // leaves SilentMode alone
      {"/v", 1, -1, -1, -1, 1, -1, -1, -1, -1, -1, -1, -1},
      {"/nr", 1, -1, -1, -1, -1, 1, -1, -1, -1, -1, -1, -1},
      {"/P", 1, -1, -1, -1, -1, -1, 1, -1, -1, -1, -1, -1},
      {"/preload", 1, -1, -1, -1, -1, -1, 1, -1, -1, -1, -1, -1},
      {"/PR", 1, -1, -1, -1, -1, -1, 0, -1, -1, -1, -1, -1},  // a prefix is no switch
      {"/SS", 1, -1, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1},
      {"/TYPE:PS2", 1, -1, -1, -1, -1, -1, -1, 2, 1, 0, 0, -1},
      {"/type:ps2", 0, -1, -1, -1, -1, -1, -1, 2, 0, 1, 0, -1},
      {"/TYPE:PS2/TYPE:USB", 1, -1, -1, -1, -1, -1, -1, 1, 0, 1, -1, -1},  // the later wins
      {"/S//H", 1, 0, 1, -1, -1, -1, -1, -1, -1, -1, -1, -1},  // an empty token ends the line
      {"//S", 1, -1, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1},
      {"/X/X/X/X/X/X/X/X/X/X/X/X/X/X/X/X/S", 1, -1, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1},
      {"/XXXXXXXXXXXXXXXS", 1, -1, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1},  // cut to 15
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.line << " on " << (r.isNT ? "NT" : "9x"));
    SettingsRecord s = Fresh();
    s.Restart = r.isNT ? 0 : 1;
    s.AskPath = s.AskProgramFolder = 1;
    ApplyCommandLine(r.line, r.isNT, s);
    const int got[] = {s.HiddenMode,   s.SilentMode, s.SwitchQN,      s.SwitchV,
                       s.NoRestart,    s.Preload,    s.InterfaceType, s.Restart,
                       s.CallConfigMg, s.AskType,    s.AskPath};
    const int want[] = {r.hidden, r.silent,  r.qn,       r.v,       r.nr,     r.preload,
                        r.type,   r.restart, r.configMg, r.askType, r.askPath};
    for (size_t i = 0; i < sizeof got / sizeof got[0]; ++i)
      if (want[i] != -1) {
        EXPECT_EQ(want[i], got[i]) << "field " << i;
      }
    if (r.askPath == 0) {
      EXPECT_EQ(0, s.AskProgramFolder);
    }
  }
}

TEST(ApplySwitches, EmptyOrAbsentLineChangesNothing) {
  SettingsRecord fresh = Fresh();
  SettingsRecord empty = Apply("");
  EXPECT_EQ(0, std::memcmp(&fresh, &empty, sizeof fresh));
  SettingsRecord absent = Fresh();
  ApplyCommandLine(nullptr, 1, absent);
  EXPECT_EQ(0, std::memcmp(&fresh, &absent, sizeof fresh));
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
