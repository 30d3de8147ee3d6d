// The setup script through the real profile functions, the license text
// chosen by the user's locale, and the thread language, in this process.
#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"
#include "startup/Language.h"
#include "startup/ListSection.h"
#include "startup/SetupScript.h"
#include "startup/core/Settings.h"

using namespace testing_support;

namespace {

// Settings as on Windows 2000 or later, with ModuleDir a folder of the test's own.
void Prepare(const TempDir& media, int isNT = 1) {
  ResetSettings(Settings);
  Settings.IsNT = Settings.IsWin2000OrLater = isNT;
  CopyText(Settings.ModuleDir, media.path().c_str());
  CopyText(Settings.TitleSuffix, "Setup");
}

}  // namespace

// No script changes nothing. Values as the profile functions give them:
// blanks and one pair of outer quotes gone; one too long for its field cut.
TEST(SetupScript, ValuesAsTheProfileFunctionsGiveThem) {
  TempDir media("script");
  Prepare(media);
  SettingsRecord before = Settings;
  EXPECT_EQ(0, LoadSetupScript());
  EXPECT_EQ(0, std::memcmp(&before, &Settings, sizeof before));
  WriteTextFile(media / "SETUP2K.INI",
                "[Setup]\r\nProductName =  \"Comfort Keyboard\"  \r\nVersion='3.1 beta'\r\n"
                "DirName1=  Disk 1  \r\nAskPath= true \r\nUninstallKey=" +
                    std::string(300, 'k') + "\r\n");
  ASSERT_EQ(1, LoadSetupScript());
  EXPECT_EQ(media / "SETUP2K.INI", Settings.ScriptPath);
  EXPECT_STREQ("Comfort Keyboard Setup", Settings.SetupTitle);
  EXPECT_STREQ("3.1 beta", Settings.Version);
  EXPECT_STREQ("Disk 1", Settings.DirName1);
  EXPECT_EQ(1, Settings.AskPath);
  EXPECT_EQ(259u, std::strlen(Settings.UninstallKey));
}

// The key names come through a 1024-byte list: the rest are not seen, and
// nothing is overrun. An empty value is still a line.
TEST(SetupScript, ListSectionKeyNamesInFileOrder) {
  TempDir media("script");
  Prepare(media);
  std::string text = "[Setup]\r\n[Many]\r\nfirst.exe=\r\n";
  for (int i = 0; i < 200; ++i) text += "name" + std::to_string(1000 + i) + ".exe=x\r\n";
  WriteTextFile(media / "SETUP2K.INI", text);
  ASSERT_EQ(1, LoadSetupScript());
  std::string names;
  int lines = 0;
  ReadListSection("Many", [&](const char* name, const char* value) {
    if (++lines < 3) names += std::string(name) + "=" + value + " ";
  });
  EXPECT_EQ("first.exe= name1000.exe=x ", names);
  EXPECT_GT(lines, 50);
  EXPECT_LT(lines, 201);
}

// The user's locale (on 9x the resource locale) picks the license text;
// without a text for it, the folder stays and the length is 0.
TEST(LicenseFile, ChosenByTheUsersLocale) {
  const std::string huge(5000, '0');
  struct Row {
    int isNT;
    const char* locale;  // nullptr: none
    const char* file;
    int length;
  } const rows[] = {
      {1, "0000040c", "\\LICENFRE.TXT", 77},
      {1, "00000809", "\\LICENENG.TXT", 1234},  // another English region
      {1, "00000407", "", 0},
      {1, nullptr, "\\LICENENG.TXT", 1234},
      {1, huge.c_str(), "", 0},
      {0, "0000040C", "\\LICENFRE.TXT", 77},
  };
  TempDir media("license");
  WriteFileMakingDirs(media / "License\\LICENENG.TXT", std::string(1234, 'e'));
  WriteFileMakingDirs(media / "License\\LICENFRE.TXT", std::string(77, 'f'));
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "NT " << r.isNT << ", locale " << (r.locale ? r.locale : "none"));
    Prepare(media, r.isNT);
    ScopedRegValue nt(HKEY_CURRENT_USER, "Control Panel\\International", "Locale",
                      r.isNT ? r.locale : "00000409");
    ScopedRegValue w9x(HKEY_CURRENT_USER, "Control Panel\\Desktop\\ResourceLocale", "",
                       r.isNT ? nullptr : r.locale);
    CopyText(Settings.LicenseFile, (media / "License").c_str());
    ChooseLicenseFile();
    EXPECT_EQ(media / "License" + r.file, Settings.LicenseFile);
    EXPECT_EQ(r.length, Settings.LicenseLength);
    char out[16];
    ReadUserLocaleText(r.isNT, out, sizeof out);
    EXPECT_LE(std::strlen(out), 15u);
  }
}

TEST(ThreadLanguage, MovesOntoTheLanguageTable) {
  const std::pair<LCID, LCID> rows[] = {{1036, 1036}, {2060, 1036}, {1055, 1033}, {3082, 2058}};
  LCID original = GetThreadLocale();
  for (auto [from, to] : rows) {
    ASSERT_TRUE(SetThreadLocale(from)) << from;
    SetThreadLanguage();
    EXPECT_EQ(to, GetThreadLocale()) << "from " << from;
  }
  SetThreadLocale(original);
}
