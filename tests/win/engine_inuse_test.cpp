// Destinations that a running program holds open without sharing: the new
// copy goes under a numbered name, and Windows puts it in place at the next
// start, here done by "wineboot -r" (delayed moves and wininit.ini alike).
#include <gtest/gtest.h>

#include "engine/Backup.h"
#include "engine/Cabinet.h"
#include "engine/CopyFiles.h"
#include "finish/Finish.h"
#include "fixtures/EngineFixtures.h"

using namespace engine_test;

namespace {

// holdfile.exe keeps a file open without sharing until released.
class Holder {
 public:
  Holder(const std::string& file, const std::string& flags, const char* mode = "")
      : ready_(flags + "\\ready-" + std::to_string(++count_)),
        release_(flags + "\\release-" + std::to_string(count_)) {
    process_ = Start("\"" + BinDir() + "\\holdfile.exe\" \"" + file + "\" \"" + ready_ + "\" \"" +
                         release_ + "\" " + mode,
                     "");
    for (int i = 0; i < 500 && !PathExists(ready_); ++i) Sleep(20);
    EXPECT_TRUE(PathExists(ready_)) << "holdfile did not take " << file;
  }
  ~Holder() { Release(); }
  void Release() {
    if (process_ == nullptr) return;
    WriteTextFile(release_, "");
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_, 10000));
    CloseHandle(process_);
    process_ = nullptr;
  }

 private:
  static inline int count_ = 0;
  std::string ready_, release_;
  HANDLE process_ = nullptr;
};

// What Windows does at its next start.
void Restart() {
  char sys[MAX_PATH];
  GetSystemDirectoryA(sys, sizeof sys);
  RunResult r = Run(std::string(sys) + "\\wineboot.exe -r", "", 60000);
  ASSERT_TRUE(r.finished) << "wineboot -r did not end";
}

class InUseTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    WriteTextFile(media_ / "KBD.DLL", "new driver library");
    WriteTextFile(dest_ / "KBD.DLL", "old driver library");
    SetWriteTime(dest_ / "KBD.DLL", MakeTime(2000, 1, 1));
    Script({"KBD.DLL=" + Dest()});
  }
  void TearDown() override {
    std::string windows = WindowsDir();
    DeleteFileA((windows + "\\wininit.ini").c_str());
    DeleteFileA((windows + "\\wininit.bak").c_str());
  }
  ScratchDir flags_{"flags"};
};

TEST_F(InUseTest, NewCopyGoesToNumberedNameAndReplacesAtRestart) {
  Holder holder(dest_ / "KBD.DLL", flags_.path());
  ASSERT_TRUE(CopyEntry(page_.hwnd(), 0));
  EXPECT_EQ(0, FileTable[0].Copied);
  ASSERT_EQ(1, PendingRenameCount);
  EXPECT_EQ(dest_ / "KBD.DLL", PendingRenames[0].FinalPath);
  EXPECT_EQ(dest_ / "KBD.0", PendingRenames[0].TempPath);
  EXPECT_EQ("new driver library", ReadTextFile(dest_ / "KBD.0"));
  EXPECT_TRUE(IsNormalFile(dest_ / "KBD.0"));

  Settings.IsWin95 = 0;
  RenameAtRestart(0);
  holder.Release();
  EXPECT_EQ("old driver library", ReadTextFile(dest_ / "KBD.DLL")) << "not before the restart";
  Restart();
  EXPECT_EQ("new driver library", ReadTextFile(dest_ / "KBD.DLL"));
  EXPECT_FALSE(PathExists(dest_ / "KBD.0"));
}

TEST_F(InUseTest, OnWindows95TheRenameGoesThroughWininit) {
  Holder holder(dest_ / "KBD.DLL", flags_.path());
  ASSERT_TRUE(CopyEntry(page_.hwnd(), 0));
  ASSERT_EQ(1, PendingRenameCount);
  Settings.IsWin95 = 1;
  RenameAtRestart(0);
  // Short names: the rename program of the 9x family runs before Windows
  // and does not know long ones (the destination folder's are long).
  auto shortName = [](const std::string& path) {
    char out[MAX_PATH] = "";
    GetShortPathNameA(path.c_str(), out, sizeof out);
    return std::string(out);
  };
  ASSERT_NE(dest_ / "KBD.DLL", shortName(dest_ / "KBD.DLL")) << "a folder with a long name";
  EXPECT_EQ("[Rename]\r\n" + shortName(dest_ / "KBD.DLL") + "=" + shortName(dest_ / "KBD.0") + "\r\n",
            ReadTextFile(WindowsDir() + "\\wininit.ini"));
  holder.Release();
  Restart();
  EXPECT_EQ("new driver library", ReadTextFile(dest_ / "KBD.DLL"));
  EXPECT_FALSE(PathExists(dest_ / "KBD.0"));
}

// Whatever holds the destination (a reader, a program that shares deleting,
// a loaded library, which has no open handle at all), the original stays
// whole, the new copy waits for the restart, no backup is left behind, and
// a cancel leaves the file exactly as it was before the run.
TEST_F(InUseTest, AHeldDestinationStaysWholeAndACancelLeavesItAsItWas) {
  const std::string oldDll = BinDir() + "\\ver_both_1234.dll";
  const std::string newDll = BinDir() + "\\ver_both_1235.dll";
  for (const char* mode : {"share-read", "share-delete", "load"}) {
    SCOPED_TRACE(mode);
    FreshRun(media_.path());
    CopyFileOrDie(newDll, media_ / "KBD.DLL");
    CopyFileOrDie(oldDll, dest_ / "KBD.DLL");
    Script({"KBD.DLL=" + Dest()});
    const std::string before = ReadTextFile(dest_ / "KBD.DLL");
    {
      Holder holder(dest_ / "KBD.DLL", flags_.path(), mode);
      ASSERT_TRUE(CopyEntry(page_.hwnd(), 0));
      EXPECT_EQ(kResultSuccess, InstallResult.load());
      ASSERT_EQ(1, PendingRenameCount) << "to be replaced at the restart";
      EXPECT_EQ(ReadTextFile(newDll), ReadTextFile(dest_ / "KBD.0"));
      EXPECT_EQ(0, FileTable[0].BackedUp) << "its copy was not needed";
      EXPECT_FALSE(PathExists(std::string(BackupDir) + "\\0"));
    }
    EXPECT_EQ(before, ReadTextFile(dest_ / "KBD.DLL")) << "whole once the program let go";
    CancelCleanup();
    EXPECT_EQ(before, ReadTextFile(dest_ / "KBD.DLL"));
    EXPECT_FALSE(PathExists(dest_ / "KBD.0"));
    BackupDir[0] = '\0';
  }
}

// A destination that a failed copy damaged and that cannot be put back at
// once keeps its backup, tracked: the worker's end leaves it, and the
// cleanup brings the original back once the file is free.
TEST_F(InUseTest, ADamagedDestinationKeepsItsBackupUntilItIsBack) {
  ASSERT_TRUE(BackupDestination(0, (dest_ / "KBD.DLL").c_str()));
  FileTable[0].Existed = FileTable[0].BackedUp = FileTable[0].RestorePending = 1;
  WriteTextFile(dest_ / "KBD.DLL", "half a new fi");  // what the failed copy left
  {
    Holder holder(dest_ / "KBD.DLL", flags_.path());
    DiscardBackups();  // the worker's end, while the file is still held
    EXPECT_EQ(1, FileTable[0].BackedUp);
    EXPECT_EQ("old driver library", ReadTextFile(std::string(BackupDir) + "\\0"));
  }
  CancelCleanup();
  EXPECT_EQ("old driver library", ReadTextFile(dest_ / "KBD.DLL"));
  EXPECT_EQ(0, FileTable[0].BackedUp);
  EXPECT_EQ(0, FileTable[0].RestorePending);
}

// A destination that can be neither written nor set aside for the restart
// fails the installation (access refused: the privilege failure); a source
// that the media do not carry is only left out.
TEST_F(InUseTest, AnUnwritableDestinationIsAFailureNotASuccess) {
  struct Row {
    const char* what;
    int32_t result;
  } rows[] = {{"missing folder", kResultFailed},
              {"folders in the way", kResultNoPrivilege},
              {"source missing", kResultSuccess}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    FreshRun(media_.path());
    WriteTextFile(media_ / "KBD.DLL", "new driver library");
    SetWriteTime(media_ / "KBD.DLL", MakeTime(2030, 1, 1));
    std::string folder = Dest();
    if (r.result == kResultFailed) folder = dest_ / "no-such-folder";
    if (r.result == kResultNoPrivilege) {
      DeleteFileA((dest_ / "KBD.DLL").c_str());
      MakeDirs(dest_ / "KBD.DLL");
      for (int digit = 0; digit <= 9; ++digit) MakeDirs(dest_ / ("KBD." + std::to_string(digit)));
    }
    if (r.result == kResultSuccess) DeleteFileA((media_ / "KBD.DLL").c_str());
    Script({"KBD.DLL=" + folder});
    EXPECT_EQ(r.result == kResultSuccess, CopyStep(page_.hwnd()));
    EXPECT_EQ(r.result, InstallResult.load());
    EXPECT_EQ(0, PendingRenameCount);
  }
}

TEST_F(InUseTest, ANumberedNameThatCannotBeWrittenPassesToTheNextDigit) {
  WriteTextFile(dest_ / "KBD.0", "someone else's");
  Holder zero(dest_ / "KBD.0", flags_.path());
  Holder holder(dest_ / "KBD.DLL", flags_.path());
  ASSERT_TRUE(CopyEntry(page_.hwnd(), 0));
  ASSERT_EQ(1, PendingRenameCount);
  EXPECT_EQ(dest_ / "KBD.1", PendingRenames[0].TempPath);
  EXPECT_EQ("new driver library", ReadTextFile(dest_ / "KBD.1"));
}

TEST_F(InUseTest, AFullRenameListLeavesTheFileAloneSafely) {
  PendingRenameCount = kPendingRenameRows;
  Holder holder(dest_ / "KBD.DLL", flags_.path());
  ASSERT_TRUE(CopyEntry(page_.hwnd(), 0));
  EXPECT_EQ(kPendingRenameRows, PendingRenameCount);
  EXPECT_FALSE(PathExists(dest_ / "KBD.0")) << "no copy that nothing would rename";
  holder.Release();
  EXPECT_EQ("old driver library", ReadTextFile(dest_ / "KBD.DLL"));
}

}  // namespace
