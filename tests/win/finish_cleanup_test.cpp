// The cleanup after a confirmed cancel: what this run copied, extracted and
// wrote under numbered names goes; what it overwrote comes back.
#include <gtest/gtest.h>

#include "engine/Cabinet.h"
#include "engine/Backup.h"
#include "engine/CopyFiles.h"
#include "finish/Finish.h"
#include "fixtures/EngineFixtures.h"

using namespace engine_test;

namespace {

class CleanupTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    for (int n = 0; n < 3; ++n) RemoveTree(WindowsDir() + "\\_QuessorTempDir" + std::to_string(n));
  }
  void TearDown() override {
    for (int n = 0; n < 3; ++n) RemoveTree(WindowsDir() + "\\_QuessorTempDir" + std::to_string(n));
  }
  void Source(const std::string& name, const std::string& text) {
    WriteTextFile(media_ / name, text);
  }
  // An older file already at the destination.
  void Existing(const std::string& name, const std::string& text) {
    WriteTextFile(dest_ / name, text);
    SetWriteTime(dest_ / name, MakeTime(2000, 1, 1));
  }
  void CopyRows(int count) {
    for (int i = 0; i < count; ++i) ASSERT_TRUE(CopyEntry(page_.hwnd(), i));
  }
};

TEST_F(CleanupTest, WithoutCabinetCopiesGoAndReplacedFilesComeBack) {
  Source("new.txt", "new");
  Source("replaced.txt", "replacement");
  Existing("replaced.txt", "the user's old file");
  SetFileAttributesA((dest_ / "replaced.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  Source("orig.txt", "under a new name");
  Source("later.txt", "not reached");
  Existing("later.txt", "untouched");
  Script({"new.txt=" + dest_.path(), "replaced.txt=" + dest_.path(),
          "orig.txt=" + dest_.path() + ",given.txt", "later.txt=" + dest_.path()});
  // A folder of the same name as a temporary folder is not the run's.
  ScratchDir unrelated("unrelated");
  CopyText(::TempDir, unrelated.path().c_str());

  CopyRows(3);
  ASSERT_EQ("replacement", ReadTextFile(dest_ / "replaced.txt"));
  ASSERT_TRUE(PathExists(dest_ / "given.txt"));
  CancelRequested = 1;
  CancelCleanup();

  EXPECT_FALSE(PathExists(dest_ / "new.txt"));
  EXPECT_FALSE(PathExists(dest_ / "given.txt")) << "deleted under its new name";
  EXPECT_EQ("the user's old file", ReadTextFile(dest_ / "replaced.txt"));
  EXPECT_NE(0u, Attributes(dest_ / "replaced.txt") & FILE_ATTRIBUTE_READONLY)
      << "back as it was, attributes included";
  EXPECT_EQ("untouched", ReadTextFile(dest_ / "later.txt"));
  EXPECT_TRUE(PathExists(unrelated.path())) << "no cabinet: TempDir is left alone";
  EXPECT_FALSE(PathExists(BackupDir)) << "the backup folder is gone";
  SetFileAttributesA((dest_ / "replaced.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CleanupTest, TwoRowsOfOneDestinationRestoreTheFileFromBeforeTheRun) {
  MakeDirs(media_ / "a");
  MakeDirs(media_ / "b");
  WriteTextFile(media_ / "a\\same.txt", "first row");
  WriteTextFile(media_ / "b\\same.txt", "second row");
  SetWriteTime(media_ / "b\\same.txt", MakeTime(2030, 1, 1));
  Existing("same.txt", "before the run");
  Script({"a\\same.txt=" + dest_.path(), "b\\same.txt=" + dest_.path()});
  CopyRows(2);
  ASSERT_EQ("second row", ReadTextFile(dest_ / "same.txt"));
  CancelCleanup();
  EXPECT_EQ("before the run", ReadTextFile(dest_ / "same.txt"));
}

TEST_F(CleanupTest, AReplacedFileWithoutBackupKeepsTheNewCopyRatherThanNothing) {
  Source("r.txt", "new");
  Existing("r.txt", "old");
  Script({"r.txt=" + dest_.path()});
  CopyText(BackupDir, (dest_ / "no-such-folder").c_str());  // the backup cannot be written
  CopyRows(1);
  EXPECT_EQ(1, FileTable[0].Existed);
  EXPECT_EQ(0, FileTable[0].BackedUp);
  CancelCleanup();
  EXPECT_EQ("new", ReadTextFile(dest_ / "r.txt"));
  BackupDir[0] = '\0';
}

TEST_F(CleanupTest, NumberedCopiesOfInUseFilesAreDeleted) {
  Source("u.txt", "new");
  Script({"u.txt=" + dest_.path()});
  // As the copy leaves them for a destination in use.
  WriteTextFile(dest_ / "u.0", "numbered copy");
  WriteTextFile(dest_ / "v.3", "another");
  SetFileAttributesA((dest_ / "v.3").c_str(), FILE_ATTRIBUTE_READONLY);
  PendingRenames[0] = {};
  CopyText(PendingRenames[0].FinalPath, (dest_ / "u.txt").c_str());
  CopyText(PendingRenames[0].TempPath, (dest_ / "u.0").c_str());
  CopyText(PendingRenames[1].FinalPath, (dest_ / "v.txt").c_str());
  CopyText(PendingRenames[1].TempPath, (dest_ / "v.3").c_str());
  PendingRenameCount = 2;
  CancelCleanup();
  EXPECT_FALSE(PathExists(dest_ / "u.0"));
  EXPECT_FALSE(PathExists(dest_ / "v.3"));
  EXPECT_EQ(2, PendingRenameCount);
}

TEST_F(CleanupTest, WithCabinetExtractedFilesAndTheFolderGo) {
  Settings.CabFile = 1;
  CopyText(Settings.CabFileName, (BinDir() + "\\engine_cabinets\\good.cab").c_str());
  Existing("beta.dat", "old beta");
  Script({"alpha.txt=" + dest_.path(), "beta.dat=" + dest_.path(), "shared.txt=" + dest_.path()});
  ASSERT_TRUE(CreateTempDir());
  ASSERT_TRUE(ExtractCabinet(Settings.CabFileName));
  ASSERT_EQ(3, ExtractedCount);
  CopyRows(2);  // alpha copied, beta replaced; shared still extracted
  ASSERT_EQ(1, ExtractedCount);
  std::string temp = ::TempDir;
  CancelCleanup();
  EXPECT_EQ(0, ExtractedCount);
  EXPECT_FALSE(PathExists(temp + "\\shared.txt"));
  EXPECT_FALSE(PathExists(temp)) << "removed once empty";
  EXPECT_FALSE(PathExists(dest_ / "alpha.txt"));
  EXPECT_EQ("old beta", ReadTextFile(dest_ / "beta.dat"));
  EXPECT_FALSE(PathExists(dest_ / "shared.txt"));
}

TEST_F(CleanupTest, ACompletedCopyLeavesNoBackups) {
  Source("r.txt", "new");
  Existing("r.txt", "old");
  Script({"r.txt=" + dest_.path()});
  ASSERT_TRUE(CopyStep(page_.hwnd()));
  EXPECT_EQ(1, FileTable[0].BackedUp) << "kept until the worker ends: a cancel may still come";
  DiscardBackups();  // the worker's end
  EXPECT_EQ(0, FileTable[0].BackedUp);
  EXPECT_STREQ("", BackupDir);
  EXPECT_EQ("new", ReadTextFile(dest_ / "r.txt"));
  char tempPath[MAX_PATH];
  GetTempPathA(sizeof tempPath, tempPath);
  std::string temp = tempPath;
  WIN32_FIND_DATAA data;
  std::string mine = "QuessorBackup" + std::to_string(GetCurrentProcessId()) + ".*";
  HANDLE find = FindFirstFileA((temp + mine).c_str(), &data);
  EXPECT_EQ(INVALID_HANDLE_VALUE, find) << "left behind: " << data.cFileName;
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

// "Exit Setup" answered while the last file was copied: the copy step has
// ended, but every replaced file still comes back, and the step itself
// reports a cancel that it finds.
TEST_F(CleanupTest, ACancelAfterTheLastFileStillRestoresEveryFile) {
  Source("a.txt", "new a");
  Source("b.txt", "new b");
  Existing("a.txt", "old a");
  Existing("b.txt", "old b");
  Script({"a.txt=" + dest_.path(), "b.txt=" + dest_.path()});
  ASSERT_TRUE(CopyStep(page_.hwnd()));
  CancelRequested = 1;
  CancelCleanup();
  EXPECT_EQ("old a", ReadTextFile(dest_ / "a.txt"));
  EXPECT_EQ("old b", ReadTextFile(dest_ / "b.txt"));
  EXPECT_FALSE(PathExists(BackupDir)) << "emptied and removed";
  EXPECT_FALSE(CopyStep(page_.hwnd())) << "a cancel found by the copy";
}

// The uninstall entry goes with the files when this run made it; one that
// was there before the run stays.
TEST_F(CleanupTest, ACancelRemovesOnlyTheUninstallEntryThisRunMade) {
  for (bool earlier : {false, true}) {
    SCOPED_TRACE(earlier ? "entry from an earlier installation" : "new entry");
    ScopedUninstallRecords records("KBDSAFE");
    HKEY key = nullptr;
    if (earlier && RegCreateKeyExA(HKEY_LOCAL_MACHINE, records.Product().c_str(), 0, nullptr, 0,
                                   KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS)
      RegCloseKey(key);
    FreshRun(media_.path());
    CopyText(Settings.UninstallKey, "KBDSAFE");
    Source("r.txt", "new");
    Script({"r.txt=" + dest_.path()});
    CopyRows(1);
    ASSERT_TRUE(records.ProductKeyExists());
    CancelCleanup();
    EXPECT_EQ(earlier, records.ProductKeyExists());
    if (!earlier) {
      EXPECT_NE(dest_.path(), records.SharedFile("r.txt"));
    }
  }
}

}  // namespace
