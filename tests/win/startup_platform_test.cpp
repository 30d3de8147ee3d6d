// Platform detection in this test program's own Wine (the prefix's default
// Windows version): the fields it fills and the direct tests.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "startup/Platform.h"
#include "startup/core/Settings.h"

using namespace testing_support;

TEST(DetectPlatform, FillsFieldsFromTheRunningSystem) {
  ResetSettings(Settings);
  DetectPlatform(GetModuleHandleA(nullptr));
  EXPECT_EQ(1, Settings.IsNT);
  EXPECT_EQ(0, Settings.IsWin9x);
  EXPECT_EQ(0, Settings.IsWinME);
  EXPECT_STREQ("Setup", Settings.TitleSuffix);
  char sys[MAX_PATH];
  GetSystemDirectoryA(sys, sizeof sys);
  EXPECT_STREQ(sys, Settings.InstallDir);
  EXPECT_EQ(BinDir(), Settings.ModuleDir);
  EXPECT_EQ(TestIsNT(), Settings.IsNT);
  EXPECT_EQ(TestIsWin2000OrLater(), Settings.IsWin2000OrLater);
  EXPECT_EQ(TestIsX64(), Settings.IsX64);
}

TEST(DetectPlatform, SixtyFourBitPrefixReportsAMD64) {
  EXPECT_EQ(1, TestIsX64()) << "this program runs in the 64-bit prefix";
}
