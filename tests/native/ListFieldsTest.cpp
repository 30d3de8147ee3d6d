#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

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

// Every field of a value, as the list readers split it.
std::vector<std::string> SplitAll(const char* value, FakeTokens& tokens) {
  std::vector<std::string> fields;
  char out[kTextSize];
  size_t at = 0;
  for (;;) {
    at = SplitFieldWith(value, at, out, sizeof out, tokens);
    fields.push_back(out);
    if (value[at] != ',' || fields.size() == 8) return fields;
    ++at;
  }
}

}  // namespace

TEST(SplitField, FieldsOfAValue) {
  FakeTokens t;
  t.strings["Vendor"] = "Velmorax";
  t.strings["Loop"] = "%1%\\\"x\"";
  t.strings["011"] = "from strings";
  t.strings[""] = "empty name";
  using V = std::vector<std::string>;
  const struct {
    const char* value;
    V fields;
  } rows[] = {
      {"one,,three", {"one", "", "three"}},
      {"\"a, b\",second", {"a, b", "second"}},
      {"  \tlead,trail  , x", {"lead", "trail  ", "x"}},        // trailing blanks stay
      {"pre\"mid,dle\"post,next", {"premid,dlepost", "next"}},  // quoted runs join plain ones
      {"a\",\"b", {"a,b"}},  // the profile function already took the outer quotes
      {"\"open, still open,more", {"open, still open,more"}},  // an open quote ends the line
      {"abc%1\\tail,next", {"abc"}},  // so does an open token, dropped where it stood
      {"%1%\\setup.inf", {"D:\\Media\\setup.inf"}},
      {"%11%;%10%;%99%;%12%;%17%;%18%",
       {"C:\\WINDOWS\\system32;C:\\WINDOWS;E:\\Inst;C:\\WINDOWS\\System32\\Drivers;C:"
        "\\WINDOWS\\Inf;"
        "C:\\WINDOWS\\Help"}},
      {"%011%", {"from strings"}},  // names are texts, not numbers
      {"%%", {"empty name"}},
      {"%Undefined%file.txt", {"file.txt"}},
      {"%vendor%", {""}},          // the Strings lookup is the source's business
      {"%Loop%", {"%1%\\\"x\""}},  // an expansion is not scanned again
      {"\"%1%\"", {"%1%"}},        // percent signs inside quotes are plain
  };
  for (const auto& row : rows) EXPECT_EQ(row.fields, SplitAll(row.value, t)) << row.value;
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
  for (size_t i = kTextSize; i < sizeof out; ++i)
    ASSERT_EQ('#', out[i]) << "wrote past the field at " << i;

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
