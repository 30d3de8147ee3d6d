// The way per platform and outcome, the preload command line and the
// product folder paths.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/core/DriverRules.h"
#include "driver/core/FolderRules.h"

namespace {

constexpr DriverPlatform kWinME{1, 0, 0};
constexpr DriverPlatform kWin2000{0, 1, 0};
constexpr DriverPlatform kWin9xNT4{0, 0, 0};
constexpr DriverPlatform kWinMEPreload{1, 0, 1};
constexpr DriverPlatform kWin2000Preload{0, 1, 1};
constexpr DriverPlatform kWin9xPreload{0, 0, 1};

}  // namespace

TEST(ChooseFirstWay, PerPlatformAndClass) {
  struct Case {
    DriverPlatform platform;
    const char* deviceClass;
    FirstWay want;
  } cases[] = {
      {kWinME, "Keyboard", FirstWay::Newdev},
      {kWinME, "Unknown", FirstWay::Newdev},
      {kWinME, "HIDClass", FirstWay::Newdev},
      {kWin2000, "Keyboard", FirstWay::DriverLibrary},
      {kWin2000, "keyboard", FirstWay::DriverLibrary},
      {kWin2000, "HIDClass", FirstWay::None},
      {kWin2000, "Unknown", FirstWay::None},
      {kWin9xNT4, "Keyboard", FirstWay::DriverLibrary},
      {kWin9xNT4, "HIDClass", FirstWay::DriverLibrary},
      {kWin9xNT4, "UNKNOWN", FirstWay::None},
      {kWin9xNT4, "", FirstWay::DriverLibrary},
  };
  for (const Case& c : cases)
    EXPECT_EQ(static_cast<int>(c.want), static_cast<int>(ChooseFirstWay(c.platform, c.deviceClass)))
        << "ME=" << c.platform.IsWinME << " 2K=" << c.platform.IsWin2000OrLater << " "
        << c.deviceClass;
}

TEST(ChooseFallback, PerPlatformPreloadAndResult) {
  struct Case {
    DriverPlatform platform;
    int result;
    Fallback want;
  } cases[] = {
      {kWinME, 0, Fallback::OemInfCopy},
      {kWin2000, 0, Fallback::OemInfCopy},
      {kWinMEPreload, 0, Fallback::PreloadRegistration},
      {kWin2000Preload, 0, Fallback::PreloadRegistration},
      {kWin9xNT4, 0, Fallback::LegacyCopy},
      {kWin9xPreload, 0, Fallback::LegacyCopy},
      {kWin2000, 2, Fallback::EndLine},
      {kWin2000, -1, Fallback::EndLine},  // a negative result ends the line too
      {kWin9xNT4, -5, Fallback::EndLine},
      {kWinMEPreload, 1, Fallback::EndLine},
  };
  for (const Case& c : cases)
    EXPECT_EQ(static_cast<int>(c.want), static_cast<int>(ChooseFallback(c.platform, c.result)))
        << "ME=" << c.platform.IsWinME << " 2K=" << c.platform.IsWin2000OrLater
        << " preload=" << c.platform.Preload << " result=" << c.result;
  EXPECT_EQ(1, PausesAfter(1));
  EXPECT_EQ(0, PausesAfter(0));
  EXPECT_EQ(0, PausesAfter(-1));
}

TEST(ChooseAfterOemCopy, ReenumerateUnknownInstallOnlyFrom2000) {
  EXPECT_EQ(AfterOemCopy::Reenumerate, ChooseAfterOemCopy(kWinME, "unknown"));
  EXPECT_EQ(AfterOemCopy::Reenumerate, ChooseAfterOemCopy(kWin2000, "Unknown"));
  EXPECT_EQ(AfterOemCopy::Nothing, ChooseAfterOemCopy(kWinME, "Keyboard"));
  EXPECT_EQ(AfterOemCopy::InstallWithOemInf, ChooseAfterOemCopy(kWin2000, "Keyboard"));
  EXPECT_EQ(AfterOemCopy::InstallWithOemInf, ChooseAfterOemCopy(kWin2000, "HIDClass"));
}

TEST(BuildPreloadCommand, PiecesInOrder) {
  char out[1024];
  ASSERT_EQ(
      1, BuildPreloadCommand("C:\\Program Files\\KQ", "HID\\VID_1", "Keyboard", out, sizeof out));
  EXPECT_STREQ(
      "C:\\Program Files\\KQ\\Preload.exe /DEVID:HID\\VID_1 /CLASS:Keyboard "
      "/RunValue:\"Keyboard Preload Check\"",
      out);
  char small[20];
  EXPECT_EQ(0, BuildPreloadCommand("D:", "X", "Keyboard", small, sizeof small));
  EXPECT_EQ(sizeof small - 1, std::strlen(small)) << "cut, never past the buffer";
}

TEST(ProductFolderPath, ProgramFilesBesideTheWindowsFolder) {
  char out[kTextSize];
  ASSERT_EQ(1, ProductFolderPath("C:\\WINDOWS", "Keyboard Driver 1/2", out, sizeof out));
  EXPECT_STREQ("C:\\Program Files\\Keyboard Driver 1.2", out);
  ASSERT_EQ(1, ProductFolderPath("D:\\Apps\\WINNT", "a/b/c", out, sizeof out));
  EXPECT_STREQ("D:\\Apps\\Program Files\\a.b.c", out);
  ASSERT_EQ(1, ProductFolderPath("C:\\WINDOWS", "", out, sizeof out));
  EXPECT_STREQ("C:\\Program Files\\", out);
  EXPECT_EQ(0, ProductFolderPath("WINDOWS", "KQ", out, sizeof out));
  EXPECT_STREQ("", out);
  std::string longName(300, 'n');
  EXPECT_EQ(0, ProductFolderPath("C:\\WINDOWS", longName.c_str(), out, sizeof out));
  EXPECT_STREQ("", out) << "a cut path would name the wrong folder";
}

TEST(FolderLevels, TopDownWithoutTheDriveRoot) {
  const char* path = "C:\\Program Files\\Name";
  ASSERT_EQ(2, FolderLevelCount(path));
  EXPECT_EQ(std::string("C:\\Program Files"), std::string(path, FolderLevelLength(path, 1)));
  EXPECT_EQ(std::string(path), std::string(path, FolderLevelLength(path, 2)));
  char trailing[] = "C:\\A\\B\\";
  DropTrailingBackslash(trailing);
  EXPECT_STREQ("C:\\A\\B", trailing);
  EXPECT_EQ(2, FolderLevelCount(trailing));
  char empty[] = "";
  DropTrailingBackslash(empty);
  EXPECT_STREQ("", empty);
}

TEST(DriveRootOf, DriveLetterGetsItsBackslash) {
  struct Case {
    const char* folder;
    const char* want;
  } cases[] = {
      {"D:", "D:\\"},  // Setup at the root of a CD
      {"D:\\Setup", "D:\\"},
      {"c:\\a\\b", "c:\\"},
      {"\\\\server\\share", "\\\\s"},  // no drive root: never DRIVE_FIXED
      {"", ""},
      {"1:\\x", "1:\\"},
  };
  for (const Case& c : cases) {
    char root[4];
    DriveRootOf(c.folder, root);
    EXPECT_STREQ(c.want, root) << c.folder;
  }
}
