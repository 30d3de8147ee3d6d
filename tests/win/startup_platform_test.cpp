// Platform detection in this test program's own Wine (the 64-bit prefix's
// default Windows version, 2000 or later): the fields it fills.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "startup/Platform.h"
#include "startup/core/Settings.h"

using namespace testing_support;

TEST(DetectPlatform, FillsFieldsFromTheRunningSystem) {
  ResetSettings(Settings);
  DetectPlatform(GetModuleHandleA(nullptr));
  EXPECT_EQ(1, Settings.IsNT);
  EXPECT_EQ(1, Settings.IsWin2000OrLater);
  EXPECT_EQ(1, Settings.IsX64) << "the 64-bit prefix reports AMD64";
  EXPECT_EQ(0, Settings.IsWin9x);
  EXPECT_EQ(0, Settings.IsWinME);
  EXPECT_STREQ("Setup", Settings.TitleSuffix);
  char sys[MAX_PATH];
  GetSystemDirectoryA(sys, sizeof sys);
  EXPECT_STREQ(sys, Settings.InstallDir);
  EXPECT_EQ(BinDir(), Settings.ModuleDir);
}
