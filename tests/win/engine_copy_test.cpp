// The Copy Files table and the copy of its rows: real files in a media
// folder and a destination folder, the page a real dialog of this thread.
#include <gtest/gtest.h>

#include "engine/Cabinet.h"
#include "engine/CopyFiles.h"
#include "fixtures/EngineFixtures.h"

using namespace engine_test;

namespace {

class CopyTest : public EngineTest {
 protected:
  // Each row, then its paint served, so the page sees each step's percent.
  void CopyRowsOneByOne() {
    for (int i = 0; i < FileCount; ++i) {
      ASSERT_TRUE(CopyEntry(page_.hwnd(), i));
      Pump();
    }
  }
};

TEST_F(CopyTest, ReadCopyFilesFillsRowsAndMeasuresSources) {
  WriteTextFile(Media("KBD.DLL"), std::string(1234, 'k'));
  MakeDirs(Media("drv\\w2k"));
  WriteTextFile(Media("drv\\w2k\\KBD.SYS"), std::string(77, 's'));
  CopyText(Settings.InstallDir, "C:\\Install");
  Script({"KBD.DLL=" + Dest(), "drv\\w2k\\KBD.SYS=%99%\\drivers, KBDNEW.SYS, ignored",
          "missing.txt=" + Dest()});
  ASSERT_EQ(3, FileCount);
  EXPECT_STREQ(Dest().c_str(), FileTable[0].DestDir);
  EXPECT_STREQ("KBD.DLL", FileTable[0].FileName);
  EXPECT_STREQ("", FileTable[0].SourceSubDir);
  EXPECT_STREQ("", FileTable[0].NewName);
  EXPECT_EQ(1234u, FileTable[0].FileSize);
  EXPECT_STREQ("C:\\Install\\drivers", FileTable[1].DestDir) << "path tokens expanded";
  EXPECT_STREQ("drv\\w2k", FileTable[1].SourceSubDir);
  EXPECT_STREQ("KBD.SYS", FileTable[1].FileName);
  EXPECT_STREQ("KBDNEW.SYS", FileTable[1].NewName);
  EXPECT_EQ(77u, FileTable[1].FileSize);
  EXPECT_EQ(0u, FileTable[2].FileSize) << "missing source";
  EXPECT_EQ(0u, TotalBytes) << "without a cabinet the copy step adds the sizes";
}

TEST_F(CopyTest, ReadCopyFilesWithCabinetMeasuresOnlySubfolderRows) {
  Settings.CabFile = 1;
  WriteTextFile(Media("KBD.DLL"), std::string(1234, 'k'));
  MakeDirs(Media("sub"));
  WriteTextFile(Media("sub\\a.txt"), std::string(50, 'a'));
  Script({"KBD.DLL=" + Dest(), "sub\\a.txt=" + Dest(), "sub\\gone.txt=" + Dest()});
  ASSERT_EQ(3, FileCount);
  EXPECT_EQ(0u, FileTable[0].FileSize) << "the cabinet step measures it";
  EXPECT_EQ(50u, FileTable[1].FileSize);
  EXPECT_EQ(50u, TotalBytes);
}

TEST_F(CopyTest, LinesPastTheTableAreLeftOut) {
  // 170 keys of two letters fit the 1024-byte key list.
  std::vector<std::string> lines;
  for (int i = 0; i < 170; ++i) {
    std::string key = {char('a' + i / 10), char('0' + i % 10)};
    lines.push_back(key + "=" + Dest());
  }
  Script(lines);
  FileTable[kFileTableRows - 1].Copied = 1;  // cleared when the row is read
  EXPECT_EQ(kFileTableRows, ReadCopyFiles());
  EXPECT_STREQ("p9", FileTable[kFileTableRows - 1].FileName) << "row 160 holds line 160";
  EXPECT_EQ(0, FileTable[kFileTableRows - 1].Copied);
  EXPECT_EQ(0, PendingRenameCount) << "the array behind the table is untouched";
  EXPECT_STREQ("", PendingRenames[0].FinalPath);
}

TEST_F(CopyTest, DecisionsByExistenceVersionAndDate) {
  CopyFileOrDie(BinDir() + "\\ver_both_1234.dll", Media("older.dll"));
  CopyFileOrDie(BinDir() + "\\ver_both_1235.dll", Dest() + "\\older.dll");
  WriteTextFile(Media("absent.txt"), "new absent");
  WriteTextFile(Media("same.txt"), "new same");
  WriteTextFile(Dest() + "\\same.txt", "old same");
  WriteTextFile(Media("later.txt"), "new later");
  WriteTextFile(Dest() + "\\later.txt", "old later");
  // The newer destination is also the older file by date: versions decide.
  SetWriteTime(Dest() + "\\older.dll", MakeTime(1999, 1, 1));
  SetWriteTime(Media("older.dll"), MakeTime(2005, 1, 1));
  SetWriteTime(Media("same.txt"), MakeTime(2003, 3, 3));
  SetWriteTime(Dest() + "\\same.txt", MakeTime(2003, 3, 3));
  SetWriteTime(Media("later.txt"), MakeTime(2004, 4, 4));
  SetWriteTime(Dest() + "\\later.txt", MakeTime(2003, 3, 3));
  Script(
      {"older.dll=" + Dest(), "absent.txt=" + Dest(), "same.txt=" + Dest(), "later.txt=" + Dest()});
  ProgressPercent = 0;
  CopyStep(page_.hwnd());

  std::string kept = ReadTextFile(BinDir() + "\\ver_both_1235.dll");
  EXPECT_EQ(kept, ReadTextFile(Dest() + "\\older.dll")) << "newer destination kept";
  EXPECT_EQ(0, FileTable[0].Copied);
  EXPECT_EQ("new absent", ReadTextFile(Dest() + "\\absent.txt"));
  EXPECT_EQ(1, FileTable[1].Copied);
  EXPECT_EQ("old same", ReadTextFile(Dest() + "\\same.txt")) << "equal times keep it";
  EXPECT_EQ(0, FileTable[2].Copied);
  EXPECT_EQ("new later", ReadTextFile(Dest() + "\\later.txt"));
  EXPECT_EQ(1, FileTable[3].Copied);
  EXPECT_EQ(0, PendingRenameCount);
}

TEST_F(CopyTest, ReadOnlyFilesAreOverwrittenAndEverythingEndsNormal) {
  WriteTextFile(Media("ro.txt"), "new");
  WriteTextFile(Dest() + "\\ro.txt", "old");
  SetWriteTime(Dest() + "\\ro.txt", MakeTime(2000, 1, 1));
  SetFileAttributesA((Dest() + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  WriteTextFile(Media("rosrc.txt"), "from a read-only source");
  SetFileAttributesA(Media("rosrc.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  Script({"ro.txt=" + Dest(), "rosrc.txt=" + Dest()});
  CopyStep(page_.hwnd());
  EXPECT_EQ("new", ReadTextFile(Dest() + "\\ro.txt"));
  EXPECT_TRUE(IsNormalFile(Dest() + "\\ro.txt")) << Attributes(Dest() + "\\ro.txt");
  EXPECT_EQ("from a read-only source", ReadTextFile(Dest() + "\\rosrc.txt"));
  EXPECT_TRUE(IsNormalFile(Dest() + "\\rosrc.txt")) << Attributes(Dest() + "\\rosrc.txt");
  SetFileAttributesA(Media("rosrc.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CopyTest, NewNameSubfoldersAndTheTextsOfThePage) {
  WriteTextFile(Media("orig.txt"), "renamed copy");
  MakeDirs(Media("one\\two"));
  WriteTextFile(Media("one\\two\\deep.txt"), "from two levels down");
  Script({"orig.txt=" + Dest() + ",given.txt", "one\\two\\deep.txt=" + Dest()});
  ASSERT_TRUE(CopyEntry(page_.hwnd(), 0));
  EXPECT_EQ("orig.txt", page_.Text(kFromText)) << "the source's name";
  EXPECT_EQ(Dest() + "\\given.txt", page_.Text(kToText));
  EXPECT_EQ("renamed copy", ReadTextFile(Dest() + "\\given.txt"));
  EXPECT_FALSE(PathExists(Dest() + "\\orig.txt"));
  ASSERT_TRUE(CopyEntry(page_.hwnd(), 1));
  EXPECT_EQ("deep.txt", page_.Text(kFromText));
  EXPECT_EQ("from two levels down", ReadTextFile(Dest() + "\\deep.txt"));
}

TEST_F(CopyTest, SubfolderRowsComeFromTheProgramFolderAlsoWithACabinet) {
  Settings.CabFile = 1;
  MakeDirs(Media("sub"));
  WriteTextFile(Media("sub\\s.txt"), "beside the program");
  Script({"sub\\s.txt=" + Dest()});
  CopyText(::TempDir, (dest_ / "no-temp-dir").c_str());
  ASSERT_TRUE(CopyEntry(page_.hwnd(), 0));
  EXPECT_EQ("beside the program", ReadTextFile(Dest() + "\\s.txt"));
}

TEST_F(CopyTest, MissingSourceIsSkippedButCounted) {
  WriteTextFile(Media("here.txt"), "here");
  Script({"gone.txt=" + Dest(), "here.txt=" + Dest()});
  FileTable[0].FileSize = 10;  // measured before it went away
  FileTable[1].FileSize = 30;
  TotalBytes = 40;
  CopyRowsOneByOne();
  EXPECT_FALSE(PathExists(Dest() + "\\gone.txt"));
  EXPECT_FALSE(PathExists(Dest() + "\\gone.0")) << "a missing source is no file in use";
  EXPECT_EQ(0, FileTable[0].Copied);
  EXPECT_EQ(0, PendingRenameCount);
  EXPECT_EQ("here", ReadTextFile(Dest() + "\\here.txt"));
  EXPECT_EQ((std::vector<int>{25, 100}), PaintedPercents);
}

TEST_F(CopyTest, AFailedCopyPutsTheSetAsideDestinationBack) {
  // A folder where the source should be: it passes the date rule, and the
  // copy fails after the old file was moved to the backup folder.
  MakeDirs(Media("odd.txt"));
  WriteTextFile(Dest() + "\\odd.txt", "the user's file");
  SetWriteTime(Dest() + "\\odd.txt", MakeTime(1990, 1, 1));
  Script({"odd.txt=" + Dest()});
  ASSERT_TRUE(CopyEntry(page_.hwnd(), 0));
  EXPECT_EQ(0, FileTable[0].Copied);
  EXPECT_EQ(0, FileTable[0].BackedUp);
  EXPECT_EQ("the user's file", ReadTextFile(Dest() + "\\odd.txt"));
  EXPECT_FALSE(PathExists(Dest() + "\\odd.0"));
}

TEST_F(CopyTest, AnEmptyTableGoesStraightToAHundred) {
  Script({});
  Settings.CabFile = 1;
  CopyText(Settings.CabFileName, Media("none.cab").c_str());
  EXPECT_TRUE(CopyStep(page_.hwnd()));
  EXPECT_EQ(100, ProgressPercent.load());
  EXPECT_EQ(0, ExtractBusy.load()) << "no temporary folder";
  EXPECT_STREQ("", ::TempDir);
  EXPECT_EQ(0, InstallResult.load()) << "the cabinet is not even looked for";
  Pump();
  EXPECT_EQ(std::vector<int>{100}, PaintedPercents);
  EXPECT_FALSE(page_.Visible(kProgressBar)) << "no copy controls";
}

TEST_F(CopyTest, CopyStepShowsTheCopyControlsAndHidesTheAnimationAtTheEnd) {
  WriteTextFile(Media("a.txt"), "a");
  Script({"a.txt=" + Dest()});
  EXPECT_TRUE(CopyStep(page_.hwnd()));
  for (int id : {kFromLabel, kToLabel, kProgressBar, kFromText, kToText})
    EXPECT_TRUE(page_.Visible(id)) << id;
  EXPECT_FALSE(page_.Visible(kCopyAnimation));
  EXPECT_TRUE(page_.Visible(kDriverAnimation)) << "not the engine's to touch here";
}

TEST_F(CopyTest, EveryRowIsRecordedForTheUninstallerCopiedOrNot) {
  ScopedUninstallRecords records("KBDCOPY");
  CopyText(Settings.UninstallKey, "KBDCOPY");
  WriteTextFile(Media("a.txt"), "a");
  WriteTextFile(Dest() + "\\a.txt", "newer destination");
  SetWriteTime(Dest() + "\\a.txt", MakeTime(2020, 1, 1));
  SetWriteTime(Media("a.txt"), MakeTime(2000, 1, 1));
  Script({"a.txt=" + Dest(), "gone.txt=" + Dest() + ",renamed.txt"});
  CopyStep(page_.hwnd());
  std::string product = std::string(kUninstallRoot) + "KBDCOPY";
  std::string files = product + "\\DeleteFiles";
  EXPECT_EQ(Dest(), RegText(HKEY_LOCAL_MACHINE, files, "a.txt"));
  EXPECT_EQ(Dest(), RegText(HKEY_LOCAL_MACHINE, files, "renamed.txt"));
  EXPECT_EQ("KQUninst.exe KBDCOPY", RegText(HKEY_LOCAL_MACHINE, product, "UninstallString"));
  EXPECT_EQ(Dest(), RegText(HKEY_LOCAL_MACHINE,
                            "Software\\VELMORAX\\Uninstall\\SharedFile\\renamed.txt", "KBDCOPY"));
  EXPECT_EQ("newer destination", ReadTextFile(Dest() + "\\a.txt"));
}

TEST_F(CopyTest, ADestinationPathThatDoesNotFitIsNeitherCopiedNorRecorded) {
  ScopedUninstallRecords records("KBDCOPY");
  CopyText(Settings.UninstallKey, "KBDCOPY");
  WriteTextFile(Media("a.txt"), "a");
  std::string longDir = Dest() + "\\" + std::string(254 - Dest().size(), 'x');
  Script({"a.txt=" + longDir});
  ASSERT_TRUE(CopyEntry(page_.hwnd(), 0));
  EXPECT_EQ(0, FileTable[0].Copied);
  EXPECT_FALSE(
      RegKeyExists(HKEY_LOCAL_MACHINE, std::string(kUninstallRoot) + "KBDCOPY\\DeleteFiles"));
}

// Pausing and cancelling from the page's thread while a worker copies.
class CopyPauseTest : public CopyTest {
 protected:
  void SetUp() override {
    CopyTest::SetUp();
    for (const char* name : {"p1.txt", "p2.txt", "p3.txt"}) WriteTextFile(Media(name), name);
    Script({"p1.txt=" + Dest(), "p2.txt=" + Dest(), "p3.txt=" + Dest()});
  }
  int CopiedFiles() {
    int n = 0;
    for (const char* name : {"p1.txt", "p2.txt", "p3.txt"}) n += PathExists(Dest() + "\\" + name);
    return n;
  }
  ScopedPauseEvent pause_;
};

// A reset pause event holds the worker at the next file, which the page
// already names; the page's answer then resumes it with that same file or
// cancels every further file.
TEST_F(CopyPauseTest, PauseHoldsTheNextFileUntilResumedOrCancelled) {
  for (bool cancel : {false, true}) {
    SCOPED_TRACE(cancel ? "cancelled" : "resumed");
    CancelRequested = 0;
    PaintedPercents.clear();
    ResetEvent(PauseEvent);
    HWND page = page_.hwnd();
    bool held = true;  // what the held step returned, when cancelled
    Worker worker([page, cancel, &held] {
      if (cancel) held = CopyEntry(page, 0);
      CopyFiles(page);
    });
    EXPECT_FALSE(worker.Join(200)) << "held at the first file";
    EXPECT_EQ(0, CopiedFiles());
    EXPECT_EQ("p1.txt", page_.Text(kFromText));
    if (cancel) CancelRequested = 1;  // the page's order: the flag, then the event
    SetEvent(PauseEvent);
    ASSERT_TRUE(worker.Join(10000));
    if (cancel) {
      EXPECT_FALSE(held) << "a cancelled step reports it";
    }
    EXPECT_EQ(cancel ? 0 : 3, CopiedFiles()) << "none skipped, or none after the cancel";
    Pump();
    EXPECT_EQ(cancel ? 0u : 3u, PaintedPercents.size())
        << "no step repeated, no progress after a cancel";
    RemoveTree(Dest());
    MakeDirs(Dest());
  }
}

}  // namespace
