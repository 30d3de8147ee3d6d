// "Add Registry" and "Add Registry Files" lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "LineSplit.h"
#include "engine/core/RegistryLine.h"

namespace {

RegistryLine Parse(const std::string& value) {
  RegistryLine line;
  std::memset(&line, 'x', sizeof line);
  ParseRegistryLine(value.c_str(), TestSplit, line);
  return line;
}

std::string BytesOf(const RegistryLine& line) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < line.ByteCount; ++i) {
    if (i) out += ' ';
    out += kHex[line.Bytes[i] >> 4];
    out += kHex[line.Bytes[i] & 15];
  }
  return out;
}

using Root = RegistryRoot;
using Kind = RegistryKind;

}  // namespace

TEST(ParseRegistryLine, RootOnlyByTheThreeShortNames) {
  struct Case {
    const char* value;
    Root root;
  } cases[] = {
      {"HKLM,S", Root::LocalMachine},
      {"hkcu,S", Root::CurrentUser},
      {"HkCr,S", Root::ClassesRoot},
      {"  HKLM,S", Root::LocalMachine},  // blanks after a comma are dropped
      {"HKLM ,S", Root::Users},          // blanks before it are not
      {"HKEY_LOCAL_MACHINE,S", Root::Users},
      {"HKEY_USERS,S", Root::Users},
      {"HKU,S", Root::Users},
      {",S", Root::Users},
      {"\"HKCR\",S", Root::ClassesRoot},
  };
  for (const Case& c : cases) EXPECT_EQ(c.root, Parse(c.value).Root) << c.value;
}

TEST(ParseRegistryLine, KeyNameAndString) {
  struct Case {
    const char* value;
    const char* key;
    Kind kind;
    const char* name;
    const char* text;
  } cases[] = {
      {"HKLM", "", Kind::Key, "", ""},
      {"HKLM,Software\\Kq", "Software\\Kq", Kind::Key, "", ""},
      {"HKLM,Software\\Kq,", "Software\\Kq", Kind::Text, "", ""},  // default value, empty
      {"HKLM,S,Ver", "S", Kind::Text, "Ver", ""},
      {"HKLM,S,Ver,0", "S", Kind::Text, "Ver", ""},
      {"HKLM,S,Ver,0,  hello world ,more,fields", "S", Kind::Text, "Ver", "hello world "},
      {"HKLM,S,Ver,,x", "S", Kind::Text, "Ver", "x"},
      {"HKLM,S,\"a,b\",0,\"c,d\"", "S", Kind::Text, "a,b", "c,d"},
      {"HKCU,%1%\\Kq,Dir,0,%99%\\bin", "D:\\Media\\Kq", Kind::Text, "Dir", "E:\\Inst\\bin"},
      {"HKLM,S,V,00,1", "S", Kind::Dword, "V", ""},  // only "0" itself means a string
      {"HKLM,S,V,0 ,1", "S", Kind::Dword, "V", ""},
  };
  for (const Case& c : cases) {
    RegistryLine line = Parse(c.value);
    EXPECT_STREQ(c.key, line.KeyPath) << c.value;
    EXPECT_EQ(c.kind, line.Kind) << c.value;
    EXPECT_STREQ(c.name, line.ValueName) << c.value;
    if (c.kind != Kind::Dword) EXPECT_STREQ(c.text, line.Text) << c.value;
  }
}

TEST(ParseRegistryLine, NumbersGiveSignedByteDwordOrBinary) {
  struct Case {
    const char* value;
    Kind kind;
    uint32_t dword;
    const char* bytes;
  } cases[] = {
      {"HKLM,S,V,1", Kind::Dword, 0, ""},
      {"HKLM,S,V,1,1", Kind::Dword, 1, "01"},
      {"HKLM,S,V,1,7f", Kind::Dword, 0x7f, "7f"},
      {"HKLM,S,V,1,80", Kind::Dword, 0xffffff80u, "80"},
      {"HKLM,S,V,1,ff", Kind::Dword, 0xffffffffu, "ff"},
      {"HKLM,S,V,1,1ff", Kind::Dword, 0xffffffffu, "ff"},  // only the low byte counts
      {"HKLM,S,V,1,", Kind::Dword, 0, "00"},
      {"HKLM,S,V,dword,5", Kind::Dword, 5, "05"},
      {"HKLM,S,V,1,01,00", Kind::Binary, 0, "01 00"},
      {"HKLM,S,V,1,ff,", Kind::Binary, 0, "ff 00"},
      {"HKLM,S,V,1,12345678,zz, a", Kind::Binary, 0, "78 00 0a"},
  };
  for (const Case& c : cases) {
    RegistryLine line = Parse(c.value);
    EXPECT_EQ(c.kind, line.Kind) << c.value;
    EXPECT_EQ(c.bytes, BytesOf(line)) << c.value;
    if (c.kind == Kind::Dword) EXPECT_EQ(c.dword, line.Dword) << c.value;
  }
}

TEST(ParseRegistryLine, AtMost260Bytes) {
  struct Case {
    int fields;
    std::size_t want;
  } cases[] = {{259, 259}, {260, 260}, {261, 260}, {400, 260}};
  for (const Case& c : cases) {
    std::string value = "HKLM,S,V,1";
    for (int i = 0; i < c.fields; ++i) value += "," + std::to_string(i % 10);
    RegistryLine line = Parse(value);
    EXPECT_EQ(Kind::Binary, line.Kind) << c.fields;
    ASSERT_EQ(c.want, line.ByteCount) << c.fields;
    EXPECT_EQ((c.want - 1) % 10, line.Bytes[c.want - 1]) << c.fields;
  }
}

TEST(ParseHexNumber, LeadingHexDigitsWrapping) {
  struct Case {
    const char* text;
    uint32_t want;
  } cases[] = {
      {"", 0},          {"ff", 0xff},
      {"aBcD", 0xabcd}, {"12g4", 0x12},
      {"0x10", 0},      {" 1", 0},
      {"g1", 0},        {"ffffffff", 0xffffffffu},
      {"100000000", 0}, {"123456789", 0x23456789},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, ParseHexNumber(c.text)) << c.text;
}

TEST(RegistryData, WhatTheValueWriteGets) {
  RegistryLine line = Parse("HKLM,S,V,0,abc");
  uint32_t size = 99;
  EXPECT_EQ(0, std::memcmp("abc", RegistryData(line, &size), 4));
  EXPECT_EQ(4u, size) << "the text with its NUL";
  line = Parse("HKLM,S,V");
  EXPECT_EQ('\0', *static_cast<const char*>(RegistryData(line, &size)));
  EXPECT_EQ(1u, size) << "an empty string is one byte";
  line = Parse("HKLM,S,V,1,80");
  const uint8_t dword[4] = {0x80, 0xff, 0xff, 0xff};
  EXPECT_EQ(0, std::memcmp(dword, RegistryData(line, &size), 4));
  EXPECT_EQ(4u, size);
  line = Parse("HKLM,S,V,1,1,2,3");
  const uint8_t bytes[3] = {1, 2, 3};
  EXPECT_EQ(0, std::memcmp(bytes, RegistryData(line, &size), 3));
  EXPECT_EQ(3u, size);
  line = Parse("HKLM,S");
  EXPECT_EQ(nullptr, RegistryData(line, &size));
  EXPECT_EQ(0u, size);
}

TEST(TakeLocaleId, BoundedCopyOfTheRegistryText) {
  struct Case {
    std::string data;
    std::size_t size;
    int want;
    std::string id;
  } cases[] = {
      {std::string("00000407\0", 9), 9, 1, "00000407"},
      {"00000407xx", 8, 1, "00000407"},  // no NUL within the size read
      {std::string("", 1), 1, 1, ""},
      {std::string(259, '4'), 259, 1, std::string(259, '4')},
      {std::string(260, '4'), 260, 0, "previous"},  // would not fit: kept
  };
  for (const Case& c : cases) {
    char id[kTextSize] = "previous";
    EXPECT_EQ(c.want, TakeLocaleId(c.data.data(), c.size, id)) << c.data;
    EXPECT_EQ(c.id, id) << c.data;
  }
}

TEST(RegistryFileRuns, SameLocaleInAnyCaseEmptyNever) {
  struct Case {
    const char* field;
    const char* locale;
    int want;
  } cases[] = {
      {"00000409", "00000409", 1},
      {"0000040a", "0000040A", 1},
      {"00000407", "00000409", 0},
      {"409", "00000409", 0},
      {"00000409 ", "00000409", 0},
      {"", "00000409", 0},
      {"", "", 0},  // a locale that read as empty still runs no line without one
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.want, RegistryFileRuns(c.field, c.locale)) << c.field << " / " << c.locale;
}

TEST(RegeditCommandLine, QuotedPathOrNothing) {
  struct Case {
    std::string path;
    int want;
    std::string line;
  } cases[] = {
      {"D:\\My Media\\kq.reg", 1, "regedit /S \"D:\\My Media\\kq.reg\""},
      {std::string(246, 'p'), 1, "regedit /S \"" + std::string(246, 'p') + "\""},
      {std::string(247, 'p'), 0, ""},  // the closing quote would be cut
  };
  for (const Case& c : cases) {
    char out[kTextSize];
    EXPECT_EQ(c.want, RegeditCommandLine(c.path.c_str(), out)) << c.path;
    EXPECT_EQ(c.line, out) << c.path;
  }
}
