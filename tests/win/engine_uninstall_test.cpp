// The uninstall record in the registry, and the installation folder that
// the worker creates and records.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/UninstallRecord.h"
#include "fixtures/EngineFixtures.h"

using namespace engine_test;

namespace {

const std::string kProduct = std::string(kUninstallRoot) + "KBDTEST";
const std::string kShared = "Software\\VELMORAX\\Uninstall\\";

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

class UninstallRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    FreshRun(media_.path());
    CopyText(Settings.UninstallKey, "KBDTEST");
    CopyText(Settings.ProductName, "Keyboard Software");
  }
  ScratchDir media_{"media"};
  ScopedUninstallRecords records_{"KBDTEST"};
};

TEST_F(UninstallRecord, FileRecordWritesEntryDeleteFilesAndSharedFile) {
  SetLastError(0xdeadbeef);
  EXPECT_TRUE(RecordDeleteFile("C:\\Program Files\\Kbd\\kbd.dll"));
  EXPECT_EQ("KQUninst.exe KBDTEST", RegText(HKEY_LOCAL_MACHINE, kProduct, "UninstallString"));
  EXPECT_EQ("Keyboard Software", RegText(HKEY_LOCAL_MACHINE, kProduct, "DisplayName"));
  EXPECT_EQ(Sorted({"DisplayName", "UninstallString"}), Sorted(RegValueNames(HKEY_LOCAL_MACHINE, kProduct)));
  EXPECT_EQ(std::vector<std::string>{"DeleteFiles"}, RegSubKeys(HKEY_LOCAL_MACHINE, kProduct));
  EXPECT_EQ(std::vector<std::string>{"kbd.dll"}, RegValueNames(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteFiles"));
  EXPECT_EQ("C:\\Program Files\\Kbd", RegText(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteFiles", "kbd.dll"));
  EXPECT_EQ(std::vector<std::string>{"KBDTEST"},
            RegValueNames(HKEY_LOCAL_MACHINE, kShared + "SharedFile\\kbd.dll"));
  EXPECT_EQ("C:\\Program Files\\Kbd", RegText(HKEY_LOCAL_MACHINE, kShared + "SharedFile\\kbd.dll", "KBDTEST"));
}

TEST_F(UninstallRecord, SameNameTwiceKeepsTheLastFolderAndPathWithoutFolder) {
  RecordDeleteFile("C:\\A\\kbd.dll");
  RecordDeleteFile("C:\\B\\kbd.dll");
  EXPECT_EQ("C:\\B", RegText(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteFiles", "kbd.dll"));
  RecordDeleteFile("bare.txt");
  EXPECT_EQ("", RegText(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteFiles", "bare.txt"));
  EXPECT_EQ(Sorted({"bare.txt", "kbd.dll"}), Sorted(RegValueNames(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteFiles")));

  // A second product that installs a file of the same name adds its value.
  CopyText(Settings.UninstallKey, "OTHERKBD");
  RecordDeleteFile("C:\\Other\\kbd.dll");
  EXPECT_EQ(Sorted({"KBDTEST", "OTHERKBD"}),
            Sorted(RegValueNames(HKEY_LOCAL_MACHINE, kShared + "SharedFile\\kbd.dll")));
  EXPECT_EQ("C:\\B", RegText(HKEY_LOCAL_MACHINE, kShared + "SharedFile\\kbd.dll", "KBDTEST"));
  DeleteRegTree(HKEY_LOCAL_MACHINE, std::string(kUninstallRoot) + "OTHERKBD");
}

TEST_F(UninstallRecord, DisplayNamePrefersTheUninstallDisplayName) {
  CopyText(Settings.UninstallDisplayName, "Keyboard (remove)");
  RecordDeleteDirectory("C:\\Kbd", "1", 2);
  EXPECT_EQ("Keyboard (remove)", RegText(HKEY_LOCAL_MACHINE, kProduct, "DisplayName"));
  EXPECT_EQ("1", RegText(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteDirectory", "C:\\Kbd"));
}

TEST_F(UninstallRecord, RegistryRecordsByRootWithValueNamesAfterTwoBackslashes) {
  EXPECT_TRUE(RecordDeleteReg(HKEY_CURRENT_USER, "Software\\Kbd", ""));
  EXPECT_TRUE(RecordDeleteReg(HKEY_LOCAL_MACHINE, "Software\\Kbd", "Version"));
  EXPECT_TRUE(RecordDeleteReg(HKEY_CLASSES_ROOT, ".kbd", "Content Type"));
  EXPECT_TRUE(RecordDeleteReg(HKEY_CURRENT_CONFIG, "Kbd", ""));
  EXPECT_EQ(std::vector<std::string>{"DeleteRegs"}, RegSubKeys(HKEY_LOCAL_MACHINE, kProduct));
  EXPECT_EQ(Sorted({"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"}),
            RegSubKeys(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteRegs"));
  std::string regs = kProduct + "\\DeleteRegs\\";
  EXPECT_EQ(std::vector<std::string>{"Software\\Kbd"},
            RegValueNames(HKEY_LOCAL_MACHINE, regs + "HKEY_CURRENT_USER"));
  EXPECT_EQ("", RegText(HKEY_LOCAL_MACHINE, regs + "HKEY_CURRENT_USER", "Software\\Kbd"));
  EXPECT_EQ(std::vector<std::string>{"Software\\Kbd\\\\Version"},
            RegValueNames(HKEY_LOCAL_MACHINE, regs + "HKEY_LOCAL_MACHINE"));
  EXPECT_EQ("Version", RegText(HKEY_LOCAL_MACHINE, regs + "HKEY_LOCAL_MACHINE", "Software\\Kbd\\\\Version"));
  EXPECT_EQ("Content Type", RegText(HKEY_LOCAL_MACHINE, regs + "HKEY_CLASSES_ROOT", ".kbd\\\\Content Type"));
  EXPECT_EQ("", RegText(HKEY_LOCAL_MACHINE, regs + "HKEY_USERS", "Kbd")) << "any other root";

  std::string shared = kShared + "SharedReg\\KBDTEST\\";
  EXPECT_EQ("Version", RegText(HKEY_LOCAL_MACHINE, shared + "HKEY_LOCAL_MACHINE", "Software\\Kbd\\\\Version"));
  EXPECT_EQ("", RegText(HKEY_LOCAL_MACHINE, shared + "HKEY_CURRENT_USER", "Software\\Kbd"));
}

TEST_F(UninstallRecord, EmptyUninstallKeyWritesNothingAtAll) {
  Settings.UninstallKey[0] = '\0';
  std::vector<std::string> before = RegValueNames(HKEY_LOCAL_MACHINE, kUninstallRoot);
  std::vector<std::string> keysBefore = RegSubKeys(HKEY_LOCAL_MACHINE, kUninstallRoot);
  EXPECT_FALSE(RecordDeleteFile("C:\\Kbd\\kbd.dll"));
  EXPECT_FALSE(RecordDeleteDirectory("C:\\Kbd", "0", 2));
  EXPECT_FALSE(RecordDeleteReg(HKEY_CURRENT_USER, "Software\\Kbd", "x"));
  WriteUninstallEntry();
  EXPECT_EQ(before, RegValueNames(HKEY_LOCAL_MACHINE, kUninstallRoot));
  EXPECT_EQ(keysBefore, RegSubKeys(HKEY_LOCAL_MACHINE, kUninstallRoot));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kVendorRoot));
}

// An installation folder of three levels below the drive root.
class InstallDirTest : public UninstallRecord {
 protected:
  void SetUp() override {
    UninstallRecord::SetUp();
    Settings.AskPath = 1;
    CopyText(Settings.InstallDir, (top_ + "\\Level2\\Level3").c_str());
    RemoveTree(top_);
  }
  void TearDown() override { RemoveTree(top_); }
  std::string Recorded() {
    return RegText(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteDirectory", Settings.InstallDir);
  }
  const std::string top_ = "C:\\KbdInstallTest" + std::to_string(GetCurrentProcessId());
};

TEST_F(InstallDirTest, CreatesEveryLevelFromTheTopAndRecordsIt) {
  CreateInstallDir();
  // Made bottom up, the lower levels would have found no parent.
  EXPECT_TRUE(PathExists(top_));
  EXPECT_TRUE(PathExists(top_ + "\\Level2"));
  EXPECT_TRUE(PathExists(top_ + "\\Level2\\Level3"));
  EXPECT_EQ("0", Recorded());
  EXPECT_EQ(std::vector<std::string>{top_ + "\\Level2\\Level3"},
            RegValueNames(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteDirectory"));
}

TEST_F(InstallDirTest, UpperLevelsThatExistArePassedOver) {
  MakeDirs(top_);
  CreateInstallDir();
  EXPECT_TRUE(PathExists(top_ + "\\Level2\\Level3"));
  EXPECT_EQ("0", Recorded());
}

TEST_F(InstallDirTest, AnExistingFolderIsNeitherCreatedNorRecorded) {
  MakeDirs(top_ + "\\Level2\\Level3");
  CreateInstallDir();
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kProduct));
  // Also when the setting ends with a backslash.
  CopyText(Settings.InstallDir, (top_ + "\\Level2\\Level3\\").c_str());
  CreateInstallDir();
  EXPECT_STREQ((top_ + "\\Level2\\Level3").c_str(), Settings.InstallDir) << "stored without it";
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kProduct));
}

TEST_F(InstallDirTest, TrailingBackslashIsDroppedFromTheSetting) {
  CopyText(Settings.InstallDir, (top_ + "\\Level2\\Level3\\").c_str());
  CreateInstallDir();
  EXPECT_STREQ((top_ + "\\Level2\\Level3").c_str(), Settings.InstallDir);
  EXPECT_TRUE(PathExists(top_ + "\\Level2\\Level3"));
  EXPECT_EQ("0", Recorded());
}

TEST_F(InstallDirTest, NothingWithoutAskPathAndNoRecordWithoutKey) {
  Settings.AskPath = 0;
  CreateInstallDir();
  EXPECT_FALSE(PathExists(top_));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kProduct));

  Settings.AskPath = 1;
  Settings.UninstallKey[0] = '\0';
  CreateInstallDir();
  EXPECT_TRUE(PathExists(top_ + "\\Level2\\Level3"));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kProduct));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kVendorRoot));
}

}  // namespace
