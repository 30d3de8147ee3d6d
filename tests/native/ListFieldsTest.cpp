#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "common/core/Text.h"
#include "startup/core/ListFields.h"

namespace {

class FakeTokens : public PathTokenSource {
 public:
  std::map<std::string, std::string> strings;
  std::string system = "C:\\WINDOWS\\system32", windows = "C:\\WINDOWS", install = "E:\\Inst",
              module = "D:\\Media";
  int systemAsked = 0;
  void SystemDirectory(char* out, size_t cap) override {
    ++systemAsked;
    CopyText(out, cap, system.c_str());
  }
  void WindowsDirectory(char* out, size_t cap) override { CopyText(out, cap, windows.c_str()); }
  void InstallDir(char* out, size_t cap) override { CopyText(out, cap, install.c_str()); }
  void ModuleDir(char* out, size_t cap) override { CopyText(out, cap, module.c_str()); }
  void StringsValue(const char* name, char* out, size_t cap) override {
    auto it = strings.find(name);
    CopyText(out, cap, it == strings.end() ? "" : it->second.c_str());
  }
};

struct Split {
  std::string fields[8];
  int count = 0;
};

Split SplitAll(const char* value, FakeTokens& tokens) {
  Split s;
  char out[kTextSize];
  size_t at = 0;
  for (;;) {
    at = SplitFieldWith(value, at, out, sizeof out, tokens);
    s.fields[s.count++] = out;
    if (value[at] != ',' || s.count == 8) break;
    ++at;
  }
  return s;
}

}  // namespace

TEST(SplitField, CommasQuotesAndBlanks) {
  FakeTokens t;
  Split a = SplitAll("one,,three", t);
  ASSERT_EQ(3, a.count);
  EXPECT_EQ("one", a.fields[0]);
  EXPECT_EQ("", a.fields[1]);
  EXPECT_EQ("three", a.fields[2]);

  Split b = SplitAll("\"a, b\",second", t);
  ASSERT_EQ(2, b.count);
  EXPECT_EQ("a, b", b.fields[0]);
  EXPECT_EQ("second", b.fields[1]);

  Split c = SplitAll("  \tlead,trail  , x", t);
  EXPECT_EQ("lead", c.fields[0]);
  EXPECT_EQ("trail  ", c.fields[1]) << "trailing blanks stay";
  EXPECT_EQ("x", c.fields[2]);

  Split d = SplitAll("pre\"mid,dle\"post,next", t);
  EXPECT_EQ("premid,dlepost", d.fields[0]) << "quoted runs join plain characters";
  EXPECT_EQ("next", d.fields[1]);

  // The profile function already took the outer quotes of "a","b".
  Split e = SplitAll("a\",\"b", t);
  ASSERT_EQ(1, e.count);
  EXPECT_EQ("a,b", e.fields[0]);
}

TEST(SplitField, UnterminatedQuoteOrTokenEndsTheLine) {
  FakeTokens t;
  char out[kTextSize];
  const char* v1 = "\"open, still open,more";
  size_t at = SplitFieldWith(v1, 0, out, sizeof out, t);
  EXPECT_STREQ("open, still open,more", out);
  EXPECT_EQ(std::strlen(v1), at) << "the line counts as finished";

  const char* v2 = "abc%1\\tail,next";
  at = SplitFieldWith(v2, 0, out, sizeof out, t);
  EXPECT_STREQ("abc", out) << "the token is dropped where the percent sign stood";
  EXPECT_EQ(std::strlen(v2), at);
}

TEST(SplitField, PathTokens) {
  FakeTokens t;
  t.strings["Vendor"] = "Velmorax";
  t.strings["Loop"] = "%1%\\\"x\"";
  t.strings["011"] = "from strings";
  t.strings[""] = "empty name";
  char out[kTextSize];

  SplitFieldWith("%1%\\setup.inf", 0, out, sizeof out, t);
  EXPECT_STREQ("D:\\Media\\setup.inf", out);
  SplitFieldWith("%11%|%10%|%99%|%12%|%17%|%18%", 0, out, sizeof out, t);
  EXPECT_STREQ("C:\\WINDOWS\\system32|C:\\WINDOWS|E:\\Inst|C:\\WINDOWS\\System32\\Drivers|"
               "C:\\WINDOWS\\Inf|C:\\WINDOWS\\Help",
               out);
  SplitFieldWith("%011%", 0, out, sizeof out, t);
  EXPECT_STREQ("from strings", out) << "names are texts, not numbers";
  SplitFieldWith("%%", 0, out, sizeof out, t);
  EXPECT_STREQ("empty name", out);
  SplitFieldWith("%Undefined%file.txt", 0, out, sizeof out, t);
  EXPECT_STREQ("file.txt", out);
  SplitFieldWith("%vendor%", 0, out, sizeof out, t);
  EXPECT_STREQ("", out) << "Strings lookup is the source's business; the fake is case-sensitive";
  SplitFieldWith("%Loop%", 0, out, sizeof out, t);
  EXPECT_STREQ("%1%\\\"x\"", out) << "an expansion is not scanned again";
  SplitFieldWith("\"%1%\"", 0, out, sizeof out, t);
  EXPECT_STREQ("%1%", out) << "percent signs inside quotes are plain";
}

TEST(SplitField, BuiltinNamesIgnoreCaseAndAskEachTime) {
  FakeTokens t;
  char out[kTextSize];
  SplitFieldWith("%11%%11%", 0, out, sizeof out, t);
  EXPECT_EQ(2, t.systemAsked);
}

TEST(SplitField, LongExpansionsNeverOverrunTheField) {
  FakeTokens t;
  t.strings["A"] = std::string(200, 'x');
  std::string value;
  while (value.size() + 3 <= 259) value += "%A%";
  ASSERT_LE(value.size(), 259u);
  char out[kTextSize + 16];
  std::memset(out, '#', sizeof out);
  size_t at = SplitFieldWith(value.c_str(), 0, out, kTextSize, t);
  EXPECT_EQ(value.size(), at);
  EXPECT_EQ(259u, std::strlen(out)) << "cut at the field's capacity";
  for (size_t i = kTextSize; i < sizeof out; ++i) ASSERT_EQ('#', out[i]) << "wrote past the field at " << i;

  // A long token name is cut too, and the splitter goes on after it.
  std::string longName = "%" + std::string(400, 'n') + "%,next";
  at = SplitFieldWith(longName.c_str(), 0, out, kTextSize, t);
  EXPECT_EQ(',', longName[at]);
}

TEST(ExpandPathToken, EmptyExpansionWritesNothing) {
  FakeTokens t;
  char out[8] = "keep";
  EXPECT_EQ(0u, ExpandPathTokenWith("nothing", out, sizeof out, t));
  EXPECT_STREQ("keep", out);
  t.module = "";
  EXPECT_EQ(0u, ExpandPathTokenWith("1", out, sizeof out, t));
  EXPECT_STREQ("keep", out);
  t.module = "D:\\A\\Long\\Path";
  EXPECT_EQ(7u, ExpandPathTokenWith("1", out, sizeof out, t)) << "cut to the room left";
  EXPECT_STREQ("D:\\A\\Lo", out);
}
