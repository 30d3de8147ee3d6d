// Start-up: bounded texts, platform flags, the command line, the setup
// script's section "Setup" and the language rules.
#include <cstring>
#include <map>

#include "Rows.h"
#include "startup/core/CommandLine.h"
#include "startup/core/LanguageTable.h"
#include "startup/core/PlatformRules.h"
#include "startup/core/SetupKeys.h"

// clang-format off: table rows are packed by hand, several to a line.

// Copies are cut to the buffer (exactly cap bytes, for ASan) and always terminated.
// Op (c: CopyText, n3: CopyTextN of 3, a: AppendText), buffer, text, cap.
TEST(Startup, BoundedText) {
  CheckRows({{"c", "", "abcdefg", "5", "0 abcd"}, {"c", "", "ab", "5", "1 ab"},
             {"c", "", "a", "0", "0 "}, {"a", "ab", "cd", "5", "1 abcd"},
             {"a", "abcd", "e", "5", "0 abcd"},
             {"a", "xxxx", "y", "4", "0 xxx"},  // unterminated: repaired
             {"n3", "", "abcdef", "10", "1 abc"}, {"n3", "", "ab", "10", "1 ab"}},
            [](const Row& r) {
              std::vector<char> buf(r[1].begin(), r[1].end());
              size_t cap = Num(r[3]);
              buf.resize(cap, '\0');
              int fitted = r[0] == "c"    ? CopyText(buf.data(), cap, r[2].c_str())
                           : r[0] == "n3" ? CopyTextN(buf.data(), cap, r[2].c_str(), 3)
                                          : AppendText(buf.data(), cap, r[2].c_str());
              return Str(fitted) + " " + (cap ? buf.data() : "");
            });
  CheckRows({{"TRUE", "true", "1"}, {"TyPe:Ps2", "TYPE:PS2", "1"}, {"TRUE ", "TRUE", "0"},
             {"PR", "PRELOAD", "0"}, {"", "", "1"}, {"[", "{", "0"}},
            [](const Row& r) { return Str(EqualsNoCase(r[0].c_str(), r[1].c_str())); });
}

// Platform id, major, minor -> NT, 2000 or later, 9x, 95, 98 or later.
TEST(Startup, PlatformFlags) {
  CheckRows({{"1", "4", "0", "00110"}, {"1", "4", "10", "00101"}, {"1", "4", "90", "00101"},
             {"1", "5", "0", "00101"}, {"2", "4", "0", "10000"}, {"2", "5", "0", "11000"},
             {"2", "10", "0", "11000"}, {"0", "3", "10", "00000"}},
            [](const Row& r) {
              uint32_t id = Num(r[0]), major = Num(r[1]), minor = Num(r[2]);
              return Str(FlagIsNT(id)) + Str(FlagIsWin2000OrLater(id, major)) +
                     Str(FlagIsWin9x(id)) + Str(FlagIsWin95(id, major, minor)) +
                     Str(FlagIsWin98OrLater(id, major, minor));
            });
  // ME by the first four characters of VersionNumber.
  CheckRows({{"4.90", "1"}, {"4.90.3000", "1"}, {"4.10.2222", "0"}, {"4.9", "0"}, {"", "0"}},
            [](const Row& r) { return Str(FlagIsWinMEFromVersionNumber(r[0].c_str())); });
  EXPECT_EQ(0, FlagIsWinMEFromVersionNumber(nullptr));
  // 64-bit only when GetNativeSystemInfo exists and reports AMD64 (not x86, not IA-64).
  EXPECT_EQ("1000", Str(FlagIsX64(1, 9)) + Str(FlagIsX64(1, 0)) + Str(FlagIsX64(1, 6)) +
                        Str(FlagIsX64(0, 9)));
  CheckRows({{"C:\\Media\\Disk1\\Setup.exe", "C:\\Media\\Disk1"}, {"D:\\Setup.exe", "D:"},
             {"Setup.exe", "Setup.exe"}},
            [](Row r) {
              CutAtLastBackslash(&r[0][0]);
              return std::string(r[0].c_str());
            });
}

// '/' opens the next of 16 slots of 15 characters; blanks are dropped, text
// before the first '/' and past the limits is ignored.
TEST(Startup, CutCommandLine) {
  std::string many = "/" + std::string(40, 'A'), slots = std::string(15, 'A');
  for (int i = 0; i < 30; ++i) many += "/T" + Str(i);
  for (int i = 0; i < 15; ++i) slots += "|T" + Str(i);
  CheckRows({{"/S /TYPE: PS2 / q n", "S|TYPE:PS2|qn"}, {"junk/H", "H"}, {"/\tS", "\tS"},
             {"/S//H", "S||H"}, {many, slots}},
            [](const Row& r) {
              CommandTokens t;
              std::memset(&t, 'x', sizeof t);
              CutCommandLine(r[0].c_str(), t);
              std::string got;
              for (const auto& slot : t.Slot)
                got += "|" + (std::memchr(slot, '\0', sizeof slot) ? std::string(slot) : "open");
              return got.substr(1, got.find_last_not_of('|'));
            });
}

// What a line changes on fresh settings whose AskPath and AskProgramFolder
// were asked and whose Restart is the opposite of what TYPE:PS2 sets there.
TEST(Startup, ApplyCommandLine) {
  CheckRows({{"/H", "NT", "Hidden=1 Silent=1 AskType=0 AskPath=0 AskFolder=0"},
             {"/s", "NT", "Silent=1 AskType=0 AskPath=0 AskFolder=0"},
             {"/QN", "NT", "Hidden=1 QN=1"}, {"/v", "NT", "V=1"}, {"/nr", "NT", "NR=1"},
             {"/P", "NT", "Preload=1"}, {"/preload", "NT", "Preload=1"}, {"/PR", "NT", ""},
             {"/SS", "NT", ""}, {"/TYPE:PS2", "NT", "Type=2 Restart=1 AskType=0"},
             {"/type:ps2", "9x", "Type=2 Restart=0 ConfigMg=1 AskType=0"},
             {"/TYPE:USB", "9x", "Restart=0 ConfigMg=1 AskType=0"},
             {"/TYPE:PS2/TYPE:USB", "NT", "ConfigMg=1 AskType=0"},         // the later wins
             {"/S//H", "NT", "Silent=1 AskType=0 AskPath=0 AskFolder=0"},  // "//" ends the line
             {"//S", "NT", ""}, {"/X/X/X/X/X/X/X/X/X/X/X/X/X/X/X/X/S", "NT", ""},
             {"/XXXXXXXXXXXXXXXS", "NT", ""}, {"", "NT", ""}, {"null", "NT", ""}},
            [](const Row& r) {
              using S = SettingsRecord;
              const std::pair<const char*, int32_t S::*> fields[] = {
                  {"Hidden", &S::HiddenMode},     {"Silent", &S::SilentMode},
                  {"QN", &S::SwitchQN},           {"V", &S::SwitchV},
                  {"NR", &S::NoRestart},          {"Preload", &S::Preload},
                  {"Type", &S::InterfaceType},    {"Restart", &S::Restart},
                  {"ConfigMg", &S::CallConfigMg}, {"AskType", &S::AskType},
                  {"AskPath", &S::AskPath},       {"AskFolder", &S::AskProgramFolder}};
              S before;
              ResetSettings(before);
              before.Restart = r[1] == "9x";
              before.AskPath = before.AskProgramFolder = 1;
              S s = before;
              ApplyCommandLine(r[0] == "null" ? nullptr : r[0].c_str(), r[1] == "NT", s);
              std::string got;
              for (const auto& f : fields)
                if (s.*f.second != before.*f.second)
                  got += std::string(" ") + f.first + "=" + Str(s.*f.second);
              return got.empty() ? got : got.substr(1);
            });
  // A slash in the program's own path is never read as a switch.
  CheckRows({{"Setup.exe /S", "/S"}, {"\"C:\\My Media\\Setup.exe\" /S /NR", "/S /NR"},
             {"\"C:/media/H/Setup.exe\"", ""}, {"C:/media/Setup.exe\t /H", "/H"},
             {"\"C:\\unterminated /S", ""}, {"", ""}},
            [](const Row& r) { return std::string(SkipProgramName(r[0].c_str())); });
  EXPECT_EQ(nullptr, SkipProgramName(nullptr));
}

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// "Key=value;..." as pairs.
Pairs Split(const std::string& text) {
  Pairs pairs;
  for (size_t at = 0; at < text.size();) {
    size_t eq = text.find('=', at), end = std::min(text.find(';', at), text.size());
    pairs.emplace_back(text.substr(at, eq - at), text.substr(eq + 1, end - eq - 1));
    at = end + 1;
  }
  return pairs;
}

// Section "Setup"; records the folder the license choice was handed ("-": never asked).
struct Section : SetupSectionSource {
  std::map<std::string, std::string> keys;
  std::string license = "-";
  void ReadKey(const char* key, const char* def, char* out, size_t cap) override {
    CopyText(out, cap, keys.count(key) ? keys[key].c_str() : def);
  }
  void ChooseLicense(SettingsRecord& s) override { license = s.LicenseFile; }
};

}  // namespace

// Keys, platform -> the fields that the expected text names.
TEST(Startup, SetupSection) {
  const std::string p259(259, 'p');
  CheckRows(
      {{"", "NT",
        "ProductName=;SetupTitle= "
        "Setup;Version=1.0;SetupProgramName=Setup.exe;CabFile=0;CabFileName=;"
        "AskType=1;CallConfigMg=1;AskPath=0;AskLicense=0;License=-;AskProgramFolder=0;"
        "InterfaceType=1;"
        "Restart=1"},
       {"ProductName=Kbd;UninstallDisplayName=Drv;Version=2.4;DirName1=S1;DirName2=S2;BkgLogo=l."
        "pcx;UninstallKey=K",
        "NT",
        "ProductName=Kbd;UninstallDisplayName=Drv;SetupTitle=Kbd "
        "Setup;Version=2.4;DirName1=S1;DirName2=S2;"
        "BkgLogo=l.pcx;UninstallKey=K"},
       {"SetupTitle=Own", "NT", "SetupTitle=Own Setup"},
       {"ProductName=P;SetupTitle=", "NT", "SetupTitle= Setup"},
       {"ProductName=" + p259, "NT", "SetupTitle=" + p259},  // cut, never overrun
       {"", "x64", "SetupProgramName=setup_x64.exe"},
       // Flag words are whole texts in any case; anything else keeps the default.
       {"AskType=false", "NT", "AskType=0"}, {"AskType=FALSE ", "NT", "AskType=1"},
       {"CallConfigMg=yes", "NT", "CallConfigMg=0"}, {"AskPath=1", "NT", "AskPath=0"},
       {"AskProgramFolder=tRuE", "NT", "AskProgramFolder=1"}, {"USBType=0", "NT", "USBType=1"},
       {"PS2Type=False", "NT", "PS2Type=0"},
       {"CabFile=TRUE;CabFileName=d.cab", "NT", "CabFile=1;CabFileName=D:\\M\\d.cab"},
       {"CabFile=yes;CabFileName=d.cab", "NT", "CabFile=0;CabFileName="},
       {"AskLicense=TRUE;LicenseFolder=Lic", "NT", "AskLicense=1;License=D:\\M\\Lic"},
       {"AskLicense=true", "NT", "License=D:\\M"},
       {"AskLicense=yes;LicenseFolder=Lic", "NT", "LicenseFile=;License=-"},
       // Taking an interface away decides it: PS2Type FALSE selects PS/2 (also with
       // USBType FALSE), USBType FALSE USB; else AskType off: DefaultType by its
       // first letter, then PS2DriverName. Restart FALSE or TRUE overrides.
       {"DefaultType=ps2", "NT", "AskType=1;InterfaceType=1;Restart=1;CallConfigMg=1"},
       {"PS2Type=FALSE", "NT", "AskType=0;InterfaceType=2;Restart=1;CallConfigMg=0"},
       {"PS2Type=FALSE", "9x", "AskType=0;InterfaceType=2;Restart=0;CallConfigMg=1"},
       {"USBType=FALSE", "NT", "AskType=0;InterfaceType=1;Restart=0;CallConfigMg=1"},
       {"USBType=FALSE;PS2Type=FALSE", "NT", "InterfaceType=2;Restart=1"},
       {"AskType=FALSE;DefaultType=Pxyz", "NT", "InterfaceType=2;Restart=1;CallConfigMg=0"},
       {"AskType=FALSE;DefaultType=USB;PS2DriverName=i8042", "NT", "InterfaceType=1;Restart=0"},
       {"AskType=FALSE;PS2DriverName=i8042", "NT", "InterfaceType=2"},
       {"AskType=FALSE", "NT", "AskType=0;InterfaceType=1;Restart=0;CallConfigMg=1"},
       {"PS2Type=FALSE;Restart=FALSE", "NT", "Restart=0;CallConfigMg=0"},
       {"USBType=FALSE;Restart=true", "NT", "Restart=1"},
       {"PS2Type=FALSE;Restart=maybe", "NT", "Restart=1"},
       {"Restart=FALSE", "NT", "AskType=1;Restart=0"}},
      [](const Row& r) {
        using S = SettingsRecord;
        const std::map<std::string, char(S::*)[kTextSize]> texts = {
            {"ProductName", &S::ProductName}, {"UninstallDisplayName", &S::UninstallDisplayName},
            {"SetupTitle", &S::SetupTitle},   {"Version", &S::Version},
            {"DirName1", &S::DirName1},       {"DirName2", &S::DirName2},
            {"BkgLogo", &S::BkgLogo},         {"UninstallKey", &S::UninstallKey},
            {"CabFileName", &S::CabFileName}, {"SetupProgramName", &S::SetupProgramName},
            {"LicenseFile", &S::LicenseFile}};
        const std::map<std::string, int32_t S::*> flags = {
            {"AskType", &S::AskType},       {"USBType", &S::USBType},
            {"PS2Type", &S::PS2Type},       {"InterfaceType", &S::InterfaceType},
            {"Restart", &S::Restart},       {"CallConfigMg", &S::CallConfigMg},
            {"CabFile", &S::CabFile},       {"AskPath", &S::AskPath},
            {"AskLicense", &S::AskLicense}, {"AskProgramFolder", &S::AskProgramFolder}};
        Section f;
        for (auto& p : Split(r[0])) f.keys[p.first] = p.second;
        S s;
        ResetSettings(s);
        s.IsNT = r[1] != "9x", s.IsWin9x = r[1] == "9x", s.IsX64 = r[1] == "x64";
        CopyText(s.ModuleDir, "D:\\M");
        CopyText(s.TitleSuffix, "Setup");
        ReadSetupSection(s, f);
        std::string got;
        for (auto& want : Split(r[2])) {
          const std::string& k = want.first;
          got += ";" + k + "=" +
                 (k == "License"   ? f.license
                  : texts.count(k) ? std::string(s.*texts.at(k))
                                   : Str(s.*flags.at(k)));
        }
        return got.substr(1);
      });
}

// Windows, scripts present -> the script. Each family falls back in its own
// order and never takes a newer one's; no folder of our own (a path too long
// to read): none.
TEST(Startup, ScriptChoice) {
  CheckRows({{"ME", "95 98 ME NT 2K", "SETUPME.INI"}, {"ME", "98 95", "SETUP98.INI"},
             {"ME", "95", "SETUP95.INI"}, {"ME", "NT 2K", "-"},
             {"98", "95 98 ME NT 2K", "SETUP98.INI"}, {"98", "ME", "-"},
             {"95", "95 98 ME NT 2K", "SETUP95.INI"}, {"2K", "95 98 ME NT 2K", "SETUP2K.INI"},
             {"2K", "NT", "SETUPNT.INI"}, {"NT4", "95 98 ME NT 2K", "SETUPNT.INI"},
             {"NT4", "2K", "-"}, {"other", "95 98 ME NT 2K", "SETUPNT.INI"}, {"2K", "", "-"},
             {"", "95 98 ME NT 2K", "-"}},
            [](const Row& r) {
              SettingsRecord s;
              ResetSettings(s);
              const std::string& w = r[0];
              s.IsWin9x = w == "95" || w == "98" || w == "ME";
              s.IsWin98OrLater = w == "98" || w == "ME";
              s.IsWinME = w == "ME";
              s.IsNT = w == "NT4" || w == "2K" || w.empty();
              s.IsWin2000OrLater = w == "2K" || w.empty();
              CopyText(s.ModuleDir, w.empty() ? "" : "D:\\M");
              std::string files = " " + r[1] + " ";
              auto exists = [](const char* name, void* ctx) {
                return int(static_cast<std::string*>(ctx)->find(" " + std::string(name, 5, 2) +
                                                                " ") != std::string::npos);
              };
              const char* chosen = ChooseScriptName(s, exists, &files);
              return std::string(chosen ? chosen : "-");
            });
}

// Locale, whether setting it fails -> the locale in force: the locales tried.
// A known language's locale stays; another region of one moves to that
// language's first row; anything else, or a refused change, ends in English.
TEST(Startup, ThreadLocale) {
  CheckRows({{"1036", "0", "1036:"}, {"2060", "0", "1036: 1036"}, {"3076", "0", "1028: 1028"},
             {"3082", "0", "2058: 2058"}, {"2057", "0", "1033: 1033"}, {"1029", "0", "1033: 1033"},
             {"1055", "0", "1033: 1033"}, {"2060", "1", "1033: 1036 1033"}},
            [](const Row& r) {
              std::string tried = r[1];  // its first character: whether setting fails
              auto trySet = [](uint32_t locale, void* c) {
                auto& t = *static_cast<std::string*>(c);
                t += " " + Str(locale);
                return t[0] == '0' ? 1 : 0;
              };
              uint32_t chosen = ChooseThreadLocale(Num(r[0]), trySet, &tried);
              return Str(chosen) + ":" + tried.substr(1);
            });
  // The license: a whole-text match ignoring case, then the first row with
  // the same low byte, compared case-sensitively.
  CheckRows({{"0000040c", "LICENFRE.TXT"}, {"00000809", "LICENENG.TXT"},
             {"00000C04", "LICENTCH.TXT"}, {"00000C0A", "LICENSPA.TXT"}, {"00000c0a", "-"},
             {"00000405", "-"}, {"0000080b", "-"}, {"409", "-"}, {"", "-"}},
            [](const Row& r) {
              int row = MatchLicenseRow(r[0].c_str());
              return std::string(row < 0 ? "-" : kLanguageTable[row].LicenseFile);
            });
}
