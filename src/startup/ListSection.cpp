#include "ListSection.h"

#include <windows.h>

#include <cstring>

#include "SetupScript.h"
#include "startup/core/ListFields.h"
#include "startup/core/Settings.h"

namespace {

class SystemTokens : public PathTokenSource {
 public:
  void SystemDirectory(char* out, std::size_t cap) override {
    char dir[kTextSize];
    UINT n = GetSystemDirectoryA(dir, sizeof dir);
    CopyText(out, cap, (n > 0 && n < sizeof dir) ? dir : "");
  }
  void WindowsDirectory(char* out, std::size_t cap) override {
    char dir[kTextSize];
    UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    CopyText(out, cap, (n > 0 && n < sizeof dir) ? dir : "");
  }
  void InstallDir(char* out, std::size_t cap) override { CopyText(out, cap, Settings.InstallDir); }
  void ModuleDir(char* out, std::size_t cap) override { CopyText(out, cap, Settings.ModuleDir); }
  void StringsValue(const char* name, char* out, std::size_t cap) override {
    ReadScriptValue("Strings", name, "", out, cap);
  }
};

}  // namespace

std::size_t ExpandPathToken(const char* name, char* dest, std::size_t cap) {
  SystemTokens tokens;
  return ExpandPathTokenWith(name, dest, cap, tokens);
}

std::size_t SplitField(const char* value, std::size_t offset, char* out, std::size_t cap) {
  SystemTokens tokens;
  return SplitFieldWith(value, offset, out, cap, tokens);
}

int SplitFields(const char* value, char (*fields)[kTextSize], int count) {
  for (int i = 0; i < count; ++i) fields[i][0] = '\0';
  if (count <= 0) return 0;
  std::size_t at = SplitField(value, 0, fields[0]);
  int supplied = 1;
  while (value[at] == ',' && supplied < count) at = SplitField(value, at + 1, fields[supplied++]);
  return supplied;
}

void ReadListSection(const char* section, ListLineAction action, void* ctx,
                     std::size_t nameListSize) {
  char names[kKeyNameListSize];
  std::size_t size = nameListSize < sizeof names ? nameListSize : sizeof names;
  if (size < 2) return;
  std::memset(names, 0, sizeof names);
  DWORD got = GetPrivateProfileStringA(section, nullptr, "", names, static_cast<DWORD>(size),
                                       Settings.ScriptPath);
  names[size - 2] = names[size - 1] = '\0';  // the list always ends
  // A full list ends in a name cut short, which would stand for another line.
  if (got + 2 >= size) {
    std::size_t last = size - 2;
    while (last > 0 && names[last - 1] != '\0') --last;
    names[last] = '\0';
  }

  for (const char* name = names; *name != '\0'; name += std::strlen(name) + 1) {
    char value[kTextSize];
    ReadScriptValue(section, name, "", value, sizeof value);
    action(name, value, ctx);
  }
}
