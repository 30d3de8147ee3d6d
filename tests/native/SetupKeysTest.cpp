#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "startup/core/SetupKeys.h"

namespace {

// Section "Setup" as a map; absent keys read as their default.
class FakeSection : public SetupSectionSource {
 public:
  std::map<std::string, std::string> keys;
  std::vector<std::string> asked;
  int licenseCalls = 0;
  std::string licenseFolderSeen;
  void ReadKey(const char* key, const char* def, char* out, size_t cap) override {
    asked.push_back(key);
    auto it = keys.find(key);
    CopyText(out, cap, it == keys.end() ? def : it->second.c_str());
  }
  void ChooseLicense(SettingsRecord& s) override {
    ++licenseCalls;
    licenseFolderSeen = s.LicenseFile;
  }
};

SettingsRecord Load(FakeSection& section, int isNT = 1) {
  SettingsRecord s;
  ResetSettings(s);
  s.IsNT = isNT;
  s.IsWin9x = !isNT;
  CopyText(s.ModuleDir, "D:\\Media");
  CopyText(s.TitleSuffix, "Setup");
  ReadSetupSection(s, section);
  return s;
}

SettingsRecord LoadWith(std::map<std::string, std::string> keys, int isNT = 1) {
  FakeSection f;
  f.keys = std::move(keys);
  return Load(f, isNT);
}

}  // namespace

TEST(SetupSection, DefaultsWithAnEmptySection) {
  FakeSection f;
  SettingsRecord s = Load(f);
  EXPECT_STREQ("", s.ProductName);
  EXPECT_STREQ(" Setup", s.SetupTitle) << "empty product name, a space, the suffix";
  EXPECT_STREQ("1.0", s.Version);
  EXPECT_STREQ("Setup.exe", s.SetupProgramName);
  EXPECT_EQ(0, s.CabFile);
  EXPECT_STREQ("", s.CabFileName);
  EXPECT_EQ(1, s.AskType);
  EXPECT_EQ(1, s.CallConfigMg) << "CallConfigMg defaults to TRUE";
  EXPECT_EQ(0, s.AskPath);
  EXPECT_EQ(0, s.AskLicense);
  EXPECT_EQ(0, f.licenseCalls);
  EXPECT_EQ(0, s.AskProgramFolder);
  EXPECT_EQ(1, s.InterfaceType);
  EXPECT_EQ(1, s.Restart);
  std::set<std::string> notAsked = {"DefaultType", "PS2DriverName", "CabFileName", "LicenseFolder"};
  for (const std::string& k : f.asked) EXPECT_EQ(0u, notAsked.count(k)) << k << " read needlessly";
}

TEST(SetupSection, TextsAndTitle) {
  SettingsRecord s = LoadWith({{"ProductName", "Comfort Keyboard"},
                               {"UninstallDisplayName", "Comfort Driver"},
                               {"Version", "2.4"},
                               {"DirName1", "Stage1"},
                               {"DirName2", "Stage2"},
                               {"BkgLogo", "logo.pcx"},
                               {"UninstallKey", "ComfortKbd"}});
  EXPECT_STREQ("Comfort Keyboard", s.ProductName);
  EXPECT_STREQ("Comfort Driver", s.UninstallDisplayName);
  EXPECT_STREQ("Comfort Keyboard Setup", s.SetupTitle) << "no SetupTitle: product name";
  EXPECT_STREQ("2.4", s.Version);
  EXPECT_STREQ("Stage1", s.DirName1);
  EXPECT_STREQ("Stage2", s.DirName2);
  EXPECT_STREQ("logo.pcx", s.BkgLogo);
  EXPECT_STREQ("ComfortKbd", s.UninstallKey);

  EXPECT_STREQ("Own Title Setup", LoadWith({{"SetupTitle", "Own Title"}}).SetupTitle);
  EXPECT_STREQ(" Setup", LoadWith({{"ProductName", "P"}, {"SetupTitle", ""}}).SetupTitle);
}

TEST(SetupSection, LongProductNameCannotOverrunTheTitle) {
  SettingsRecord s = LoadWith({{"ProductName", std::string(259, 'p')}});
  EXPECT_EQ(259u, std::string(s.SetupTitle).size());
}

TEST(SetupSection, X64NamesTheSixtyFourBitStage) {
  FakeSection f;
  SettingsRecord s;
  ResetSettings(s);
  s.IsNT = 1;
  s.IsX64 = 1;
  ReadSetupSection(s, f);
  EXPECT_STREQ("setup_x64.exe", s.SetupProgramName);
}

TEST(SetupSection, FlagWordsAreWholeTextsIgnoringCase) {
  struct Case {
    const char* key;
    const char* value;
    int32_t SettingsRecord::*field;
    int32_t expected;
  };
  const Case cases[] = {
      {"AskType", "FALSE", &SettingsRecord::AskType, 0},
      {"AskType", "false", &SettingsRecord::AskType, 0},
      {"AskType", "no", &SettingsRecord::AskType, 1},
      {"AskType", "FALSE ", &SettingsRecord::AskType, 1},
      {"CallConfigMg", "yes", &SettingsRecord::CallConfigMg, 0},
      {"CallConfigMg", "True", &SettingsRecord::CallConfigMg, 1},
      {"AskPath", "TRUE", &SettingsRecord::AskPath, 1},
      {"AskPath", "1", &SettingsRecord::AskPath, 0},
      {"AskProgramFolder", "tRuE", &SettingsRecord::AskProgramFolder, 1},
      {"AskProgramFolder", "TRUEX", &SettingsRecord::AskProgramFolder, 0},
      {"USBType", "FALSE", &SettingsRecord::USBType, 0},
      {"USBType", "0", &SettingsRecord::USBType, 1},
      {"PS2Type", "False", &SettingsRecord::PS2Type, 0},
      {"CabFile", "true", &SettingsRecord::CabFile, 1},
      {"CabFile", "yes", &SettingsRecord::CabFile, 0},
  };
  for (const Case& c : cases) {
    SettingsRecord s = LoadWith({{c.key, c.value}});
    EXPECT_EQ(c.expected, s.*c.field) << c.key << "=" << c.value;
  }
}

TEST(SetupSection, CabinetPathIsBesideTheProgram) {
  EXPECT_STREQ("D:\\Media\\data1.cab",
               LoadWith({{"CabFile", "TRUE"}, {"CabFileName", "data1.cab"}}).CabFileName);
  EXPECT_STREQ("D:\\Media\\", LoadWith({{"CabFile", "true"}}).CabFileName);
  EXPECT_STREQ("", LoadWith({{"CabFileName", "data1.cab"}}).CabFileName) << "CabFile off";
}

TEST(SetupSection, LicenseFolderIsPreparedBeforeTheChoice) {
  FakeSection a;
  a.keys = {{"AskLicense", "TRUE"}, {"LicenseFolder", "License"}};
  SettingsRecord s = Load(a);
  EXPECT_EQ(1, s.AskLicense);
  EXPECT_EQ(1, a.licenseCalls);
  EXPECT_EQ("D:\\Media\\License", a.licenseFolderSeen);

  FakeSection b;
  b.keys = {{"AskLicense", "true"}};
  Load(b);
  EXPECT_EQ("D:\\Media", b.licenseFolderSeen);

  FakeSection c;
  c.keys = {{"AskLicense", "yes"}, {"LicenseFolder", "License"}};
  EXPECT_STREQ("", Load(c).LicenseFile);
  EXPECT_EQ(0, c.licenseCalls);
}

TEST(InterfaceRules, TakingAnInterfaceAwayDecidesWithoutAsking) {
  struct Case {
    std::map<std::string, std::string> keys;
    int isNT;
    int32_t askType, interface, restart, callConfigMg;
  };
  const Case cases[] = {
      // AskType stays on: nothing decided yet.
      {{}, 1, 1, 1, 1, 1},
      // PS2Type FALSE selects PS/2; USBType FALSE selects USB; both: PS/2.
      {{{"PS2Type", "FALSE"}}, 1, 0, 2, 1, 0},
      {{{"PS2Type", "FALSE"}}, 0, 0, 2, 0, 1},
      {{{"USBType", "FALSE"}}, 1, 0, 1, 0, 1},
      {{{"USBType", "FALSE"}, {"PS2Type", "FALSE"}}, 1, 0, 2, 1, 0},
      // AskType off: DefaultType, then PS2DriverName.
      {{{"AskType", "FALSE"}, {"DefaultType", "ps2"}}, 1, 0, 2, 1, 0},
      {{{"AskType", "FALSE"}, {"DefaultType", "USB"}}, 1, 0, 1, 0, 1},
      {{{"AskType", "FALSE"}, {"DefaultType", "xyz"}}, 0, 0, 1, 0, 1},
      {{{"AskType", "FALSE"}, {"PS2DriverName", "i8042prt"}}, 1, 0, 2, 1, 0},
      {{{"AskType", "FALSE"}}, 1, 0, 1, 0, 1},
      // Restart after the rules: TRUE and FALSE override, anything else keeps.
      {{{"PS2Type", "FALSE"}, {"Restart", "FALSE"}}, 1, 0, 2, 0, 0},
      {{{"USBType", "FALSE"}, {"Restart", "true"}}, 1, 0, 1, 1, 1},
      {{{"PS2Type", "FALSE"}, {"Restart", "maybe"}}, 1, 0, 2, 1, 0},
      {{{"Restart", "FALSE"}}, 1, 1, 1, 0, 1},
  };
  int i = 0;
  for (const Case& c : cases) {
    SettingsRecord s = LoadWith(c.keys, c.isNT);
    SCOPED_TRACE(i++);
    EXPECT_EQ(c.askType, s.AskType);
    EXPECT_EQ(c.interface, s.InterfaceType);
    EXPECT_EQ(c.restart, s.Restart);
    EXPECT_EQ(c.callConfigMg, s.CallConfigMg);
  }
}

namespace {

struct Present {
  std::set<std::string> names;
};

int Exists(const char* name, void* ctx) { return static_cast<Present*>(ctx)->names.count(name) ? 1 : 0; }

const char* Choose(int w9x, int w98, int me, int nt, int w2k, std::set<std::string> files,
                   const char* moduleDir = "D:\\Media") {
  SettingsRecord s;
  ResetSettings(s);
  CopyText(s.ModuleDir, moduleDir);
  s.IsWin9x = w9x;
  s.IsWin98OrLater = w98;
  s.IsWinME = me;
  s.IsNT = nt;
  s.IsWin2000OrLater = w2k;
  Present p{std::move(files)};
  return ChooseScriptName(s, Exists, &p);
}

std::string Or(const char* name) { return name ? name : "(none)"; }

}  // namespace

TEST(ScriptChoice, EachFamilyFallsBackInItsOwnOrder) {
  const std::set<std::string> all = {"SETUP95.INI", "SETUP98.INI", "SETUPME.INI", "SETUPNT.INI", "SETUP2K.INI"};
  EXPECT_EQ("SETUPME.INI", Or(Choose(1, 1, 1, 0, 0, all)));
  EXPECT_EQ("SETUP98.INI", Or(Choose(1, 1, 1, 0, 0, {"SETUP98.INI", "SETUP95.INI"})));
  EXPECT_EQ("SETUP98.INI", Or(Choose(1, 1, 1, 0, 0, {"SETUP98.INI"}))) << "ME with only 98's script";
  EXPECT_EQ("SETUP95.INI", Or(Choose(1, 1, 1, 0, 0, {"SETUP95.INI"})));
  EXPECT_EQ("(none)", Or(Choose(1, 1, 1, 0, 0, {"SETUPNT.INI", "SETUP2K.INI"})));
  EXPECT_EQ("SETUP98.INI", Or(Choose(1, 1, 0, 0, 0, all)));
  EXPECT_EQ("(none)", Or(Choose(1, 1, 0, 0, 0, {"SETUPME.INI"}))) << "98 never takes ME's script";
  EXPECT_EQ("SETUP95.INI", Or(Choose(1, 0, 0, 0, 0, all)));
  EXPECT_EQ("SETUP2K.INI", Or(Choose(0, 0, 0, 1, 1, all)));
  EXPECT_EQ("SETUPNT.INI", Or(Choose(0, 0, 0, 1, 1, {"SETUPNT.INI"})));
  EXPECT_EQ("SETUPNT.INI", Or(Choose(0, 0, 0, 1, 0, all)));
  EXPECT_EQ("(none)", Or(Choose(0, 0, 0, 1, 0, {"SETUP2K.INI"}))) << "NT 4 never takes 2000's script";
  EXPECT_EQ("SETUPNT.INI", Or(Choose(0, 0, 0, 0, 0, all))) << "neither family counts as NT";
  EXPECT_EQ("(none)", Or(Choose(0, 0, 0, 1, 1, all, ""))) << "program path too long to read";
}
