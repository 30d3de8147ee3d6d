// "Add Registry" written to the real registry and recorded for the
// uninstaller; the user's locale; "Add Registry Files" imported by the
// system's registry editor.
#include <gtest/gtest.h>

#include "engine/RegistryActions.h"
#include "fixtures/EngineFixtures.h"

using namespace engine_test;

namespace {

const std::string kTestKey = "KqActionsTest";
const std::string kProduct = std::string(kUninstallRoot) + "KBDTEST";

// "sz 'text'", "dword 01 00 00 00", "bin 01 00", "key" (no such value) or "no key".
std::string ValueAt(HKEY root, const std::string& key, const std::string& name) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return "no key";
  BYTE data[1024];
  DWORD size = sizeof data, type = 0;
  LONG rc = RegQueryValueExA(h, name.c_str(), nullptr, &type, data, &size);
  RegCloseKey(h);
  if (rc != ERROR_SUCCESS) return "key";
  if (type == REG_SZ)
    return size == 0 || data[size - 1] != 0 ? "sz without NUL"
                                            : "sz '" + std::string((char*)data, size - 1) + "'";
  std::string out = type == REG_DWORD ? "dword" : type == REG_BINARY ? "bin" : "type?";
  char hex[4];
  for (DWORD i = 0; i < size; ++i, out += hex) snprintf(hex, sizeof hex, " %02x", data[i]);
  return out;
}

class RegistryActions : public ::testing::Test {
 protected:
  void SetUp() override {
    FreshRun(media_.path());
    CopyText(Settings.UninstallKey, "KBDTEST");
    Clear();
  }
  void TearDown() override { Clear(); }
  void Clear() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT, HKEY_USERS})
      DeleteRegTree(root, kTestKey);
    DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\" + kTestKey);
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\" + kTestKey);
    HKEY user = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, nullptr, 0, KEY_ALL_ACCESS, &user);
    RegDeleteValueA(user, kTestKey.c_str());
    RegCloseKey(user);
  }
  void Script(const std::string& section, const std::vector<std::string>& lines) {
    std::string text = "[" + section + "]\r\n";
    for (size_t i = 0; i < lines.size(); ++i)
      text += "Line" + std::to_string(i) + "=" + lines[i] + "\r\n";
    WriteTextFile(media_ / "SETUP.INI", text);
  }
  ScratchDir media_{"media"};
  ScopedUninstallRecords records_{"KBDTEST"};
};

TEST_F(RegistryActions, EveryShapeWrittenAndRecorded) {
  const std::string k = kTestKey;
  const struct {
    std::string line;
    HKEY root;
    const char* rootName;  // of the record; "" for none
    std::string key, name, value;
  } rows[] = {
      {"HKLM,Software\\" + k + "\\Only", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE",
       "Software\\" + k + "\\Only", "", "key"},
      {"hkcu,Software\\" + k + "\\Sub,", HKEY_CURRENT_USER, "HKEY_CURRENT_USER",
       "Software\\" + k + "\\Sub", "", "sz ''"},
      {"HkCr," + k + ",Name", HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", k, "Name", "sz ''"},
      {"HKLM ," + k + ",Blank,0,x", HKEY_USERS, "HKEY_USERS", k, "Blank", "sz 'x'"},
      {"HKEY_LOCAL_MACHINE," + k + ",Full", HKEY_USERS, "HKEY_USERS", k, "Full", "sz ''"},
      {"HKLM,Software\\" + k + ",Text,,  hi there ,more", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE",
       "Software\\" + k, "Text", "sz 'hi there '"},
      {"HKLM,Software\\" + k + ",One,1,1", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE",
       "Software\\" + k, "One", "dword 01 00 00 00"},
      {"HKLM,Software\\" + k + ",Two,1,01,00", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE",
       "Software\\" + k, "Two", "bin 01 00"},
      {"HKLM,Software\\" + k + ",FF,1,ff", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE",
       "Software\\" + k, "FF", "dword ff ff ff ff"},
      {"HKLM,Software\\" + k + ",LowByte,1,1ff", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE",
       "Software\\" + k, "LowByte", "dword ff ff ff ff"},
      {"HKLM,Software\\" + k + ",None,1", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE",
       "Software\\" + k, "None", "dword 00 00 00 00"},
      {"HKLM,Software\\" + k + ",,0,default", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE",
       "Software\\" + k, "", "sz 'default'"},
      // No key path: the value lands in the root, which is never recorded.
      {"HKCU,," + k + ",0,root", HKEY_CURRENT_USER, "", "", k, "sz 'root'"},
  };
  std::vector<std::string> lines;
  for (auto& row : rows) lines.push_back(row.line);
  Script("Add Registry", lines);
  AddRegistry();

  size_t recordCount = 0;
  for (auto& row : rows) {
    EXPECT_EQ(row.value, ValueAt(row.root, row.key, row.name)) << row.line;
    if (row.rootName[0] == '\0') continue;
    ++recordCount;
    std::string record = row.key + (row.name.empty() ? "" : "\\\\" + row.name);
    EXPECT_EQ(row.name,
              RegText(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteRegs\\" + row.rootName, record))
        << row.line;
  }
  size_t recorded = 0;
  for (auto& root : RegSubKeys(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteRegs"))
    recorded += RegValueNames(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteRegs\\" + root).size();
  EXPECT_EQ(recordCount, recorded) << "the line without a key path is not recorded";
}

// Waits until the editor has written every name of want (or 15 s passed),
// then a little longer for any import that should not have run.
std::string ImportedNames(const std::string& want) {
  const std::string key = "Software\\" + kTestKey;
  std::string got;
  for (DWORD start = GetTickCount(); GetTickCount() - start < 15000; Sleep(100)) {
    got.clear();
    for (const char* name : {"a", "b", "c", "d", "e"})
      if (ValueAt(HKEY_CURRENT_USER, key, name).rfind("sz", 0) == 0) got += name;
    if (got == want) break;
  }
  Sleep(1500);
  got.clear();
  for (const char* name : {"a", "b", "c", "d", "e"})
    if (ValueAt(HKEY_CURRENT_USER, key, name).rfind("sz", 0) == 0) got += name;
  return got;
}

TEST_F(RegistryActions, FilesOfTheUsersLocaleByTheWindowsEditorOnly) {
  MakeDirs(media_ / "Sub Dir");
  for (std::string name : {"a", "b", "c", "Sub Dir\\d", "e"})
    WriteTextFile(media_ / (name + ".reg"), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\" +
                                                kTestKey + "]\r\n\"" +
                                                name.substr(name.size() - 1) + "\"=\"1\"\r\n\r\n");
  Script("Add Registry Files", {"a.reg,00000409", "b.reg,00000407", "c.reg", "missing.reg,00000407",
                                "\"Sub Dir\\d.reg\",0000040C", "e.reg,  0000040c"});
  // Editors planted where a search would find them first.
  ScratchDir current("cwd");
  CopyFileOrDie(BinDir() + "\\logprog.exe", media_ / "regedit.exe");
  CopyFileOrDie(BinDir() + "\\logprog.exe", current / "regedit.exe");
  ScopedEnv log("SETUP_TEST_LOG", current / "calls.log");
  char oldCurrent[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof oldCurrent, oldCurrent);
  SetCurrentDirectoryA(current.path().c_str());

  const struct {
    int isNT;
    const char* ntLocale;
    const char* resourceLocale;
    std::string imported;
  } rows[] = {{1, "00000407", "00000409", "b"},
              {0, "00000407", "0000040c", "de"},
              {1, nullptr, "0000040c", "a"}};
  for (auto& row : rows) {
    ScopedRegValue nt(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", row.ntLocale);
    ScopedRegValue nine(HKEY_CURRENT_USER, "Control Panel\\Desktop\\ResourceLocale", "",
                        row.resourceLocale);
    Settings.IsNT = row.isNT;
    AddRegistryFiles();
    EXPECT_EQ(row.imported, ImportedNames(row.imported)) << "NT " << row.isNT;
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\" + kTestKey);
  }
  SetCurrentDirectoryA(oldCurrent);
  EXPECT_TRUE(ReadLog(current / "calls.log").empty()) << "a planted regedit.exe ran";
}

}  // namespace
