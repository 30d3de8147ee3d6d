#include <gtest/gtest.h>

#include "startup/core/PlatformRules.h"

namespace {

struct VersionCase {
  const char* name;
  uint32_t id, major, minor;
  int nt, w2k, w9x, w95, w98;
};

}  // namespace

TEST(PlatformFlags, FromVersionData) {
  const VersionCase cases[] = {
      {"Windows 95", 1, 4, 0, 0, 0, 1, 1, 0},  {"Windows 98", 1, 4, 10, 0, 0, 1, 0, 1},
      {"Windows ME", 1, 4, 90, 0, 0, 1, 0, 1}, {"NT 4", 2, 4, 0, 1, 0, 0, 0, 0},
      {"Windows 2000", 2, 5, 0, 1, 1, 0, 0, 0}, {"Windows XP", 2, 5, 1, 1, 1, 0, 0, 0},
      {"Windows 10", 2, 10, 0, 1, 1, 0, 0, 0}, {"Win32s", 0, 3, 10, 0, 0, 0, 0, 0},
  };
  for (const VersionCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.nt, FlagIsNT(c.id));
    EXPECT_EQ(c.w2k, FlagIsWin2000OrLater(c.id, c.major));
    EXPECT_EQ(c.w9x, FlagIsWin9x(c.id));
    EXPECT_EQ(c.w95, FlagIsWin95(c.id, c.major, c.minor));
    EXPECT_EQ(c.w98, FlagIsWin98OrLater(c.id, c.major, c.minor));
  }
}

TEST(PlatformFlags, WinMEByTheFirstFourCharactersOfVersionNumber) {
  EXPECT_EQ(1, FlagIsWinMEFromVersionNumber("4.90"));
  EXPECT_EQ(1, FlagIsWinMEFromVersionNumber("4.90.3000"));
  EXPECT_EQ(0, FlagIsWinMEFromVersionNumber("4.10.2222"));
  EXPECT_EQ(0, FlagIsWinMEFromVersionNumber("4.9"));
  EXPECT_EQ(0, FlagIsWinMEFromVersionNumber(""));
  EXPECT_EQ(0, FlagIsWinMEFromVersionNumber(nullptr));
}

TEST(PlatformFlags, X64OnlyWithNativeInfoReportingAMD64) {
  EXPECT_EQ(1, FlagIsX64(1, 9));
  EXPECT_EQ(0, FlagIsX64(1, 0)) << "x86";
  EXPECT_EQ(0, FlagIsX64(1, 6)) << "IA-64";
  EXPECT_EQ(0, FlagIsX64(0, 9)) << "no GetNativeSystemInfo";
}

TEST(ModuleDir, CutAtLastBackslash) {
  char a[] = "C:\\Media\\Disk1\\Setup.exe";
  CutAtLastBackslash(a);
  EXPECT_STREQ("C:\\Media\\Disk1", a);
  char b[] = "D:\\Setup.exe";
  CutAtLastBackslash(b);
  EXPECT_STREQ("D:", b) << "a root folder leaves the drive alone";
  char c[] = "Setup.exe";
  CutAtLastBackslash(c);
  EXPECT_STREQ("Setup.exe", c);
}
