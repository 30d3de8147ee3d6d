#include <gtest/gtest.h>

#include "engine/core/VersionRules.h"

namespace {

struct TextCase {
  const char* text;
  uint32_t ms, ls;
};

class PackVersionTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(PackVersionTextTest, PacksFourNumbers) {
  const TextCase& c = GetParam();
  FileVersionPair v = PackVersionText(c.text);
  EXPECT_EQ(c.ms, v.MS) << '"' << c.text << '"';
  EXPECT_EQ(c.ls, v.LS) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PackVersionTextTest,
    ::testing::Values(TextCase{"1.2.3.4", 0x00010002, 0x00030004},
                      TextCase{"1, 2, 3, 4", 0x00010002, 0x00030004},
                      TextCase{"1 ,2 , 3,4", 0x00010002, 0x00030004},
                      TextCase{"1.2.3.4 (build label)", 0x00010002, 0x00030004},
                      TextCase{"1.2.3.4.5", 0x00010002, 0x00030004}, TextCase{"2.5", 0x00020005, 0},
                      TextCase{"7", 0x00070000, 0}, TextCase{"", 0, 0},
                      TextCase{"1.2b.3.4", 0x00010002, 0x00030004},  // text after digits
                      TextCase{"1..3.4", 0x00010000, 0x00030004},    // empty number
                      TextCase{"x.2.3.4", 0x00000002, 0x00030004},   // no digits
                      TextCase{"1 2.3", 0x000c0003, 0},              // blanks left out
                      TextCase{"\t5.6", 0x00050006, 0},              // leading white space
                      TextCase{"-1.0", 0xffff0000, 0},               // sign, wrapping
                      TextCase{"+3.+4", 0x00030004, 0},
                      TextCase{"70000.1", 70000u * 65536u + 1u, 0},  // carries and wraps
                      TextCase{"4294967297.0", 0x00010000, 0}));     // wraps, no overflow

VersionReading Known(uint32_t sms, uint32_t sls, uint32_t dms, uint32_t dls) {
  return {1, {sms, sls}, {dms, dls}};
}
const VersionReading kUnknown{0, {0, 0}, {0, 0}};

TEST(CompareVersionReadings, Table) {
  // Newer by either kind wins, even when the other calls it older.
  EXPECT_EQ(kSourceNewer, CompareVersionReadings(Known(2, 0, 1, 9), kUnknown));
  EXPECT_EQ(kSourceNewer, CompareVersionReadings(Known(1, 5, 1, 4), kUnknown)) << "by LS";
  EXPECT_EQ(kSourceNewer, CompareVersionReadings(Known(1, 0, 2, 0), Known(3, 0, 2, 0)));
  // The same by one kind and older by the other: the dates decide.
  EXPECT_EQ(kSameVersion, CompareVersionReadings(Known(1, 2, 1, 2), Known(1, 0, 2, 0)));
  EXPECT_EQ(kSameVersion, CompareVersionReadings(Known(1, 0, 2, 0), Known(5, 5, 5, 5)));
  // Older by every kind that was read.
  EXPECT_EQ(kSourceOlder, CompareVersionReadings(Known(1, 0, 2, 0), Known(1, 0, 1, 1)));
  EXPECT_EQ(kSourceOlder, CompareVersionReadings(kUnknown, Known(0, 9, 1, 0)));
  EXPECT_EQ(kNoVersion, CompareVersionReadings(kUnknown, kUnknown));
  // Comparisons are unsigned.
  EXPECT_EQ(kSourceNewer, CompareVersionReadings(Known(0x80000000u, 0, 1, 0), kUnknown));
  EXPECT_EQ(kSourceNewer, CompareVersionReadings(Known(1, 0xffffffffu, 1, 0x7fffffff), kUnknown));
}

}  // namespace
