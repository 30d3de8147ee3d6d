// The setup script read through the real profile functions, list sections,
// path tokens, the license choice and the thread language, in-process.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "startup/Language.h"
#include "startup/ListSection.h"
#include "startup/SetupScript.h"
#include "startup/core/Settings.h"

using namespace testing_support;

namespace {

// Settings as platform detection leaves them on Windows 2000 or later, with
// ModuleDir pointing at a folder of the test's own.
class ScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettings(Settings);
    Settings.IsNT = 1;
    Settings.IsWin2000OrLater = 1;
    CopyText(Settings.ModuleDir, media_.path().c_str());
    CopyText(Settings.TitleSuffix, "Setup");
    GetSystemDirectoryA(Settings.InstallDir, sizeof Settings.InstallDir);
  }
  void Script(const std::string& text) { WriteTextFile(media_ / "SETUP2K.INI", text); }
  std::string Dir() const { return media_.path(); }

  TempDir media_{"script"};
};

}  // namespace

TEST_F(ScriptTest, MissingScriptChangesNothing) {
  SettingsRecord before = Settings;
  EXPECT_EQ(0, LoadSetupScript());
  EXPECT_EQ(0, std::memcmp(&before, &Settings, sizeof before));
}

TEST_F(ScriptTest, ProfileFunctionTrimsBlanksAndOuterQuotes) {
  Script(
      "[Setup]\r\nProductName =  \"Comfort Keyboard\"  \r\nVersion='3.1 beta'\r\n"
      "DirName1=  Disk 1  \r\nAskPath= true \r\nAskType=\"FALSE\"\r\nUninstallKey=" +
      std::string(300, 'k') + "\r\n");
  ASSERT_EQ(1, LoadSetupScript());
  EXPECT_EQ(Dir() + "\\SETUP2K.INI", Settings.ScriptPath);
  EXPECT_STREQ("Comfort Keyboard", Settings.ProductName);
  EXPECT_STREQ("Comfort Keyboard Setup", Settings.SetupTitle);
  EXPECT_STREQ("3.1 beta", Settings.Version);
  EXPECT_STREQ("Disk 1", Settings.DirName1);
  EXPECT_EQ(1, Settings.AskPath);
  EXPECT_EQ(0, Settings.AskType);
  EXPECT_EQ(259u, std::strlen(Settings.UninstallKey)) << "long values are cut, not overrun";
}

TEST_F(ScriptTest, FallsBackToSetupNTOnWindows2000) {
  WriteTextFile(media_ / "SETUPNT.INI", "[Setup]\r\nProductName=From NT\r\n");
  ASSERT_EQ(1, LoadSetupScript());
  EXPECT_EQ(Dir() + "\\SETUPNT.INI", Settings.ScriptPath);
  EXPECT_STREQ("From NT", Settings.ProductName);
}

TEST_F(ScriptTest, ListSectionLinesInFileOrderWithFields) {
  Script(
      "[Setup]\r\n[Things]\r\nzeta.exe=%1%\\Tools,\"a, b\" c,1\r\nalpha.exe=\r\n"
      "beta.exe=%11%,%10%,%17%,%Vendor%\\x\r\n[Empty]\r\n"
      "[Strings]\r\nVendor=Velmorax %1%\r\n");
  ASSERT_EQ(1, LoadSetupScript());
  std::vector<std::string> names;
  std::vector<std::vector<std::string>> lines;
  ReadListSection("Things", [&](const char* name, const char* value) {
    names.push_back(name);
    char fields[4][kTextSize];
    int supplied = SplitFields(value, fields, 4);
    std::vector<std::string> f(fields, fields + 4);
    f.push_back(std::to_string(supplied));
    lines.push_back(f);
  });
  ASSERT_EQ((std::vector<std::string>{"zeta.exe", "alpha.exe", "beta.exe"}), names);
  EXPECT_EQ((std::vector<std::string>{Dir() + "\\Tools", "a, b c", "1", "", "3"}), lines[0]);
  EXPECT_EQ((std::vector<std::string>{"", "", "", "", "1"}), lines[1])
      << "an empty value is one line";
  EXPECT_EQ((std::vector<std::string>{SystemDir(), WindowsDir(), WindowsDir() + "\\Inf",
                                      "Velmorax %1%\\x", "4"}),
            lines[2]);

  int calls = 0;
  ReadListSection("Empty", [&](const char*, const char*) { ++calls; });
  ReadListSection("Absent", [&](const char*, const char*) { ++calls; });
  EXPECT_EQ(0, calls);
}

TEST_F(ScriptTest, KeyNamesBeyondTheListBufferAreNotSeen) {
  std::string text = "[Setup]\r\n[Many]\r\n";
  for (int i = 0; i < 200; ++i) text += "name" + std::to_string(1000 + i) + ".exe=x\r\n";
  Script(text);
  ASSERT_EQ(1, LoadSetupScript());
  std::vector<std::string> names;
  ReadListSection("Many", [&](const char* name, const char*) { names.push_back(name); });
  EXPECT_GT(names.size(), 50u);
  EXPECT_LT(names.size(), 200u) << "the 1024-byte list holds only the first names";
  EXPECT_EQ("name1000.exe", names.front());
}

TEST_F(ScriptTest, FileExistsAndModuleFolder) {
  WriteTextFile(media_ / "a.txt", "x");
  EXPECT_EQ(1, FileExists((media_ / "a.txt").c_str()));
  EXPECT_EQ(1, FileExists(Dir().c_str())) << "a folder counts";
  EXPECT_EQ(0, FileExists((media_ / "b.txt").c_str()));
  char folder[MAX_PATH];
  EXPECT_EQ(BinDir() + "\\", ModuleFolder(folder, sizeof folder));
}

namespace {

// The license folder with some of the license texts.
class LicenseTest : public ScriptTest {
 protected:
  void SetUp() override {
    ScriptTest::SetUp();
    MakeDirs(media_ / "License");
    WriteTextFile(media_ / "License\\LICENENG.TXT", std::string(1234, 'e'));
    WriteTextFile(media_ / "License\\LICENFRE.TXT", std::string(77, 'f'));
  }
  void Choose(const char* locale) {
    ScopedRegValue value(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", locale);
    Script("[Setup]\r\nAskLicense=TRUE\r\nLicenseFolder=License\r\n");
    ASSERT_EQ(1, LoadSetupScript());
  }
};

}  // namespace

// The user's locale picks the license text; without a text for it, the
// folder stays and its length is 0.
TEST_F(LicenseTest, ChoosesTheFileOfTheUsersLocale) {
  struct Row {
    const char* locale;  // nullptr: unreadable
    const char* file;    // "" for the folder
    int length;
  } const rows[] = {
      {"0000040c", "\\LICENFRE.TXT", 77},
      {"00000809", "\\LICENENG.TXT", 1234},  // another region of a known language
      {"00000407", "", 0},                   // German: no LICENGER.TXT here
      {"00000405", "", 0},                   // Czech: a language without license text
      {nullptr, "\\LICENENG.TXT", 1234},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.locale ? row.locale : "no locale");
    ScriptTest::SetUp();  // fresh settings for each row
    Choose(row.locale);
    EXPECT_EQ(Dir() + "\\License" + row.file, Settings.LicenseFile);
    EXPECT_EQ(row.length, Settings.LicenseLength);
  }
}

TEST_F(LicenseTest, NineXReadsResourceLocale) {
  Settings.IsNT = 0;
  ScopedRegValue nt(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", "00000409");
  ScopedRegValue w9x(HKEY_CURRENT_USER, "Control Panel\\Desktop\\ResourceLocale", "", "0000040C");
  CopyText(Settings.LicenseFile, (media_ / "License").c_str());
  ChooseLicenseFile();
  EXPECT_EQ(Dir() + "\\License\\LICENFRE.TXT", Settings.LicenseFile);
}

TEST_F(LicenseTest, OversizedLocaleValueIsCutNotOverrun) {
  std::string huge(5000, '0');
  Choose(huge.c_str());
  EXPECT_EQ(Dir() + "\\License", Settings.LicenseFile) << "no row matches a 5000-digit locale";
  char out[16];
  ScopedRegValue v(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", huge.c_str());
  ReadUserLocaleText(1, out, sizeof out);
  EXPECT_EQ(15u, std::strlen(out));
}

TEST(ThreadLanguage, MovesOntoTheLanguageTable) {
  const std::pair<LCID, LCID> cases[] = {
      {1036, 1036}, {2060, 1036}, {1055, 1033}, {1029, 1033}, {3082, 2058}};
  LCID original = GetThreadLocale();
  for (auto [from, to] : cases) {
    ASSERT_TRUE(SetThreadLocale(from)) << from;
    SetThreadLanguage();
    EXPECT_EQ(to, GetThreadLocale()) << "from " << from;
  }
  SetThreadLocale(original);
}
