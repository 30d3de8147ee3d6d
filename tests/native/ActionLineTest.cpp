// Lines of "Add Registry", "Add Registry Files", "Run Programs" and "Kill Programs".
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/core/ProgramLine.h"
#include "engine/core/RegistryLine.h"
#include "startup/core/ListFields.h"

namespace {

// Fixed folders; "Strings" holds Long (259 characters) and Quote (a"b).
struct Tokens : PathTokenSource {
  void SystemDirectory(char* out, size_t cap) override { CopyText(out, cap, "C:\\W\\SYSTEM"); }
  void WindowsDirectory(char* out, size_t cap) override { CopyText(out, cap, "C:\\W"); }
  void InstallDir(char* out, size_t cap) override { CopyText(out, cap, "E:\\Inst"); }
  void ModuleDir(char* out, size_t cap) override { CopyText(out, cap, "D:\\Media"); }
  void StringsValue(const char* name, char* out, size_t cap) override {
    std::string text = !std::strcmp(name, "Long") ? std::string(259, 'L') : "";
    CopyText(out, cap, !std::strcmp(name, "Quote") ? "a\"b" : text.c_str());
  }
};

size_t Split(const char* value, size_t at, char* out, size_t cap) {
  Tokens tokens;
  return SplitFieldWith(value, at, out, cap, tokens);
}

// Root|key|name|what the value write gets, e.g. "LM|S|V|dword 80 ff ff ff".
std::string Registry(const std::string& value) {
  RegistryLine line;
  std::memset(&line, 'x', sizeof line);
  ParseRegistryLine(value.c_str(), Split, line);
  static const char* const kRoots[] = {"LM", "CU", "CR", "U"};
  static const char* const kKinds[] = {"key", "sz", "dword", "bin"};
  std::string out = std::string(kRoots[int(line.Root)]) + "|" + line.KeyPath + "|" +
                    line.ValueName + "|" + kKinds[int(line.Kind)];
  uint32_t size = 99;
  const uint8_t* data = static_cast<const uint8_t*>(RegistryData(line, &size));
  if (line.Kind == RegistryKind::Text) {
    if (size != std::strlen(line.Text) + 1) return "size " + std::to_string(size);
    return out + " '" + line.Text + "'";
  }
  char hex[4];
  for (uint32_t i = 0; i < size; ++i, out += hex) std::snprintf(hex, sizeof hex, " %02x", data[i]);
  return data == nullptr && size != 0 ? "size without data" : out;
}

}  // namespace

TEST(ParseRegistryLine, RootKeyAndName) {
  const char* const rows[][2] = {
      {"HKLM", "LM|||key"},
      {"hkcu,Software\\Kq", "CU|Software\\Kq||key"},
      {"  HkCr,S,", "CR|S||sz ''"},  // blanks after a comma are dropped
      {"HKLM ,S", "U|S||key"},       // blanks before one are not
      {"HKEY_LOCAL_MACHINE,S", "U|S||key"},
      {"HKEY_USERS,S", "U|S||key"},
      {"HKCU,%1%\\Kq,\"a,b\"", "CU|D:\\Media\\Kq|a,b|sz ''"},
  };
  for (auto& row : rows) EXPECT_EQ(row[1], Registry(row[0])) << row[0];
}

TEST(ParseRegistryLine, StringOrNumbersBySelector) {
  const char* const rows[][2] = {
      {"HKLM,S,V,0", "LM|S|V|sz ''"},
      {"HKLM,S,V,0,  hi there ,more", "LM|S|V|sz 'hi there '"},
      {"HKLM,S,V,,%99%\\bin", "LM|S|V|sz 'E:\\Inst\\bin'"},
      {"HKLM,S,V,00,1", "LM|S|V|dword 01 00 00 00"},  // only "0" itself means a string
      {"HKLM,S,V,0 ,1", "LM|S|V|dword 01 00 00 00"},
      {"HKLM,S,V,1", "LM|S|V|dword 00 00 00 00"},
      {"HKLM,S,V,1,7f", "LM|S|V|dword 7f 00 00 00"},
      {"HKLM,S,V,1,80", "LM|S|V|dword 80 ff ff ff"},  // a lone byte is signed
      {"HKLM,S,V,1,1ff", "LM|S|V|dword ff ff ff ff"},
      {"HKLM,S,V,1,01,00", "LM|S|V|bin 01 00"},
      {"HKLM,S,V,x,ff,", "LM|S|V|bin ff 00"},
      {"HKLM,S,V,1,12345678,zz, a", "LM|S|V|bin 78 00 0a"},
  };
  for (auto& row : rows) EXPECT_EQ(row[1], Registry(row[0])) << row[0];
}

TEST(ParseRegistryLine, AtMost260Bytes) {
  for (int fields : {260, 261}) {
    std::string value = "HKLM,S,V,1";
    for (int i = 0; i < fields; ++i) value += i < 259 ? ",1" : ",2";
    RegistryLine line;
    ParseRegistryLine(value.c_str(), Split, line);
    EXPECT_EQ(260u, line.ByteCount) << fields;
    EXPECT_EQ(2, line.Bytes[259]) << fields;
  }
}

TEST(ParseHexNumber, LeadingHexDigitsWrapping) {
  const std::pair<const char*, uint32_t> rows[] = {
      {"", 0},   {"aBcD", 0xabcd},          {"12g4", 0x12},           {"0x10", 0},
      {" 1", 0}, {"ffffffff", 0xffffffffu}, {"123456789", 0x23456789}};
  for (auto& row : rows) EXPECT_EQ(row.second, ParseHexNumber(row.first)) << row.first;
}

TEST(TakeLocaleId, BoundedCopyOfTheRegistryText) {
  const struct {
    std::string data;
    int want;
    std::string id;
  } rows[] = {{std::string("00000407\0", 9), 1, "00000407"},
              {"00000407", 1, "00000407"},  // no NUL within the bytes read
              {std::string(259, '4'), 1, std::string(259, '4')},
              {std::string(260, '4'), 0, "previous"}};
  for (auto& row : rows) {
    char id[kTextSize] = "previous";
    EXPECT_EQ(row.want, TakeLocaleId(row.data.data(), row.data.size(), id)) << row.data;
    EXPECT_EQ(row.id, id) << row.data;
  }
}

TEST(RegistryFileRuns, SameLocaleInAnyCaseEmptyNever) {
  const char* const rows[][3] = {{"0000040a", "0000040A", "1"},
                                 {"00000407", "00000409", "0"},
                                 {"00000409 ", "00000409", "0"},
                                 {"", "", "0"}};
  for (auto& row : rows) EXPECT_EQ(row[2][0] - '0', RegistryFileRuns(row[0], row[1])) << row[0];
}

TEST(RegeditCommandLine, QuotedPathOrNothing) {
  char out[kTextSize];
  EXPECT_EQ(1, RegeditCommandLine("D:\\My Media\\kq.reg", out));
  EXPECT_STREQ("regedit /S \"D:\\My Media\\kq.reg\"", out);
  EXPECT_EQ(1, RegeditCommandLine(std::string(246, 'p').c_str(), out));
  EXPECT_EQ(0, RegeditCommandLine(std::string(247, 'p').c_str(), out)) << "closing quote cut";
  EXPECT_STREQ("", out);
}

TEST(QuoteArgument, ReadBackAsOneUnchangedArgument) {
  const std::string rows[][2] = {
      {"", "\"\""},
      {"C:\\a b\\x", "\"C:\\a b\\x\""},
      {"C:\\dir\\", "\"C:\\dir\\\\\""},  // a trailing backslash must not escape the quote
      {"a\\\"b", "\"a\\\\\\\"b\""},      // nor a quote end the argument
      {std::string(257, 'x'), "\"" + std::string(257, 'x') + "\""},
      {std::string(258, 'x'), ""},
      {std::string(256, 'x') + "\\", ""},
  };
  for (auto& row : rows) {
    char out[kTextSize];
    EXPECT_EQ(!row[1].empty(), QuoteArgument(row[0].c_str(), out)) << row[0];
    EXPECT_EQ(row[1], out) << row[0];
  }
}

TEST(ParseRunLine, FileParametersFolderOrRefused) {
  const std::string folder(250, 'f');
  const std::string rows[][3] = {
      {"Tool.exe", "C:\\P", "C:\\P\\Tool.exe|\"\"|C:\\P"},
      {"T.exe", "%99%,  /q a ,b", "E:\\Inst\\T.exe|\"/q a \"|E:\\Inst"},
      {"T.exe", "C:\\P,%Quote%", "C:\\P\\T.exe|\"a\\\"b\"|C:\\P"},
      {"T.exe", "", "\\T.exe|\"\"|"},
      {"Tool.exe", folder, folder + "\\Tool.exe|\"\"|" + folder},
      {"Tools.exe", folder, "||"},  // a cut file could be another program
      {"T.exe", "C:\\P,%Long%", "||"},
      {std::string(400, 'k'), "C:\\P", "||"},
  };
  for (auto& row : rows) {
    RunLine run;
    int ok = ParseRunLine(row[0].c_str(), row[1].c_str(), Split, run);
    EXPECT_EQ(row[2] != "||", ok) << row[0] << " = " << row[1];
    EXPECT_EQ(row[2], std::string(run.File) + "|" + run.Parameters + "|" + run.Folder) << row[1];
  }
}

TEST(ParseKillLine, ClassAndTitleEmptyWhenAbsent) {
  const char* const rows[][2] = {{"KqTray", "KqTray|"},
                                 {"Kq, Tray ,more", "Kq|Tray "},
                                 {"Kq,,Tray", "Kq|"},
                                 {",Tray", "|Tray"},
                                 {"\"Kq,Tray\"", "Kq,Tray|"}};
  for (auto& row : rows) {
    KillLine kill;
    std::memset(&kill, 'z', sizeof kill);
    ParseKillLine(row[0], Split, kill);
    EXPECT_EQ(row[1], std::string(kill.ClassName) + "|" + kill.Title) << row[0];
  }
}
