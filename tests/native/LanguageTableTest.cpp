#include <gtest/gtest.h>

#include <vector>

#include "startup/core/LanguageTable.h"

namespace {

struct Recorder {
  std::vector<uint32_t> tried;
  bool fail = false;
};

int Record(uint32_t locale, void* ctx) {
  auto* r = static_cast<Recorder*>(ctx);
  r->tried.push_back(locale);
  return r->fail ? 0 : 1;
}

}  // namespace

TEST(ThreadLocale, KnownLocaleStaysAndSetsNothing) {
  Recorder r;
  EXPECT_EQ(1036u, ChooseThreadLocale(1036, Record, &r));
  EXPECT_TRUE(r.tried.empty());
}

TEST(ThreadLocale, SameLanguageOtherRegionMovesToFirstRow) {
  const std::pair<uint32_t, uint32_t> cases[] = {
      {2060, 1036},  // French (Belgium)
      {3076, 1028},  // Chinese (Hong Kong) -> Traditional, the first Chinese row
      {3082, 2058},  // Spanish (modern sort)
      {2057, 1033},  // English (United Kingdom)
  };
  for (auto [from, to] : cases) {
    Recorder r;
    EXPECT_EQ(to, ChooseThreadLocale(from, Record, &r)) << from;
    EXPECT_EQ(std::vector<uint32_t>{to}, r.tried) << from;
  }
}

TEST(ThreadLocale, UnknownLanguageOrFailureFallsBackToEnglish) {
  Recorder czech;
  EXPECT_EQ(1033u, ChooseThreadLocale(1029, Record, &czech));
  EXPECT_EQ(std::vector<uint32_t>{1033}, czech.tried);
  Recorder turkish;
  EXPECT_EQ(1033u, ChooseThreadLocale(1055, Record, &turkish));

  Recorder failing;
  failing.fail = true;
  EXPECT_EQ(1033u, ChooseThreadLocale(2060, Record, &failing));
  EXPECT_EQ((std::vector<uint32_t>{1036, 1033}), failing.tried);
}

TEST(LicenseRow, FirstPassIgnoresCaseSecondMatchesLowByte) {
  EXPECT_STREQ("LICENFRE.TXT", kLanguageTable[MatchLicenseRow("0000040c")].LicenseFile);
  EXPECT_STREQ("LICENENG.TXT", kLanguageTable[MatchLicenseRow("00000809")].LicenseFile);
  EXPECT_STREQ("LICENTCH.TXT", kLanguageTable[MatchLicenseRow("00000C04")].LicenseFile)
      << "the first row with the same low byte wins";
  EXPECT_STREQ("LICENSPA.TXT", kLanguageTable[MatchLicenseRow("00000C0A")].LicenseFile);
  EXPECT_EQ(-1, MatchLicenseRow("00000c0a")) << "lower-case a is not the table's A";
  EXPECT_EQ(-1, MatchLicenseRow("00000405")) << "Czech has no license text";
  EXPECT_EQ(-1, MatchLicenseRow("0000080b")) << "second pass is case-sensitive: 0B vs 0b";
  EXPECT_EQ(-1, MatchLicenseRow("409"));
  EXPECT_EQ(-1, MatchLicenseRow(""));
}
