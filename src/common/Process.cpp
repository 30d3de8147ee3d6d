#include "common/Process.h"

#include <shellapi.h>

namespace {

using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);

// Looked up at run time: Windows 95 to XP without SP1 lack it.
SetDllDirectoryFn FindSetDllDirectory() {
  HMODULE kernel = GetModuleHandleA("kernel32");
  if (kernel == nullptr) return nullptr;
  return reinterpret_cast<SetDllDirectoryFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
}

bool DllSearchHardened = false;

// While it lives, the DLL directory is the system's default, so that a
// program started meanwhile does not carry Setup's setting.
class DefaultDllSearch {
 public:
  DefaultDllSearch() : set_(DllSearchHardened ? FindSetDllDirectory() : nullptr) {
    if (set_ != nullptr) set_(nullptr);
  }
  ~DefaultDllSearch() {
    if (set_ != nullptr) set_("");
  }
  DefaultDllSearch(const DefaultDllSearch&) = delete;
  DefaultDllSearch& operator=(const DefaultDllSearch&) = delete;

 private:
  SetDllDirectoryFn set_;
};

}  // namespace

void KeepCurrentFolderOutOfDllSearch() {
  SetDllDirectoryFn setDllDirectory = FindSetDllDirectory();
  if (setDllDirectory != nullptr && setDllDirectory("")) DllSearchHardened = true;
}

BOOL StartProgram(const char* application, char* commandLine, const char* folder,
                  ProcessInfo& process, int show) {
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  if (show >= 0) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
  }
  DefaultDllSearch defaultSearch;
  return CreateProcessA(application, commandLine, nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE, nullptr, folder, &startup, &process.pi);
}

BOOL OpenWithShell(const char* file, const char* parameters, const char* folder, int show) {
  UINT ownMode = SetErrorMode(0);
  // Values above 32 mean success.
  BOOL started = reinterpret_cast<INT_PTR>(
                     ShellExecuteA(nullptr, nullptr, file, parameters, folder, show)) > 32;
  SetErrorMode(ownMode);
  return started;
}
