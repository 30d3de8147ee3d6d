// Version and date rules on real files: resource-only DLLs built by the tree
// with fixed versions, FileVersion texts, both or neither.
#include <gtest/gtest.h>

#include "engine/FileVersion.h"
#include "fixtures/EngineFixtures.h"

using namespace engine_test;

namespace {

std::string Fixture(const std::string& name) { return BinDir() + "\\" + name + ".dll"; }

// The fixed part's FileVersion words, and the FileVersion text of the first
// translation packed the same way; a reader that finds nothing leaves the
// pair alone.
TEST(FileVersionReaders, FixedPartAndText) {
  ScratchDir dir("ver");
  WriteTextFile(dir / "notes.txt", "plain text");
  const struct {
    std::string file;
    bool fixed;
    uint32_t fixedMS, fixedLS;
    bool text;
    uint32_t textMS, textLS;
  } rows[] = {
      {Fixture("ver_both_1234"), true, 0x00010002, 0x00030004, true, 0x00010002, 0x00030004},
      {Fixture("ver_fixed_only"), true, 0x00010002, 0x00030004, false, 7, 7},
      {Fixture("ver_string_only"), false, 7, 7, true, 0x00050006, 0x00070008},
      {Fixture("ver_none"), false, 7, 7, false, 7, 7},
      {Fixture("ver_text_commas"), true, 0, 0, true, 0x00010002, 0x00030004},  // "1, 2, 3, 4"
      {Fixture("ver_text_label"), true, 0, 0, true, 0x00010002,
       0x00030004},                                                // "1.2.3.4 (build label)"
      {Fixture("ver_text_two"), true, 0, 0, true, 0x00020005, 0},  // "2.5"
      {Fixture("ver_german_1252"), true, 0x00030000, 0, true, 0x00030001, 0},  // key 040704e4
      {BinDir() + "\\no-such-file.dll", false, 7, 7, false, 7, 7},
      {dir / "notes.txt", false, 7, 7, false, 7, 7},
  };
  for (const auto& row : rows) {
    FileVersionPair fixed{7, 7}, text{7, 7};
    EXPECT_EQ(row.fixed, GetFixedFileVersion(row.file.c_str(), fixed)) << row.file;
    EXPECT_EQ(row.text, GetStringFileVersion(row.file.c_str(), text)) << row.file;
    EXPECT_EQ(row.fixedMS, fixed.MS) << row.file;
    EXPECT_EQ(row.fixedLS, fixed.LS) << row.file;
    EXPECT_EQ(row.textMS, text.MS) << row.file;
    EXPECT_EQ(row.textLS, text.LS) << row.file;
  }
}

TEST(CompareFileVersions, Table) {
  ScratchDir dir("ver");
  WriteTextFile(dir / "a.txt", "text");
  WriteTextFile(dir / "b.txt", "text");
  struct Case {
    std::string source, dest;
    int expected;
    const char* why;
  } cases[] = {
      {Fixture("ver_both_1235"), Fixture("ver_both_1234"), kSourceNewer, "newer by both"},
      {Fixture("ver_both_1234"), Fixture("ver_both_1235"), kSourceOlder, "older by both"},
      {Fixture("ver_fixed_old_text_new"), Fixture("ver_both_1234"), kSourceNewer,
       "newer by the text only, older by the fixed version"},
      {Fixture("ver_fixed_only_newer"), Fixture("ver_fixed_only"), kSourceNewer,
       "newer by the fixed version, no texts"},
      {Fixture("ver_fixed_same_text_old"), Fixture("ver_both_1234"), kSameVersion,
       "same fixed, older text"},
      {Fixture("ver_fixed_old_text_same"), Fixture("ver_both_1234"), kSameVersion,
       "older fixed, same text"},
      {Fixture("ver_both_1234"), Fixture("ver_both_1234"), kSameVersion, "the same"},
      {Fixture("ver_both_old"), Fixture("ver_both_1234"), kSourceOlder, "older"},
      {dir / "a.txt", dir / "b.txt", kNoVersion, "neither readable"},
      {Fixture("ver_both_1235"), dir / "b.txt", kNoVersion, "only the source versioned"},
      {dir / "a.txt", Fixture("ver_both_1234"), kNoVersion, "only the destination versioned"},
      {Fixture("ver_fixed_only"), Fixture("ver_string_only"), kNoVersion,
       "a fixed version against a text: no kind on both"},
      {Fixture("ver_string_only"), Fixture("ver_both_1234"), kSourceNewer,
       "text 5.6.7.8 against 1.2.3.4, no fixed part on the source"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, CompareFileVersions(c.source.c_str(), c.dest.c_str())) << c.why;
}

TEST(IsSourceNewerByTime, OnlyAStrictlyLaterSourceWins) {
  ScratchDir dir("time");
  std::string src = dir / "src.txt", dst = dir / "dst.txt";
  WriteTextFile(src, "new");
  WriteTextFile(dst, "old");
  SetWriteTime(dst, MakeTime(2001, 1, 1));
  SetWriteTime(src, MakeTime(2002, 1, 1));
  EXPECT_TRUE(IsSourceNewerByTime(src.c_str(), dst.c_str()));
  EXPECT_FALSE(IsSourceNewerByTime(dst.c_str(), src.c_str()));
  SetWriteTime(src, MakeTime(2001, 1, 1));
  EXPECT_FALSE(IsSourceNewerByTime(src.c_str(), dst.c_str())) << "equal times keep the destination";
  EXPECT_FALSE(IsSourceNewerByTime((dir / "missing").c_str(), dst.c_str()));
  EXPECT_TRUE(IsSourceNewerByTime(src.c_str(), (dir / "missing").c_str()));
}

TEST(IsSourceNewerByTime, ADestinationHeldWithoutSharingIsJudgedByItsListedTime) {
  ScratchDir dir("time");
  std::string src = dir / "src.txt", dst = dir / "held.txt";
  WriteTextFile(src, "new");
  WriteTextFile(dst, "old");
  SetWriteTime(dst, MakeTime(2001, 1, 1));
  SetWriteTime(src, MakeTime(2002, 1, 1));
  HANDLE held = CreateFileA(dst.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  SetLastError(0xdeadbeef);
  HANDLE second = CreateFileA(dst.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, second);
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
  EXPECT_TRUE(IsSourceNewerByTime(src.c_str(), dst.c_str()));
  SetWriteTime(src, MakeTime(2000, 1, 1));
  EXPECT_FALSE(IsSourceNewerByTime(src.c_str(), dst.c_str()));
  CloseHandle(held);
}

}  // namespace
