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

// Settings as platform detection leaves them, with ModuleDir a folder of the test's own.
void Prepare(const TempDir& media, int isNT = 1) {
  ResetSettings(Settings);
  Settings.IsNT = Settings.IsWin2000OrLater = isNT;
  CopyText(Settings.ModuleDir, media.path().c_str());
}

}  // namespace

// A value too long for its field is cut, and list key names beyond the
// 1024-byte list are not seen: nothing is overrun.
TEST(SetupScript, LongValuesAndListsAreCut) {
  TempDir media("script");
  Prepare(media);
  std::string text = "[Setup]\r\nUninstallKey=" + std::string(300, 'k') + "\r\n[Many]\r\nfirst.exe=\r\n";
  for (int i = 0; i < 200; ++i) text += "name" + std::to_string(1000 + i) + ".exe=x\r\n";
  WriteTextFile(media / "SETUP2K.INI", text);
  ASSERT_EQ(1, LoadSetupScript());
  EXPECT_EQ(259u, std::strlen(Settings.UninstallKey));
  std::string names;
  int lines = 0;
  ReadListSection("Many", [&](const char* name, const char* value) {
    if (++lines < 3) names += std::string(name) + "=" + value + " ";
  });
  EXPECT_EQ("first.exe= name1000.exe=x ", names) << "an empty value is a line too";
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
      {1, "00000809", "\\LICENENG.TXT", 1234},  // another English
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
