#include "engine/ProgramActions.h"

#include "common/Handles.h"
#include "common/Process.h"
#include "engine/core/ProgramLine.h"
#include "startup/ListSection.h"
#include "startup/core/Settings.h"

namespace {

using CreateRemoteThreadFn = HANDLE(WINAPI*)(HANDLE, LPSECURITY_ATTRIBUTES, SIZE_T,
                                             LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);

FARPROC KernelFunction(const char* name) {
  HMODULE kernel = GetModuleHandleA("Kernel32");
  return kernel != nullptr ? GetProcAddress(kernel, name) : nullptr;
}

// Starts ExitProcess(exitCode) in process and waits for the process to
// end. 0 on success, else the reason.
DWORD EndProcess(HANDLE process, UINT exitCode) {
  DWORD code = 0;
  if (!GetExitCodeProcess(process, &code) || code != STILL_ACTIVE) return ERROR_PROCESS_ABORTED;
  // Looked up at run time: only the NT family has a working one. Our own
  // ExitProcess serves: kernel32 lies at one address in every process.
  auto createRemoteThread = reinterpret_cast<CreateRemoteThreadFn>(
      reinterpret_cast<void*>(KernelFunction("CreateRemoteThread")));
  auto exitProcess = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void*>(KernelFunction("ExitProcess")));
  if (createRemoteThread == nullptr || exitProcess == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
  UniqueHandleK thread(createRemoteThread(process, nullptr, 0, exitProcess,
                                          reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(exitCode)),
                                          0, nullptr));
  if (!thread) return GetLastError();
  // A program whose DLLs hang while it exits would otherwise hold the
  // installation for good.
  if (WaitForSingleObject(process, ProcessEndMs) != WAIT_OBJECT_0) return WAIT_TIMEOUT;
  return 0;
}

void KillProgramLine(const char* value) {
  KillLine kill;
  ParseKillLine(value, SplitField, kill);
  HWND window = FindWindowA(kill.ClassName, kill.Title);
  if (window == nullptr) return;
  if (Settings.IsNT) {
    TerminateWindowProcess(window, 0);
    return;
  }
  // A program that asks a question on closing, or that hangs, would
  // otherwise keep the worker waiting for ever.
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, CloseAnswerMs,
                      &answer);
  Sleep(ClosePauseMs);
}

void RunProgramLine(const char* program, const char* value) {
  RunLine run;
  if (!ParseRunLine(program, value, SplitField, run)) return;
  // Through the shell, so that a line may name a document or a batch file
  // too; not waited for, the result ignored.
  OpenWithShell(run.File, run.Parameters, run.Folder[0] != '\0' ? run.Folder : nullptr,
                SW_SHOWDEFAULT);
}

}  // namespace

DWORD CloseAnswerMs = 5000;
DWORD ProcessEndMs = 10000;
DWORD ClosePauseMs = 1000;

BOOL TerminateWindowProcess(HWND window, UINT exitCode) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  UniqueHandleK opened(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
  if (!opened) return FALSE;  // with the open's own error
  UniqueHandleK duplicate;
  HANDLE self = GetCurrentProcess();
  DuplicateHandle(self, opened.get(), self, duplicate.put(), PROCESS_ALL_ACCESS, FALSE, 0);
  const DWORD reason = EndProcess(duplicate ? duplicate.get() : opened.get(), exitCode);
  duplicate.reset();
  opened.reset();
  if (reason != 0) SetLastError(reason);
  return reason == 0;
}

void KillPrograms() {
  ReadListSection("Kill Programs", [](const char*, const char* value) { KillProgramLine(value); });
}

void RunPrograms() {
  // In preload mode the driver arrives only after the restart, and with it
  // what these programs need.
  if (Settings.Preload) return;
  ReadListSection("Run Programs",
                  [](const char* program, const char* value) { RunProgramLine(program, value); });
}
