// What Setup finds and does in its own process: the license text chosen by
// the user's locale, and the error mode of the programs it starts.
#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"
#include "common/Process.h"
#include "startup/Language.h"
#include "startup/core/Settings.h"

using namespace testing_support;

namespace {

decltype(&CreateProcessA) RealCreateProcessA = nullptr;
DWORD SeenFlags = 0;  // what the last CreateProcessA call was given

BOOL WINAPI WatchedCreateProcessA(LPCSTR app, LPSTR cmd, LPSECURITY_ATTRIBUTES pa,
                                  LPSECURITY_ATTRIBUTES ta, BOOL inherit, DWORD flags, LPVOID env,
                                  LPCSTR dir, LPSTARTUPINFOA si, LPPROCESS_INFORMATION pi) {
  SeenFlags = flags;
  return RealCreateProcessA(app, cmd, pa, ta, inherit, flags, env, dir, si, pi);
}

// Points this program's import slots that hold `from` at `to`.
void PatchImports(void* from, void* to) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& iat = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
  auto** slots = reinterpret_cast<void**>(base + iat.VirtualAddress);
  DWORD old = 0;
  VirtualProtect(slots, iat.Size, PAGE_READWRITE, &old);
  for (DWORD i = 0; i < iat.Size / sizeof(void*); ++i)
    if (slots[i] == from) slots[i] = to;
  VirtualProtect(slots, iat.Size, old, &old);
}

}  // namespace

// The user's locale picks the license text (which registry value is read
// on each family is the worker's test); without a text for it, the folder
// stays and the length is 0.
TEST(LicenseFile, ChosenByTheUsersLocale) {
  const std::string huge(5000, '0');
  const struct {
    const char* locale;  // nullptr: none
    const char* file;
    int length;
  } rows[] = {{"0000040c", "\\LICENFRE.TXT", 77},
              {"00000407", "", 0},
              {nullptr, "\\LICENENG.TXT", 1234},
              {huge.c_str(), "", 0}};
  TempDir media("license");
  WriteTextFile(media / "License\\LICENENG.TXT", std::string(1234, 'e'));
  WriteTextFile(media / "License\\LICENFRE.TXT", std::string(77, 'f'));
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string("locale ") + (r.locale ? r.locale : "none"));
    ResetSettings(Settings);
    Settings.IsNT = 1;
    ScopedRegValue nt(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", r.locale);
    CopyText(Settings.LicenseFile, (media / "License").c_str());
    ChooseLicenseFile();
    EXPECT_EQ(media / "License" + r.file, Settings.LicenseFile);
    EXPECT_EQ(r.length, Settings.LicenseLength);
    char out[16];
    ReadUserLocaleText(1, out, sizeof out);
    EXPECT_LE(std::strlen(out), 15u);
  }
}

// A started program gets the system's default error mode, not Setup's own
// "no disk prompts" mode (a multi-disk stage setup needs its "insert disk"
// box). Wine does not hand the mode on to a child, so the flags are watched
// on their way to CreateProcessA.
TEST(StartProgram, ChildGetsTheDefaultErrorMode) {
  RealCreateProcessA = reinterpret_cast<decltype(&CreateProcessA)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "CreateProcessA")));
  PatchImports(reinterpret_cast<void*>(RealCreateProcessA),
               reinterpret_cast<void*>(&WatchedCreateProcessA));
  std::string program = BinDir() + "\\windowprog.exe", commandLine = "\"" + program + "\" x y";
  ProcessInfo process;
  ASSERT_TRUE(StartProgram(program.c_str(), &commandLine[0], nullptr, process));
  EXPECT_EQ(CREATE_DEFAULT_ERROR_MODE, SeenFlags & CREATE_DEFAULT_ERROR_MODE) << SeenFlags;
  TerminateProcess(process.pi.hProcess, 0);
  PatchImports(reinterpret_cast<void*>(&WatchedCreateProcessA),
               reinterpret_cast<void*>(RealCreateProcessA));
}
