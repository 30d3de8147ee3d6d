// Start-up: texts, platform, command line, section "Setup", language.

#include "Rows.h"
#include "startup/core/CommandLine.h"
#include "startup/core/LanguageTable.h"
#include "startup/core/PlatformRules.h"
#include "startup/core/SetupKeys.h"

// clang-format off

// ME by the first four characters of VersionNumber (4.90.3000 and 4.10.2222 are Wine runs);
// 64-bit only with AMD64 (9), not Intel (0) or Itanium (6).
TEST(Startup, PlatformFlags) {
  CheckRows({{"4.90 1"}, {"4.9 0"}, {"", "0"}},
            [](const Row& r) { return Str(FlagIsWinMEFromVersionNumber(r[0].c_str())); });
  EXPECT_EQ("100", Str(FlagIsX64(1, 9)) + Str(FlagIsX64(1, 0)) + Str(FlagIsX64(1, 6)));
}

namespace {

// "Key=value;..." as pairs, in order.
std::vector<std::pair<std::string, std::string>> Pairs(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> pairs;
  std::istringstream in(text + ";");  // so that the last value ends too, even empty
  for (std::string key, value; std::getline(in, key, '=') && std::getline(in, value, ';');)
    pairs.emplace_back(key, value);
  return pairs;
}

// Section "Setup"; keeps the folder the license choice was handed ("-": never asked).
struct Section : SetupSectionSource {
  std::map<std::string, std::string> keys;
  std::string license = "-";
  void ReadKey(const char* key, const char* def, char* out, size_t cap) override {
    CopyText(out, cap, keys.count(key) ? keys[key].c_str() : def);
  }
  void ChooseLicense(SettingsRecord& s) override { license = s.LicenseFile; }
};

std::string Text(const char* text) { return text; }
std::string Text(int32_t n) { return Str(n); }

// The fields the rules below read or change, by name.
std::map<std::string, std::string> Fields(const SettingsRecord& s) {
#define F(field) {#field, Text(s.field)}
  return {F(HiddenMode),   F(SilentMode),   F(SwitchQN),         F(SwitchV),     F(NoRestart),
          F(Preload),      F(InterfaceType), F(Restart),         F(CallConfigMg), F(AskType),
          F(AskPath),      F(AskProgramFolder), F(SetupTitle),  F(Version),     F(DirName1),
          F(UninstallKey), F(CabFileName),   F(SetupProgramName), F(LicenseFile), F(CabFile),
          F(AskLicense)};
#undef F
}

}  // namespace

// Line, family -> the fields it changes; AskPath, AskProgramFolder asked before. '/' opens
// the next of 16 tokens of 15 characters (the fuzz target checks that each stays ended);
// blanks are dropped, text before the first '/' is not a token.
TEST(Startup, ApplyCommandLine) {
  // Without the interface page a silent run takes its preselected USB: no restart.
  const std::string off = "AskPath=0,AskProgramFolder=0,AskType=0,";
  std::string sixteen = "/" + std::string(40, 'A');  // then /S is the 16th, /H the 17th
  for (int i = 0; i < 14; ++i) sixteen += "/T" + Str(i);
  CheckRows({{sixteen + "/S/H", "NT", off + "CallConfigMg=1,SilentMode=1"},
             {"H/S", "NT", off + "CallConfigMg=1,SilentMode=1"}, {"/\tS", "NT", "-"},
             {"/ TYPE: PS2", "NT", "AskType=0,InterfaceType=2,Restart=1"},
             {"/S", "9x", off + "CallConfigMg=1,Restart=0,SilentMode=1"},
             {"/TYPE:PS2/S", "NT", off + "InterfaceType=2,Restart=1,SilentMode=1"},
             {"/s//H", "NT", off + "CallConfigMg=1,SilentMode=1"},
             {"/P NT Preload=1"}, {"/PR NT -"}, {"/SS NT -"},  // /V, /QN, /NR, /PRELOAD: Wine runs
             {"/type:ps2 9x AskType=0,CallConfigMg=1,InterfaceType=2,Restart=0"},
             {"/TYPE:PS2/TYPE:USB NT AskType=0,CallConfigMg=1"}},
            [](const Row& r) {
              SettingsRecord s;
              ResetSettings(s);
              s.Restart = r[1] == "9x";
              s.AskPath = s.AskProgramFolder = 1;
              auto before = Fields(s);
              ApplyCommandLine(r[0].c_str(), r[1] == "NT", s);
              std::string got;
              for (auto& [name, value] : Fields(s))
                if (value != before[name]) got += "," + name + "=" + value;
              return got.empty() ? "-" : got.substr(1);
            });
  CheckRows({{"\"C:\\My Media\\Setup.exe\" /S /NR", "/S /NR"}, {"\"C:/media/H/Setup.exe\"", ""},
             {"C:/media/Setup.exe\t /H", "/H"}, {"\"C:\\unterminated /S", ""}},
            [](const Row& r) { return std::string(SkipProgramName(r[0].c_str())); });
}


// Keys, platform -> the fields that the expected text names.
TEST(Startup, SetupSection) {
  const std::string p259(259, 'p');
  CheckRows(
      {{"", "NT",
        "SetupTitle= Setup;Version=1.0;SetupProgramName=Setup.exe;CabFile=0;CabFileName=;AskType=1;"
        "CallConfigMg=1;AskPath=0;AskLicense=0;License=-;AskProgramFolder=0;Restart=1"},
       {"ProductName=K;Version=2;DirName1=S1;UninstallKey=U", "NT",
        "SetupTitle=K Setup;Version=2;DirName1=S1;UninstallKey=U"},
       {"ProductName=P;SetupTitle=", "NT", "SetupTitle= Setup"},  // the key wins, even empty
       {"ProductName=" + p259, "NT", "SetupTitle=" + p259},  // cut, never overrun
       // Flag words are whole texts in any case; anything else keeps the default.
       {"AskType=false;AskProgramFolder=tRuE NT AskType=0;AskProgramFolder=1"},
       {"AskType=FALSE ", "NT", "AskType=1"}, {"AskLicense=true NT License=D:\\M"},
       {"CallConfigMg=yes;CabFile=yes;CabFileName=d.cab;AskLicense=yes;LicenseFolder=Lic", "NT",
        "CallConfigMg=0;CabFile=0;CabFileName=;LicenseFile=;License=-"},
       {"AskLicense=TRUE;LicenseFolder=Lic NT AskLicense=1;License=D:\\M\\Lic"},
       // Interface rules, as AskType, InterfaceType, Restart, CallConfigMg.
       {"DefaultType=ps2 NT 1111"}, {"PS2Type=FALSE NT 0210"}, {"PS2Type=FALSE 9x 0201"},
       {"USBType=FALSE NT 0101"}, {"USBType=FALSE;PS2Type=FALSE NT 0210"},
       {"AskType=FALSE;DefaultType=Pxyz NT 0210"}, {"AskType=FALSE;PS2DriverName=i8042 NT 0210"},
       {"AskType=FALSE;DefaultType=USB;PS2DriverName=i8042 NT 0101"}, {"AskType=FALSE NT 0101"},
       {"PS2Type=FALSE;Restart=FALSE NT 0200"}, {"USBType=FALSE;Restart=true NT 0111"}},
      [](const Row& r) {
        Section f;
        for (auto& p : Pairs(r[0])) f.keys[p.first] = p.second;
        SettingsRecord s;
        ResetSettings(s);
        s.IsNT = r[1] != "9x";
        s.IsWin9x = r[1] == "9x";
        CopyText(s.ModuleDir, "D:\\M");
        CopyText(s.TitleSuffix, "Setup");
        ReadSetupSection(s, f);
        auto fields = Fields(s);
        fields["License"] = f.license;
        if (r[2].find('=') == std::string::npos)
          return Str(s.AskType) + Str(s.InterfaceType) + Str(s.Restart) + Str(s.CallConfigMg);
        std::string got;
        for (auto& want : Pairs(r[2])) got += ";" + want.first + "=" + fields.at(want.first);
        return got.substr(1);
      });
}

// Windows, scripts present -> the script; no folder of our own: none. Each Windows with
// every script is a Wine run; here the fallbacks.
TEST(Startup, ScriptChoice) {
  CheckRows({{"ME 98+95 SETUP98.INI"}, {"ME 95 SETUP95.INI"}, {"ME NT+2K -"}, {"98 ME -"},
             {"2K NT SETUPNT.INI"}, {"NT 2K -"}, {"none 95+98+ME+NT+2K SETUPNT.INI"},
             {"", "95+98+ME+NT+2K", "-"}},
            [](const Row& r) {
              SettingsRecord s{};
              int32_t* flags[] = {&s.IsWin9x, &s.IsWin98OrLater, &s.IsWinME, &s.IsNT,
                                  &s.IsWin2000OrLater};
              const char* const within[] = {"95 98 ME", "98 ME", "ME", "NT 2K", "2K"};
              for (int i = 0; i < 5; ++i) *flags[i] = !!std::strstr(within[i], r[0].c_str());
              CopyText(s.ModuleDir, r[0].empty() ? "" : "D:\\M");
              auto exists = [](const char* name, void* files) {  // by its two letters: SETUP95.INI
                const std::string two(name + 5, 2);
                return int(!!std::strstr(static_cast<char*>(files), two.c_str()));
              };
              const char* chosen = ChooseScriptName(s, exists, const_cast<char*>(r[1].c_str()));
              return std::string(chosen ? chosen : "-");
            });
}

// Locale, setting fails -> in force:tried (the usual moves are Wine rows); then license files.
TEST(Startup, Language) {
  CheckRows({{"1036 0 1036:"}, {"3076 0 1028:1028"}, {"1029 0 1033:1033"},
             {"2060 1 1033:1036,1033"}},
            [](const Row& r) {
              std::string tried = r[1];  // its first character: whether setting fails
              auto trySet = [](uint32_t locale, void* c) {
                auto& t = *static_cast<std::string*>(c);
                t += "," + Str(locale);
                return int(t[0] == '0');
              };
              uint32_t chosen = ChooseThreadLocale(Num(r[0]), trySet, &tried);
              return Str(chosen) + ":" + tried.erase(0, 2);
            });
  CheckRows({{"00000C0A LICENSPA.TXT"}, {"00000c0a -"}, {"00000405 -"}, {"0000080b -"}, {"409 -"}},
            [](const Row& r) {
              int row = MatchLicenseRow(r[0].c_str());
              return std::string(row < 0 ? "-" : kLanguageTable[row].LicenseFile);
            });
}
