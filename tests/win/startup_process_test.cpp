// The error mode a program that Setup starts gets.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "TestSupport.h"
#include "common/Process.h"

using namespace testing_support;

namespace {

decltype(&CreateProcessA) RealCreateProcessA = nullptr;
DWORD SeenFlags = 0;

BOOL WINAPI RecordingCreateProcessA(LPCSTR app, LPSTR cmd, LPSECURITY_ATTRIBUTES pa, LPSECURITY_ATTRIBUTES ta,
                                    BOOL inherit, DWORD flags, LPVOID env, LPCSTR dir, LPSTARTUPINFOA si,
                                    LPPROCESS_INFORMATION pi) {
  SeenFlags = flags;
  return RealCreateProcessA(app, cmd, pa, ta, inherit, flags, env, dir, si, pi);
}

// Points this program's import of kernel32!name at replacement; gives the old one.
void* PatchImport(const char* name, void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
      base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
  for (; d->Name; ++d) {
    if (lstrcmpiA(reinterpret_cast<char*>(base + d->Name), "kernel32.dll") != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slot) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) ||
          std::strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name, name))
        continue;
      DWORD old = 0;
      VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &old);
      void* previous = reinterpret_cast<void*>(slot->u1.Function);
      slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, old, &old);
      return previous;
    }
  }
  return nullptr;
}

}  // namespace

// Not Setup's own "no disk prompts" mode: a multi-disk stage setup needs
// its "insert disk" box. Wine does not hand the mode on to a child, so the
// flags are watched on their way to CreateProcessA.
TEST(StartProgram, ChildGetsTheDefaultErrorMode) {
  RealCreateProcessA = reinterpret_cast<decltype(&CreateProcessA)>(
      PatchImport("CreateProcessA", reinterpret_cast<void*>(&RecordingCreateProcessA)));
  ASSERT_NE(nullptr, RealCreateProcessA) << "no import of CreateProcessA to watch";
  UINT before = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  KeepCurrentFolderOutOfDllSearch();
  TempDir dir("start");
  ScopedEnv log("SETUP_TEST_LOG", dir / "calls.log");
  std::string program = BinDir() + "\\logprog.exe";
  std::string commandLine = "\"" + program + "\" probe";
  ProcessInfo process;
  ASSERT_TRUE(StartProgram(program.c_str(), &commandLine[0], dir.path().c_str(), process));
  EXPECT_TRUE(SeenFlags & CREATE_DEFAULT_ERROR_MODE) << std::hex << "flags 0x" << SeenFlags;
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.pi.hProcess, 20000));
  EXPECT_EQ(1u, Starts(ReadLog(dir / "calls.log")).size());
  SetErrorMode(before);
  PatchImport("CreateProcessA", reinterpret_cast<void*>(RealCreateProcessA));
}
