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
  EXPECT_EQ(Sorted({"DisplayName", "UninstallString"}),
            Sorted(RegValueNames(HKEY_LOCAL_MACHINE, kProduct)));
  EXPECT_EQ(std::vector<std::string>{"DeleteFiles"}, RegSubKeys(HKEY_LOCAL_MACHINE, kProduct));
  EXPECT_EQ(std::vector<std::string>{"kbd.dll"},
            RegValueNames(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteFiles"));
  EXPECT_EQ("C:\\Program Files\\Kbd",
            RegText(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteFiles", "kbd.dll"));
  EXPECT_EQ(std::vector<std::string>{"KBDTEST"},
            RegValueNames(HKEY_LOCAL_MACHINE, kShared + "SharedFile\\kbd.dll"));
  EXPECT_EQ("C:\\Program Files\\Kbd",
            RegText(HKEY_LOCAL_MACHINE, kShared + "SharedFile\\kbd.dll", "KBDTEST"));
}

TEST_F(UninstallRecord, SameNameTwiceKeepsTheLastFolderAndPathWithoutFolder) {
  RecordDeleteFile("C:\\A\\kbd.dll");
  RecordDeleteFile("C:\\B\\kbd.dll");
  EXPECT_EQ("C:\\B", RegText(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteFiles", "kbd.dll"));
  RecordDeleteFile("bare.txt");
  EXPECT_EQ("", RegText(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteFiles", "bare.txt"));
  EXPECT_EQ(Sorted({"bare.txt", "kbd.dll"}),
            Sorted(RegValueNames(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteFiles")));

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
  EXPECT_EQ("Version",
            RegText(HKEY_LOCAL_MACHINE, regs + "HKEY_LOCAL_MACHINE", "Software\\Kbd\\\\Version"));
  EXPECT_EQ("Content Type",
            RegText(HKEY_LOCAL_MACHINE, regs + "HKEY_CLASSES_ROOT", ".kbd\\\\Content Type"));
  EXPECT_EQ("", RegText(HKEY_LOCAL_MACHINE, regs + "HKEY_USERS", "Kbd")) << "any other root";

  std::string shared = kShared + "SharedReg\\KBDTEST\\";
  EXPECT_EQ("Version",
            RegText(HKEY_LOCAL_MACHINE, shared + "HKEY_LOCAL_MACHINE", "Software\\Kbd\\\\Version"));
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
  void TearDown() override { RemoveTree(top_); }
  std::string Recorded() {
    return RegText(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteDirectory", Settings.InstallDir);
  }
  const std::string top_ = "C:\\KbdInstallTest" + std::to_string(GetCurrentProcessId());
};

// The worker creates the folder from the top level down (made bottom up,
// the lower levels would find no parent) and records it only when it made
// the last level; the setting loses a trailing backslash.
TEST_F(InstallDirTest, CreatesTheMissingLevelsAndRecordsOnlyANewFolder) {
  struct Row {
    const char* existing;  // below top_, "" for nothing, nullptr for not even top_
    const char* setting;   // below top_
    int askPath;
    bool created;
    const char* recorded;
  } const rows[] = {
      {nullptr, "\\Level2\\Level3", 1, true, "0"},
      {"", "\\Level2\\Level3", 1, true, "0"},  // upper levels that exist are passed over
      {nullptr, "\\Level2\\Level3\\", 1, true, "0"},
      {"\\Level2\\Level3", "\\Level2\\Level3", 1, true, "<no key>"},
      {"\\Level2\\Level3", "\\Level2\\Level3\\", 1, true, "<no key>"},
      {nullptr, "\\Level2\\Level3", 0, false, "<no key>"},  // only when the path was asked
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << (row.existing ? row.existing : "(none)") << " "
                                    << row.setting << " AskPath=" << row.askPath);
    RemoveTree(top_);
    DeleteRegTree(HKEY_LOCAL_MACHINE, kProduct);
    if (row.existing) MakeDirs(top_ + row.existing);
    Settings.AskPath = row.askPath;
    CopyText(Settings.InstallDir, (top_ + row.setting).c_str());
    CreateInstallDir();
    EXPECT_STREQ((top_ + "\\Level2\\Level3").c_str(), Settings.InstallDir);
    EXPECT_EQ(row.created, PathExists(top_ + "\\Level2\\Level3"));
    EXPECT_EQ(row.recorded, Recorded());
    if (row.created && *row.recorded == '0') {
      EXPECT_EQ(std::vector<std::string>{Settings.InstallDir},
                RegValueNames(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteDirectory"))
          << "the folder only, not its upper levels";
    }
  }
}

}  // namespace
