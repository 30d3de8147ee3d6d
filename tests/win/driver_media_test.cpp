// Media that will not stay in the drive: the product folder under
// "Program Files\", the copy of the source tree into it, and the preload
// registration that points there. The CD-ROM is a drive letter that Wine's
// mount manager reports as DRIVE_CDROM.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/Handles.h"
#include "driver/ProductFolder.h"
#include "driver_test_support.h"

using namespace driver_tests;

namespace {

const char* const kProductKey = "KQDriverTest";
const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kRunValue = "Keyboard Preload Check";

std::string ProgramFilesFolder(const std::string& name) {
  std::string windows = WindowsDir();
  return windows.substr(0, windows.find_last_of('\\') + 1) + "Program Files\\" + name;
}

// Removes the product folder before and after the test.
struct ScopedProductFolder {
  std::string path;
  explicit ScopedProductFolder(const std::string& name) : path(ProgramFilesFolder(name)) {
    RemoveTree(path);
  }
  ~ScopedProductFolder() { RemoveTree(path); }
};

struct TreeFile {
  std::string relative;
  std::string text;
  DWORD attributes;
};

// Two levels of subfolders, a read-only and a hidden file.
const std::vector<TreeFile> kTree = {
    {"top.txt", "top", FILE_ATTRIBUTE_READONLY},
    {"hidden.txt", "hidden", FILE_ATTRIBUTE_HIDDEN},
    {"sub1\\a.txt", "a", 0},
    {"sub1\\sub2\\b.txt", "b", FILE_ATTRIBUTE_READONLY},
    {"sub1\\sub2\\c.txt", "c", 0},
};

void WriteTree(const std::string& root) {
  for (const TreeFile& f : kTree) {
    WriteFileMakingDirs(root + "\\" + f.relative, f.text);
    if (f.attributes) SetFileAttributesA((root + "\\" + f.relative).c_str(), f.attributes);
  }
}

void ExpectTreeCopied(const std::string& root) {
  for (const TreeFile& f : kTree) {
    const std::string path = root + "\\" + f.relative;
    EXPECT_EQ(f.text, ReadTextFile(path)) << path;
    DWORD attributes = GetFileAttributesA(path.c_str());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, attributes) << path;
    // Wine reads normal attributes back as FILE_ATTRIBUTE_ARCHIVE.
    EXPECT_EQ(0u, attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) << path;
  }
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do
    if (std::string(data.cFileName) != "." && std::string(data.cFileName) != "..")
      names.push_back(data.cFileName);
  while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

const char* const kPreloadScript =
    "[Setup]\r\nProductName=KQ Test 1/2\r\nUninstallKey=KQDriverTest\r\n"
    "[Update Driver]\r\n1=Keyboard,kqkbd.inf,A3,A4,A5,,,1,HID\\VID_KQ1,drv\\\r\n";

// The probe on Windows XP in preload mode, from the root of a medium.
struct PreloadRun {
  KqSession session;
  ScopedProductFolder product{"KQ Test 1.2"};
  ScopedInfFolder infs{{"kqkbd.inf"}};
  ScopedUninstallRecords records{kProductKey};
  ScopedRegValue run{HKEY_LOCAL_MACHINE, kRunKey, kRunValue, nullptr};
  ScopedWineVersion version{"driverprobe.exe", "winxp"};
  ScopedEnv pauses{"KQPROBE_PAUSES", "log"};

  void Prepare(Media& media) {
    media.AddDriverLibrary();
    media.AddProbe();
    media.WriteScript(kPreloadScript);
    media.Write("drv\\kqkbd.inf", InfText("kqkbd"));
    WriteTree(media.path());
    session.Configure("install=0\r\n");
    WriteTextFile(WindowsDir() + "\\inf\\kqkbd.inf", "stale");
  }
  void Start(const std::string& folder) {
    RunResult r = Run("\"" + folder + "driverprobe.exe\" /PRELOAD", folder, 120000);
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(0u, r.exitCode);
  }
  std::string Command() const { return RegText(HKEY_LOCAL_MACHINE, kRunKey, kRunValue); }
};

}  // namespace

// Media on a CD-ROM are copied into the product folder and the preload
// registration points at the copy; media on a fixed disk are not copied,
// also at the root of the disk, where ModuleDir is "S:" without the
// backslash that GetDriveTypeA's documentation asks for (Wine answers for
// "S:" too, so the root text itself is checked in the DriveRootOf table).
TEST(ProductFolder, CopiedOnlyFromARemovableMedium) {
  struct Row {
    char letter;  // 0: the media folder on drive C:
    UINT type;
    bool copied;
  } const rows[] = {{'R', DRIVE_CDROM, true}, {0, DRIVE_FIXED, false}, {'S', DRIVE_FIXED, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << (row.letter ? row.letter : 'C') << ": type " << row.type);
    PreloadRun run;
    Media media("media");
    run.Prepare(media);
    std::unique_ptr<ScopedWineDrive> drive;
    std::string folder = media.path() + "\\";
    if (row.letter) {
      drive = std::make_unique<ScopedWineDrive>(row.letter, media.path(), row.type);
      ASSERT_TRUE(drive->defined());
      folder = std::string(1, row.letter) + ":\\";
      ASSERT_EQ(row.type, GetDriveTypeA(folder.c_str()));
    }
    run.Start(folder);
    const std::string product = run.product.path;
    const std::string from = row.copied ? product + "\\" : folder;
    EXPECT_EQ(
        from +
            "Preload.exe /DEVID:HID\\VID_KQ1 /CLASS:Keyboard /RunValue:\"Keyboard Preload Check\"",
        run.Command());
    EXPECT_EQ("InstallPnPDeviceDriver(Keyboard|" + folder +
                  "drv\\kqkbd.inf|A5|A3|A4|1|0)=0 GetConnectedDeviceNumber(Keyboard|A5|A3)=1",
              run.session.Trace())
        << "first attempt from the medium, nothing after the registration";
    EXPECT_FALSE(PathExists(WindowsDir() + "\\inf\\kqkbd.inf"))
        << "the earlier INF copy is deleted";
    EXPECT_TRUE(run.infs.AddedInfs().empty()) << "preload mode copies no OEM INF";
    EXPECT_EQ(row.copied, PathExists(product));
    if (!row.copied) {
      EXPECT_FALSE(run.records.ProductKeyExists());
      continue;
    }
    ExpectTreeCopied(product);
    EXPECT_EQ(InfText("kqkbd"), ReadTextFile(product + "\\drv\\kqkbd.inf"));
    EXPECT_TRUE(PathExists(product + "\\driverprobe.exe"));
    EXPECT_TRUE(PathExists(product + "\\SETUP2K.INI"));
    EXPECT_EQ("1", run.records.DeleteDirectory(product)) << "created, so recorded";
  }
}

TEST(CreateProductFolder, RecordedOnlyWhenCreatedAndOnlyWithAnUninstallKey) {
  ScopedProductFolder product("KQ Driver 1.2");
  ScopedUninstallRecords records(kProductKey);
  UseSettings(BinDir(), "", "KQ Driver 1/2", "");
  ASSERT_EQ(1, CreateProductFolder());
  EXPECT_EQ(product.path, DriverSourceFolder);
  EXPECT_STREQ("KQ Driver 1/2", Settings.ProductName) << "the Settings field is not changed";
  EXPECT_TRUE(PathExists(product.path));
  EXPECT_FALSE(records.ProductKeyExists()) << "no uninstall key, no record";

  RemoveTree(product.path);
  CopyText(Settings.UninstallKey, kProductKey);
  ASSERT_EQ(1, CreateProductFolder());
  EXPECT_TRUE(PathExists(product.path));
  EXPECT_EQ("1", records.DeleteDirectory(product.path));

  DeleteRegTree(HKEY_LOCAL_MACHINE, std::string(kUninstallRoot) + kProductKey);
  DriverSourceFolder[0] = '\0';
  ASSERT_EQ(1, CreateProductFolder());
  EXPECT_EQ(product.path, DriverSourceFolder);
  EXPECT_FALSE(records.ProductKeyExists()) << "an existing folder is not recorded";
}

TEST(CopyTree, CopiesTwoLevelsWritableAndReplacesReadOnlyDestinations) {
  TempDir source("src"), destination("dst");
  WriteTree(source.path());
  WriteTextFile(destination / "top.txt", "old read-only copy");
  SetFileAttributesA((destination / "top.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  CopyTree((source.path() + "\\").c_str(), (destination.path() + "\\").c_str());
  ExpectTreeCopied(destination.path());
  EXPECT_EQ(2u, FolderEntries(destination / "sub1").size()) << "a.txt and sub2";
  EXPECT_EQ(2u, FolderEntries(destination / "sub1\\sub2").size()) << "b.txt and c.txt";
  EXPECT_NE(0u, GetFileAttributesA((source / "top.txt").c_str()) & FILE_ATTRIBUTE_READONLY)
      << "the source keeps its read-only flag";
}

TEST(CopyTree, SkipsEntriesWhosePathsWouldNotFit) {
  TempDir source("src");
  // A destination deep enough that the long name overflows 259 characters
  // there, while the source path stays within Win32's limit.
  TempDir destination("dst");
  std::string deep = destination.path();
  while (deep.size() < 120) deep += "\\deeper";
  MakeDirs(deep);
  const std::string longName(250 - source.path().size(), 'n');
  ASSERT_LT(source.path().size() + 1 + longName.size(), 260u);
  ASSERT_GT(deep.size() + 1 + longName.size(), 259u);
  WriteTextFile(source / longName, "long");
  WriteTextFile(source / "short.txt", "short");
  CopyTree((source.path() + "\\").c_str(), (deep + "\\").c_str());
  EXPECT_EQ(std::vector<std::string>{"short.txt"}, FolderEntries(deep))
      << "the long entry is skipped whole, not copied under a cut name";
  EXPECT_EQ("short", ReadTextFile(deep + "\\short.txt"));
}
