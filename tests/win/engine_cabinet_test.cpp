// The copy step with a cabinet: the temporary folder below the Windows
// folder, extraction through setupapi, the cabinet's dates, pause and
// cancel. The cabinets are made with gcab when the tree is built
// (tests/win/fixtures/make_cabinets.sh), since Wine cannot start gcab.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "engine/Cabinet.h"
#include "engine/CopyFiles.h"
#include "fixtures/EngineFixtures.h"

using namespace engine_test;

namespace {

std::string Cabinet(const std::string& name) { return BinDir() + "\\engine_cabinets\\" + name; }

struct DosStamp {
  WORD date = 0, time = 0;
};

// The DOS dates of the cabinet's files, read from its CFFILE records.
std::map<std::string, DosStamp> CabinetDates(const std::string& path) {
  std::string cab = ReadTextFile(path);
  std::map<std::string, DosStamp> dates;
  auto u16 = [&](size_t at) { return WORD(BYTE(cab[at]) | BYTE(cab[at + 1]) << 8); };
  auto u32 = [&](size_t at) { return DWORD(u16(at) | DWORD(u16(at + 2)) << 16); };
  if (cab.size() < 36 || cab.compare(0, 4, "MSCF") != 0) return dates;
  size_t at = u32(16);
  for (int i = 0, files = u16(28); i < files && at + 16 < cab.size(); ++i) {
    std::string name = cab.c_str() + at + 16;
    dates[name] = {u16(at + 10), u16(at + 12)};
    at += 16 + name.size() + 1;
  }
  return dates;
}

FILETIME FromCabinet(DosStamp stamp) {
  FILETIME local, universal;
  DosDateTimeToFileTime(stamp.date, stamp.time, &local);
  LocalFileTimeToFileTime(&local, &universal);
  return universal;
}

bool SameTime(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b) == 0; }

class CabinetTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    Settings.CabFile = 1;
    CopyText(Settings.CabFileName, Cabinet("good.cab").c_str());
    ASSERT_TRUE(PathExists(Cabinet("good.cab"))) << "build the tree first";
    ClearTempDirs();
  }
  void TearDown() override { ClearTempDirs(); }
  void ClearTempDirs() {
    for (int n = 0; n < 5; ++n) RemoveTree(WindowsDir() + "\\_QuessorTempDir" + std::to_string(n));
  }
  // The table of most tests: two rows share a name, one names a file the
  // cabinet lacks, and the names differ in case from the cabinet's.
  void StandardTable() {
    Script({"alpha.txt=" + dest_.path(), "beta.dat=" + dest_.path(), "shared.txt=" + dest_.path(),
            "shared.txt=" + (dest_ / "second"), "notincab.txt=" + dest_.path()});
    MakeDirs(dest_ / "second");
  }
  std::string Temp(const std::string& name) { return std::string(::TempDir) + "\\" + name; }
};

TEST_F(CabinetTest, ExtractsExactlyTheNamedFilesDatedByTheCabinet) {
  StandardTable();
  ASSERT_TRUE(CreateTempDir());
  EXPECT_EQ(WindowsDir() + "\\_QuessorTempDir0", std::string(::TempDir));
  ASSERT_TRUE(ExtractCabinet(Settings.CabFileName));

  EXPECT_EQ("alpha from the cabinet\r\n", ReadTextFile(Temp("alpha.txt")));
  EXPECT_TRUE(PathExists(Temp("beta.dat")));
  EXPECT_TRUE(PathExists(Temp("shared.txt")));
  EXPECT_FALSE(PathExists(Temp("unnamed.txt"))) << "named by no row";
  EXPECT_FALSE(PathExists(Temp("insub.txt")));
  EXPECT_EQ(3, ExtractedCount);
  EXPECT_EQ(1, FileTable[0].Extracted);
  EXPECT_EQ(1, FileTable[2].Extracted) << "the first of two rows of one name";
  EXPECT_EQ(0, FileTable[3].Extracted);
  EXPECT_EQ(0, FileTable[4].Extracted);
  EXPECT_EQ(24u, FileTable[0].FileSize) << "the size in the cabinet";
  EXPECT_EQ(0u, FileTable[3].FileSize);
  EXPECT_EQ(0u, FileTable[4].FileSize) << "not in the cabinet";
  EXPECT_EQ(FileTable[0].FileSize + FileTable[1].FileSize + FileTable[2].FileSize, TotalBytes);

  std::map<std::string, DosStamp> dates = CabinetDates(Settings.CabFileName);
  ASSERT_EQ(5u, dates.size());
  // 2003-04-05 06:07:08, as the build stamped it.
  EXPECT_EQ((2003 - 1980) << 9 | 4 << 5 | 5, dates["alpha.txt"].date);
  EXPECT_EQ(6 << 11 | 7 << 5 | 8 / 2, dates["alpha.txt"].time);
  for (const char* name : {"alpha.txt", "BETA.DAT"}) {
    std::string path = Temp(name);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    FILETIME expected = FromCabinet(dates[name]);
    EXPECT_TRUE(SameTime(expected, data.ftLastWriteTime)) << name;
    EXPECT_TRUE(SameTime(expected, data.ftCreationTime)) << name;
    EXPECT_TRUE(IsNormalFile(path)) << name;
  }
}

TEST_F(CabinetTest, CopyStepCopiesFromTheFolderAndRemovesIt) {
  StandardTable();
  EXPECT_TRUE(CopyStep(page_.hwnd()));
  EXPECT_EQ("alpha from the cabinet\r\n", ReadTextFile(dest_ / "alpha.txt"));
  EXPECT_EQ("beta from the cabinet, somewhat longer\r\n", ReadTextFile(dest_ / "beta.dat"));
  EXPECT_EQ("shared by two rows\r\n", ReadTextFile(dest_ / "shared.txt"));
  EXPECT_FALSE(PathExists(dest_ / "second\\shared.txt"))
      << "the second row of a name finds its extracted copy gone";
  EXPECT_FALSE(PathExists(dest_ / "notincab.txt"));
  EXPECT_FALSE(PathExists(WindowsDir() + "\\_QuessorTempDir0"));
  EXPECT_EQ(0, ExtractedCount);
  EXPECT_EQ(0, ExtractBusy.load());
  EXPECT_EQ(0, InstallResult.load());
  EXPECT_EQ(100, ProgressPercent.load());
  // The cabinet's date travels with the copy.
  FILETIME expected = FromCabinet(CabinetDates(Settings.CabFileName)["alpha.txt"]);
  EXPECT_TRUE(SameTime(expected, WriteTime(dest_ / "alpha.txt")));
}

TEST_F(CabinetTest, AFileMatchingASubfolderRowStaysAndKeepsTheFolder) {
  MakeDirs(media_ / "sub");
  WriteTextFile(media_ / "sub\\insub.txt", "from the subfolder");
  Script({"alpha.txt=" + dest_.path(), "sub\\insub.txt=" + dest_.path()});
  EXPECT_TRUE(CopyStep(page_.hwnd()));
  EXPECT_EQ("from the subfolder", ReadTextFile(dest_ / "insub.txt"));
  EXPECT_EQ("also under a subfolder row\r\n",
            ReadTextFile(WindowsDir() + "\\_QuessorTempDir0\\insub.txt"));
  // Counted as handled by its row all the same, as the cleanup expects.
  EXPECT_EQ(0, ExtractedCount);
  EXPECT_EQ(0, ExtractBusy.load());
}

TEST_F(CabinetTest, ExistingTemporaryFoldersArePassedOver) {
  MakeDirs(WindowsDir() + "\\_QuessorTempDir0");
  MakeDirs(WindowsDir() + "\\_QuessorTempDir1");
  WriteTextFile(WindowsDir() + "\\_QuessorTempDir1\\keep.txt", "not ours");
  StandardTable();
  ASSERT_TRUE(CreateTempDir());
  EXPECT_EQ(WindowsDir() + "\\_QuessorTempDir2", std::string(::TempDir));
  ASSERT_TRUE(ExtractCabinet(Settings.CabFileName));
  EXPECT_TRUE(PathExists(WindowsDir() + "\\_QuessorTempDir2\\alpha.txt"));
  EXPECT_EQ("not ours", ReadTextFile(WindowsDir() + "\\_QuessorTempDir1\\keep.txt"));
  EXPECT_TRUE(PathExists(WindowsDir() + "\\_QuessorTempDir0"));
}

TEST_F(CabinetTest, TheFolderSearchEndsWhenCreationFailsForAnotherReason) {
  ScratchDir parent("tmpparent");
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(CreateTempDirIn((parent / "missing\\deeper").c_str()));
  EXPECT_STREQ("", ::TempDir) << "names no folder";
  EXPECT_TRUE(CreateTempDirIn(parent.path().c_str()));
  EXPECT_EQ(parent / "_QuessorTempDir0", std::string(::TempDir));
}

TEST_F(CabinetTest, MissingOrCorruptCabinetFailsWithResultThree) {
  for (const char* name : {"absent.cab", "garbage.cab", "truncated.cab"}) {
    FreshRun(media_.path());
    Settings.CabFile = 1;
    CopyText(Settings.CabFileName, Cabinet(name).c_str());
    StandardTable();
    EXPECT_FALSE(CopyStep(page_.hwnd())) << name;
    EXPECT_EQ(kResultCabinetFailed, InstallResult.load()) << name;
    EXPECT_EQ(1, ExtractBusy.load()) << name;
    EXPECT_TRUE(PathExists(WindowsDir() + "\\_QuessorTempDir0")) << name << ": the folder stays";
    EXPECT_FALSE(PathExists(dest_ / "alpha.txt")) << name << ": nothing copied";
    EXPECT_FALSE(page_.Visible(kProgressBar)) << name;
    ClearTempDirs();
  }
}

// A reset pause event holds the worker before the next file; the page's
// answer then resumes it (every file) or cancels (no further file).
TEST_F(CabinetTest, PauseHoldsTheNextFileUntilResumedOrCancelled) {
  for (bool cancel : {false, true}) {
    SCOPED_TRACE(cancel ? "cancelled" : "resumed");
    ScopedPauseEvent pause;
    SetUp();  // a fresh run for each answer
    StandardTable();
    ASSERT_TRUE(CreateTempDir());
    ResetEvent(PauseEvent);
    bool ok = false;
    std::string cab = Settings.CabFileName;
    Worker worker([&ok, cab] { ok = ExtractCabinet(cab.c_str()); });
    EXPECT_FALSE(worker.Join(200)) << "held before the first file";
    EXPECT_EQ(0, ExtractedCount);
    EXPECT_FALSE(PathExists(Temp("alpha.txt")));
    if (cancel) CancelRequested = 1;  // the page's order: the flag, then the event
    SetEvent(PauseEvent);
    ASSERT_TRUE(worker.Join(10000));
    EXPECT_EQ(cancel ? 0 : 3, ExtractedCount);
    EXPECT_TRUE(cancel || ok);
    for (int i = 0; cancel && i < FileCount; ++i) EXPECT_EQ(0, FileTable[i].Extracted) << i;
  }
}

}  // namespace
