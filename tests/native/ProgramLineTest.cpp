// "Run Programs" and "Kill Programs" lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "LineSplit.h"
#include "engine/core/ProgramLine.h"

TEST(QuoteArgument, ReadBackAsOneUnchangedArgument) {
  struct Case {
    std::string text;
    int want;
    std::string quoted;
  } cases[] = {
      {"", 1, "\"\""},
      {"/s", 1, "\"/s\""},
      {"a b, c", 1, "\"a b, c\""},
      {"C:\\a b\\x", 1, "\"C:\\a b\\x\""},      // inner backslashes stay single
      {"C:\\dir\\", 1, "\"C:\\dir\\\\\""},      // a trailing one must not escape the quote
      {"say \"hi\"", 1, "\"say \\\"hi\\\"\""},  // a quote must not end the argument
      {"a\\\"b", 1, "\"a\\\\\\\"b\""},          // backslashes before a quote doubled
      {std::string(257, 'x'), 1, "\"" + std::string(257, 'x') + "\""},
      {std::string(258, 'x'), 0, ""},
      {std::string(255, 'x') + "\\", 1, "\"" + std::string(255, 'x') + "\\\\\""},
      {std::string(256, 'x') + "\\", 0, ""},
  };
  for (const Case& c : cases) {
    char out[kTextSize];
    std::memset(out, 'z', sizeof out);
    EXPECT_EQ(c.want, QuoteArgument(c.text.c_str(), out)) << c.text;
    EXPECT_EQ(c.quoted, out) << c.text;
  }
}

TEST(ParseRunLine, FileParametersAndWorkingFolder) {
  struct Case {
    const char* program;
    const char* value;
    const char* file;
    const char* parameters;
    const char* folder;
  } cases[] = {
      {"Tool.exe", "C:\\P", "C:\\P\\Tool.exe", "\"\"", "C:\\P"},
      {"Tool.exe", "%99%,/quiet mode", "E:\\Inst\\Tool.exe", "\"/quiet mode\"", "E:\\Inst"},
      {"T.exe", "C:\\P,  a ,b", "C:\\P\\T.exe", "\"a \"", "C:\\P"},
      {"T.exe", "C:\\P,\"x,y\"", "C:\\P\\T.exe", "\"x,y\"", "C:\\P"},
      {"T.exe", "C:\\P,%Quote%", "C:\\P\\T.exe", "\"a\\\"b\"", "C:\\P"},
      {"T.exe", "", "\\T.exe", "\"\"", ""},
  };
  for (const Case& c : cases) {
    RunLine run;
    std::memset(&run, 'z', sizeof run);
    EXPECT_EQ(1, ParseRunLine(c.program, c.value, TestSplit, run)) << c.value;
    EXPECT_STREQ(c.file, run.File) << c.value;
    EXPECT_STREQ(c.parameters, run.Parameters) << c.value;
    EXPECT_STREQ(c.folder, run.Folder) << c.value;
  }
}

TEST(ParseRunLine, RefusesWhatDoesNotFit) {
  const std::string folder(250, 'f');
  struct Case {
    std::string program;
    std::string value;
    int want;
  } cases[] = {
      {"Tool.exe", folder, 1},              // 259 characters
      {"Tools.exe", folder, 0},             // a cut file could be another program
      {"T.exe", "C:\\P,%Long%", 0},         // 259 characters and two quotes
      {std::string(400, 'k'), "C:\\P", 0},  // key names may be longer than a field
  };
  for (const Case& c : cases) {
    RunLine run;
    EXPECT_EQ(c.want, ParseRunLine(c.program.c_str(), c.value.c_str(), TestSplit, run))
        << c.program << " = " << c.value;
    if (!c.want) EXPECT_STREQ("", run.File);
    if (!c.want) EXPECT_STREQ("", run.Parameters);
  }
}

TEST(ParseKillLine, ClassAndTitleEmptyWhenAbsent) {
  struct Case {
    const char* value;
    const char* className;
    const char* title;
  } cases[] = {
      {"KqTray", "KqTray", ""},
      {"KqTray,Keyboard Tray", "KqTray", "Keyboard Tray"},
      {"KqTray, Tray ,more", "KqTray", "Tray "},
      {"KqTray,,Tray", "KqTray", ""},
      {",Tray", "", "Tray"},
      {"", "", ""},
      {"\"Kq,Tray\"", "Kq,Tray", ""},
  };
  for (const Case& c : cases) {
    KillLine kill;
    std::memset(&kill, 'z', sizeof kill);
    ParseKillLine(c.value, TestSplit, kill);
    EXPECT_STREQ(c.className, kill.ClassName) << c.value;
    EXPECT_STREQ(c.title, kill.Title) << c.value;
  }
}
