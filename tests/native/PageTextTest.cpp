#include <gtest/gtest.h>

#include <string>

#include "wizard/core/PageText.h"

TEST(PageTextTest, FormatWithNameFillsEveryPlaceAndNeverOverruns) {
  struct Row {
    const char* pattern;
    const char* name;
    size_t cap;
    std::string expected;
    int fitted;
  } rows[] = {
      {"Welcome to %s. Install %s?", "Kbd", 64, "Welcome to Kbd. Install Kbd?", 1},
      {"%s", "a %s b", 64, "a %s b", 1},              // the name is not read as a pattern
      {"100%% of %d %", "x", 64, "100% of %d %", 1},  // only %s and %% are places
      {"%s!", "abcdef", 5, "abcd", 0},
      {"ab%s", "cd", 3, "ab", 0},
      {"", "x", 1, "", 1},
      {"%", "x", 64, "%", 1},
  };
  for (const Row& row : rows) {
    char out[64];
    memset(out, '#', sizeof out);
    int fitted = FormatWithName(out, row.cap, row.pattern, row.name);
    EXPECT_EQ(row.expected, std::string(out))
        << row.pattern << " / " << row.name << " / " << row.cap;
    EXPECT_EQ(row.fitted, fitted) << row.pattern << " / " << row.cap;
    EXPECT_EQ('#', out[row.cap < sizeof out ? row.cap : sizeof out - 1])
        << "past the buffer: " << row.pattern;
  }
}
