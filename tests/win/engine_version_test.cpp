// Version and date rules on real files: resource-only DLLs built by the tree
// with fixed versions, FileVersion texts, both or neither.
#include <gtest/gtest.h>

#include "engine/FileVersion.h"
#include "fixtures/EngineFixtures.h"

using namespace engine_test;

namespace {

std::string Fixture(const std::string& name) { return BinDir() + "\\" + name + ".dll"; }

TEST(GetFixedFileVersion, ReadsTheFileVersionWords) {
  FileVersionPair v{7, 7};
  ASSERT_TRUE(GetFixedFileVersion(Fixture("ver_both_1234").c_str(), v));
  EXPECT_EQ(0x00010002u, v.MS);
  EXPECT_EQ(0x00030004u, v.LS);
  ASSERT_TRUE(GetFixedFileVersion(Fixture("ver_fixed_only").c_str(), v));
  EXPECT_EQ(0x00010002u, v.MS);
  EXPECT_EQ(0x00030004u, v.LS);
}

TEST(GetFixedFileVersion, FalseWithoutAFixedPart) {
  FileVersionPair v{7, 7};
  EXPECT_FALSE(GetFixedFileVersion(Fixture("ver_string_only").c_str(), v));
  EXPECT_FALSE(GetFixedFileVersion(Fixture("ver_none").c_str(), v));
  EXPECT_FALSE(GetFixedFileVersion((BinDir() + "\\no-such-file.dll").c_str(), v));
  ScratchDir dir("ver");
  WriteTextFile(dir / "notes.txt", "plain text");
  EXPECT_FALSE(GetFixedFileVersion((dir / "notes.txt").c_str(), v));
  EXPECT_EQ(7u, v.MS) << "left alone on failure";
}

TEST(GetStringFileVersion, PacksTheTextOfTheFirstTranslation) {
  struct Case {
    const char* fixture;
    uint32_t ms, ls;
  } cases[] = {
      {"ver_both_1234", 0x00010002, 0x00030004},
      {"ver_string_only", 0x00050006, 0x00070008},
      {"ver_text_commas", 0x00010002, 0x00030004},  // "1, 2, 3, 4"
      {"ver_text_label", 0x00010002, 0x00030004},   // "1.2.3.4 (build label)"
      {"ver_text_two", 0x00020005, 0},              // "2.5"
      {"ver_german_1252", 0x00030001, 0},           // key 040704e4
  };
  for (const Case& c : cases) {
    FileVersionPair v{7, 7};
    ASSERT_TRUE(GetStringFileVersion(Fixture(c.fixture).c_str(), v)) << c.fixture;
    EXPECT_EQ(c.ms, v.MS) << c.fixture;
    EXPECT_EQ(c.ls, v.LS) << c.fixture;
  }
}

TEST(GetStringFileVersion, FalseWithoutAText) {
  FileVersionPair v{};
  EXPECT_FALSE(GetStringFileVersion(Fixture("ver_fixed_only").c_str(), v));
  EXPECT_FALSE(GetStringFileVersion(Fixture("ver_none").c_str(), v));
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
