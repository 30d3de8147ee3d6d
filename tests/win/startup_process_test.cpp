// Programs that Setup starts get the system's default error mode, not
// Setup's own "no disk prompts" mode (a multi-disk stage setup needs its
// "insert disk" box). Wine does not pass the error mode on to a child, so
// the test watches the flags that reach CreateProcessA through this
// program's import table.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "TestSupport.h"
#include "common/Process.h"

namespace {

using CreateProcessFn = decltype(&CreateProcessA);
CreateProcessFn RealCreateProcessA = nullptr;
int Calls = 0;
DWORD SeenFlags = 0;

BOOL WINAPI RecordingCreateProcessA(LPCSTR app, LPSTR cmd, LPSECURITY_ATTRIBUTES pa,
                                    LPSECURITY_ATTRIBUTES ta, BOOL inherit, DWORD flags, LPVOID env,
                                    LPCSTR dir, LPSTARTUPINFOA si, LPPROCESS_INFORMATION pi) {
  ++Calls;
  SeenFlags = flags;
  return RealCreateProcessA(app, cmd, pa, ta, inherit, flags, env, dir, si, pi);
}

// Points this program's import of dll!name at replacement; gives the old one.
void* PatchImport(const char* dll, const char* name, void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
  for (; d->Name; ++d) {
    if (lstrcmpiA(reinterpret_cast<char*>(base + d->Name), dll) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<char*>(byName->Name), name) != 0) continue;
      DWORD old = 0;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
      void* previous = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
      return previous;
    }
  }
  return nullptr;
}

}  // namespace

TEST(StartProgram, ChildGetsTheDefaultErrorMode) {
  RealCreateProcessA = reinterpret_cast<CreateProcessFn>(
      PatchImport("kernel32.dll", "CreateProcessA", reinterpret_cast<void*>(&RecordingCreateProcessA)));
  ASSERT_NE(nullptr, RealCreateProcessA) << "no import of CreateProcessA to watch";
  UINT before = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  KeepCurrentFolderOutOfDllSearch();

  testing_support::TempDir dir("start");
  testing_support::ScopedEnv log("SETUP_TEST_LOG", dir / "calls.log");
  std::string program = testing_support::BinDir() + "\\logprog.exe";
  char commandLine[MAX_PATH];
  lstrcpyA(commandLine, ("\"" + program + "\" probe").c_str());
  ProcessInfo process;
  ASSERT_TRUE(StartProgram(program.c_str(), commandLine, dir.path().c_str(), process));
  EXPECT_EQ(1, Calls);
  EXPECT_TRUE(SeenFlags & CREATE_DEFAULT_ERROR_MODE) << std::hex << "flags 0x" << SeenFlags;
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.pi.hProcess, 20000));
  EXPECT_EQ(1u, testing_support::Starts(testing_support::ReadLog(dir / "calls.log")).size());

  SetErrorMode(before);
  PatchImport("kernel32.dll", "CreateProcessA", reinterpret_cast<void*>(RealCreateProcessA));
}
