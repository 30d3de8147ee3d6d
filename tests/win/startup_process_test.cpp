// The error mode a program that Setup starts gets: the system's default,
// not Setup's own "no disk prompts" mode (a multi-disk stage setup needs its
// "insert disk" box). Wine does not hand the mode on to a child, so the
// flags are watched on their way to CreateProcessA.
#include <gtest/gtest.h>
#include <windows.h>

#include "TestSupport.h"
#include "common/Process.h"

using namespace testing_support;

namespace {

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
