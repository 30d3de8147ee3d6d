// The field splitter that the action-line tests hand to the parsers: the
// real one, with fixed folders and a small "Strings" section.
#pragma once
#include <cstddef>
#include <cstring>

#include "common/core/Text.h"
#include "startup/core/ListFields.h"

class TestTokens : public PathTokenSource {
 public:
  void SystemDirectory(char* out, std::size_t cap) override { CopyText(out, cap, "C:\\W\\SYSTEM"); }
  void WindowsDirectory(char* out, std::size_t cap) override { CopyText(out, cap, "C:\\W"); }
  void InstallDir(char* out, std::size_t cap) override { CopyText(out, cap, "E:\\Inst"); }
  void ModuleDir(char* out, std::size_t cap) override { CopyText(out, cap, "D:\\Media"); }
  // "Long" is 259 characters, "Quote" holds a double quote.
  void StringsValue(const char* name, char* out, std::size_t cap) override {
    if (std::strcmp(name, "Long") == 0) {
      char text[kTextSize];
      std::memset(text, 'L', kTextSize - 1);
      text[kTextSize - 1] = '\0';
      CopyText(out, cap, text);
    } else {
      CopyText(out, cap, std::strcmp(name, "Quote") == 0 ? "a\"b" : "");
    }
  }
};

inline std::size_t TestSplit(const char* value, std::size_t offset, char* out, std::size_t cap) {
  TestTokens tokens;
  return SplitFieldWith(value, offset, out, cap, tokens);
}
