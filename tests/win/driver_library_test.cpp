// The device support library: the install call with its connection check,
// and where the library may be loaded from.
#include <gtest/gtest.h>

#include "driver_test_support.h"

using namespace driver_tests;

namespace {

int Count(const std::vector<KqEvent>& events, const std::string& kind) {
  int n = 0;
  for (const KqEvent& e : events) n += e.kind == kind;
  return n;
}

std::string LoadedFrom(const std::vector<KqEvent>& events) {
  for (const KqEvent& e : events)
    if (e.kind == "LOAD") return e.fields.at(0);
  return "<not loaded>";
}

int InstallKeyboard() {
  return InstallWithDriverLibrary("Keyboard", "X:\\kq.inf", "a5", "a3", "a4", 1, 0);
}

}  // namespace

TEST(InstallWithDriverLibrary, PassesArgumentsInOrderAndLoadsAnewEachTime) {
  KqSession session;
  Media media;
  media.AddDriverLibrary();
  UseSettings(media.path(), media / "SETUP2K.INI", "KQ", "");
  session.Configure("install=5,-2\r\nconnected=1\r\n");
  EXPECT_EQ(5, InstallWithDriverLibrary("Keyboard", "C:\\m\\kq.inf", "a5", "a3", "a4", 1, 0));
  EXPECT_EQ(-2, InstallWithDriverLibrary("HIDClass", "C:\\m\\h.inf", "b5", "b3", "b4", 0, 1));
  EXPECT_EQ(
      "InstallPnPDeviceDriver(Keyboard|C:\\m\\kq.inf|a5|a3|a4|1|0)=5 "
      "GetConnectedDeviceNumber(Keyboard|a5|a3)=1 "
      "InstallPnPDeviceDriver(HIDClass|C:\\m\\h.inf|b5|b3|b4|0|1)=-2 "
      "GetConnectedDeviceNumber(HIDClass|b5|b3)=1",
      session.Trace());
  std::vector<KqEvent> events = session.Events();
  EXPECT_EQ(2, Count(events, "LOAD"));
  EXPECT_EQ(2, Count(events, "FREE")) << "freed after every use";
  EXPECT_EQ(media / "kqsetup.dll", LoadedFrom(events));
}

TEST(LoadDriverLibrary, NeverFromTheCurrentFolderOrPath) {
  KqSession session;
  Media media;  // holds no kqsetup.dll
  TempDir cwd("cwd"), onPath("path");
  CopyFileOrDie(BinDir() + "\\kqsetup.dll", cwd / "kqsetup.dll");
  CopyFileOrDie(BinDir() + "\\kqsetup.dll", onPath / "kqsetup.dll");
  char oldPath[8192] = "";
  GetEnvironmentVariableA("PATH", oldPath, sizeof oldPath);
  ScopedEnv path("PATH", onPath.path() + ";" + oldPath);
  char oldCwd[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof oldCwd, oldCwd);
  ASSERT_TRUE(SetCurrentDirectoryA(cwd.path().c_str()));
  UseSettings(media.path(), media / "SETUP2K.INI", "KQ", "");
  ASSERT_FALSE(PathExists(SystemDir() + "\\kqsetup.dll")) << "a stray copy in the system folder";
  int result = InstallKeyboard();
  SetCurrentDirectoryA(oldCwd);
  EXPECT_EQ(0, result);
  EXPECT_EQ("", session.LogText()) << "the library was loaded from somewhere";
}

TEST(LoadDriverLibrary, OwnFolderFirstThenTheSystemFolder) {
  KqSession session;
  Media media;
  UseSettings(media.path(), media / "SETUP2K.INI", "KQ", "");
  const std::string systemCopy = SystemDir() + "\\kqsetup.dll";
  CopyFileOrDie(BinDir() + "\\kqsetup.dll", systemCopy);
  EXPECT_EQ(1, InstallKeyboard());
  EXPECT_EQ(systemCopy, LoadedFrom(session.Events())) << "only the system folder has it";

  session.Clear();
  media.AddDriverLibrary();
  EXPECT_EQ(1, InstallKeyboard());
  EXPECT_EQ(media / "kqsetup.dll", LoadedFrom(session.Events())) << "the program's own folder wins";
  EXPECT_TRUE(DeleteFileA(systemCopy.c_str()));
}
