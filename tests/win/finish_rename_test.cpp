// RenameAtRestart on the real system: wininit.ini in the Windows folder on
// Windows 95, the system's delayed move everywhere else.
#include <gtest/gtest.h>

#include "finish/Finish.h"
#include "fixtures/EngineFixtures.h"

using namespace engine_test;

namespace {

const char* kSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";

class RenameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FreshRun(dir_.path());
    wininit_ = WindowsDir() + "\\wininit.ini";
    DeleteFileA(wininit_.c_str());
    Add(dir_ / "KBD.DLL", dir_ / "KBD.0");
    Add(dir_ / "KBDHOOK.DLL", dir_ / "KBDHOOK.0");
  }
  void TearDown() override { DeleteFileA(wininit_.c_str()); }
  void Add(const std::string& final, const std::string& temp) {
    CopyText(PendingRenames[PendingRenameCount].FinalPath, final.c_str());
    CopyText(PendingRenames[PendingRenameCount].TempPath, temp.c_str());
    ++PendingRenameCount;
  }
  std::string Line(int i) {
    return std::string(PendingRenames[i].FinalPath) + "=" + PendingRenames[i].TempPath + "\r\n";
  }
  ScratchDir dir_{"rename"};
  std::string wininit_;
};

TEST_F(RenameTest, Windows95CreatesWininitWithHeaderAndLine) {
  Settings.IsWin95 = 1;
  RenameAtRestart(0);
  EXPECT_EQ("[Rename]\r\n" + Line(0), ReadTextFile(wininit_)) << "no zero bytes behind it";
  RenameAtRestart(1);  // into the existing file: where the line goes is WininitRenameTest's
  EXPECT_EQ("[Rename]\r\n" + Line(1) + Line(0), ReadTextFile(wininit_)) << "the later call on top";
}

TEST_F(RenameTest, ElsewhereTheSystemMovesTheFileAtRestart) {
  ScopedRegValue pending(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations",
                         nullptr);
  Settings.IsWin95 = 0;
  WriteTextFile(dir_ / "KBD.0", "new");
  RenameAtRestart(0);
  EXPECT_FALSE(PathExists(wininit_)) << "no file is edited";
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key));
  char data[2048] = {};
  DWORD size = sizeof data - 2, type = 0;
  LONG r = RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, &type,
                            reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  ASSERT_EQ(ERROR_SUCCESS, r);
  EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), type);
  std::string from = data, to = data + from.size() + 1;
  EXPECT_EQ("\\??\\" + dir_ / "KBD.0", from);
  EXPECT_EQ("!\\??\\" + dir_ / "KBD.DLL", to) << "'!': the existing file is replaced";
}

TEST_F(RenameTest, OnWindows98AFailedDelayedMoveFallsBackToWininit) {
  ScopedRegValue pending(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations", nullptr);
  PendingRenames[1].TempPath[0] = '\0';  // a name the delayed move refuses
  Settings.IsWin95 = 0;
  Settings.IsWin9x = 0;
  RenameAtRestart(1);
  EXPECT_FALSE(PathExists(wininit_)) << "the NT family has nothing else";
  Settings.IsWin9x = 1;
  RenameAtRestart(1);
  EXPECT_EQ("[Rename]\r\n" + Line(1), ReadTextFile(wininit_));
  RenameAtRestart(0);
  EXPECT_EQ("[Rename]\r\n" + Line(1), ReadTextFile(wininit_)) << "a delayed move that works";
}

TEST_F(RenameTest, AnIndexOutsideTheListDoesNothing) {
  Settings.IsWin95 = 1;
  RenameAtRestart(2);
  RenameAtRestart(-1);
  RenameAtRestart(kPendingRenameRows);
  EXPECT_FALSE(PathExists(wininit_));
}

}  // namespace
