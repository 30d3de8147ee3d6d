// What Setup finds and does in its own process: the setup script through
// the real profile functions, the license text chosen by the user's locale,
// the thread language, and the error mode of the programs it starts.
#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"
#include "common/Process.h"
#include "startup/Language.h"
#include "startup/ListSection.h"
#include "startup/SetupScript.h"
#include "startup/core/Settings.h"

using namespace testing_support;

namespace {

// Settings as platform detection leaves them, with ModuleDir a folder of the test's own.
void Prepare(const TempDir& media, int isNT = 1) {
  ResetSettings(Settings);
  Settings.IsNT = Settings.IsWin2000OrLater = isNT;
  CopyText(Settings.ModuleDir, media.path().c_str());
}

constexpr DWORD kNotSeen = 0xFFFFFFFF;
decltype(&CreateProcessA) RealCreateProcessA = nullptr;
DWORD SeenFlags = kNotSeen;

BOOL WINAPI WatchedCreateProcessA(LPCSTR app, LPSTR cmd, LPSECURITY_ATTRIBUTES pa, LPSECURITY_ATTRIBUTES ta,
                                  BOOL inherit, DWORD flags, LPVOID env, LPCSTR dir, LPSTARTUPINFOA si,
                                  LPPROCESS_INFORMATION pi) {
  SeenFlags = flags;
  return RealCreateProcessA(app, cmd, pa, ta, inherit, flags, env, dir, si, pi);
}

// Points this program's import slots that hold `from` at `to`.
void PatchImports(void* from, void* to) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& iat = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
  auto** slots = reinterpret_cast<void**>(base + iat.VirtualAddress);
  DWORD old = 0;
  VirtualProtect(slots, iat.Size, PAGE_READWRITE, &old);
  for (DWORD i = 0; i < iat.Size / sizeof(void*); ++i)
    if (slots[i] == from) slots[i] = to;
  VirtualProtect(slots, iat.Size, old, &old);
}

}  // namespace

// A value too long for its field is cut, and list key names beyond the
// 1024-byte list are not seen: nothing is overrun.
TEST(SetupScript, LongValuesAndListsAreCut) {
  TempDir media("script");
  Prepare(media);
  std::string text = "[Setup]\r\nUninstallKey=" + std::string(300, 'k') + "\r\n[Many]\r\nfirst.exe=\r\n";
  for (int i = 0; i < 200; ++i) text += "name" + std::to_string(1000 + i) + ".exe=x\r\n";
  WriteTextFile(media / "SETUP2K.INI", text);
  ASSERT_EQ(1, LoadSetupScript());
  EXPECT_EQ(259u, std::strlen(Settings.UninstallKey));
  std::string names;
  int lines = 0;
  ReadListSection("Many", [&](const char* name, const char* value) {
    if (++lines < 3) names += std::string(name) + "=" + value + " ";
  });
  EXPECT_EQ("first.exe= name1000.exe=x ", names) << "an empty value is a line too";
  EXPECT_GT(lines, 50);
  EXPECT_LT(lines, 201);
}

// The user's locale (on 9x the resource locale) picks the license text;
// without a text for it, the folder stays and the length is 0.
TEST(LicenseFile, ChosenByTheUsersLocale) {
  const std::string huge(5000, '0');
  struct Row {
    int isNT;
    const char* locale;  // nullptr: none
    const char* file;
    int length;
  } const rows[] = {
      {1, "0000040c", "\\LICENFRE.TXT", 77},
      {1, "00000809", "\\LICENENG.TXT", 1234},  // another English
      {1, "00000407", "", 0},
      {1, nullptr, "\\LICENENG.TXT", 1234},
      {1, huge.c_str(), "", 0},
      {0, "0000040C", "\\LICENFRE.TXT", 77},
  };
  TempDir media("license");
  WriteFileMakingDirs(media / "License\\LICENENG.TXT", std::string(1234, 'e'));
  WriteFileMakingDirs(media / "License\\LICENFRE.TXT", std::string(77, 'f'));
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "NT " << r.isNT << ", locale " << (r.locale ? r.locale : "none"));
    Prepare(media, r.isNT);
    ScopedRegValue nt(HKEY_CURRENT_USER, "Control Panel\\International", "Locale",
                      r.isNT ? r.locale : "00000409");
    ScopedRegValue w9x(HKEY_CURRENT_USER, "Control Panel\\Desktop\\ResourceLocale", "",
                       r.isNT ? nullptr : r.locale);
    CopyText(Settings.LicenseFile, (media / "License").c_str());
    ChooseLicenseFile();
    EXPECT_EQ(media / "License" + r.file, Settings.LicenseFile);
    EXPECT_EQ(r.length, Settings.LicenseLength);
    char out[16];
    ReadUserLocaleText(r.isNT, out, sizeof out);
    EXPECT_LE(std::strlen(out), 15u);
  }
}

TEST(ThreadLanguage, MovesOntoTheLanguageTable) {
  const std::pair<LCID, LCID> rows[] = {{1036, 1036}, {2060, 1036}, {1055, 1033}, {3082, 2058}};
  LCID original = GetThreadLocale();
  for (auto [from, to] : rows) {
    ASSERT_TRUE(SetThreadLocale(from)) << from;
    SetThreadLanguage();
    EXPECT_EQ(to, GetThreadLocale()) << "from " << from;
  }
  SetThreadLocale(original);
}

// A started program gets the system's default error mode, not Setup's own
// "no disk prompts" mode (a multi-disk stage setup needs its "insert disk"
// box). Wine does not hand the mode on to a child, so the flags are watched
// on their way to CreateProcessA.
TEST(StartProgram, ChildGetsTheDefaultErrorMode) {
  RealCreateProcessA = reinterpret_cast<decltype(&CreateProcessA)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "CreateProcessA")));
  PatchImports(reinterpret_cast<void*>(RealCreateProcessA), reinterpret_cast<void*>(&WatchedCreateProcessA));
  UINT before = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  KeepCurrentFolderOutOfDllSearch();
  TempDir dir("start");
  ScopedEnv log("SETUP_TEST_LOG", dir / "calls.log");
  std::string program = BinDir() + "\\logprog.exe", commandLine = "\"" + program + "\" probe";
  ProcessInfo process;
  ASSERT_TRUE(StartProgram(program.c_str(), &commandLine[0], dir.path().c_str(), process));
  ASSERT_NE(kNotSeen, SeenFlags) << "the start went past the watch";
  EXPECT_TRUE(SeenFlags & CREATE_DEFAULT_ERROR_MODE) << std::hex << "flags 0x" << SeenFlags;
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.pi.hProcess, 20000));
  EXPECT_EQ(1u, Starts(ReadLog(dir / "calls.log")).size());
  SetErrorMode(before);
  PatchImports(reinterpret_cast<void*>(&WatchedCreateProcessA), reinterpret_cast<void*>(RealCreateProcessA));
}
