// Test double of the device support library kqsetup.dll.
//
// Calling convention: the four exports are __stdcall (WINAPI), the
// convention of Win32 DLL entry points that callers reach through
// GetProcAddress; the names are exported undecorated (kqsetup.def), so
// "InstallPnPDeviceDriver" is found, not "_InstallPnPDeviceDriver@28".
// Setup's function-pointer types (src/driver/DriverLibrary.cpp) match.
//
// Every load, free and call is appended as one line to the file named by
// the environment variable KQSETUP_LOG, else "kqsetup.log" beside the DLL:
//
//   LOAD|<ms since 1601>|<dll path>
//   FREE|<ms>|<dll path>
//   CALL|<ms>|<dll path>|<function>|<argument>|...|<result>
//
// Answers come from "kqsetup.cfg" beside the DLL, or the file named by
// KQSETUP_CONFIG; one key=value per line, all optional:
//
//   install=1,0,-1   InstallPnPDeviceDriver per call in order; the last repeats (default 1)
//   connected=1      GetConnectedDeviceNumber, the same way (default 1)
//   remove=1         RemoveAndReenumerateDevice, the same way (default 1)
//   find_after=3     FindExistingDevice answers 1 from its 3rd call on; 0: never (default 1)
//
// Setup loads and frees the library for every use, so the call number is
// counted from the log, not kept in memory.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DoubleLog.h"

namespace {

HMODULE self;

using namespace doubles;

std::string OwnPath() { return ModulePath(self); }

std::string FromEnvOr(const char* variable, const char* fileName) {
  return EnvOr(variable, Beside(fileName, self));
}

void AppendLog(const std::string& kind, const std::string& rest) {
  AppendLine(FromEnvOr("KQSETUP_LOG", "kqsetup.log"),
             kind + "|" + std::to_string(NowMs()) + "|" + OwnPath() + rest);
}

// Calls of function already in the log.
int EarlierCalls(const char* function) {
  std::string log = ReadAll(FromEnvOr("KQSETUP_LOG", "kqsetup.log"));
  std::string needle = std::string("|") + function + "|";
  int count = 0;
  size_t at = 0;
  while (at < log.size()) {
    size_t end = log.find('\n', at);
    if (end == std::string::npos) end = log.size();
    std::string line = log.substr(at, end - at);
    if (line.rfind("CALL|", 0) == 0 && line.find(needle) != std::string::npos) ++count;
    at = end + 1;
  }
  return count;
}

std::string ConfigValue(const char* key) {
  std::string config = ReadAll(FromEnvOr("KQSETUP_CONFIG", "kqsetup.cfg"));
  std::string prefix = std::string(key) + "=";
  size_t at = 0;
  while (at < config.size()) {
    size_t end = config.find_first_of("\r\n", at);
    if (end == std::string::npos) end = config.size();
    std::string line = config.substr(at, end - at);
    if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    at = end + 1;
  }
  return {};
}

// Answer number `call` (0-based) from a list like "1,0,-1"; the last repeats.
int ListedAnswer(const char* key, int call, int fallback) {
  std::string list = ConfigValue(key);
  if (list.empty()) return fallback;
  std::vector<int> answers;
  const char* p = list.c_str();
  while (*p) {
    char* end = nullptr;
    answers.push_back(static_cast<int>(std::strtol(p, &end, 10)));
    p = (*end == ',') ? end + 1 : end + std::strlen(end);
  }
  return answers[call < static_cast<int>(answers.size()) ? call : answers.size() - 1];
}

std::string Arg(const char* text) { return std::string("|") + (text ? text : "(null)"); }
std::string Arg(int value) { return "|" + std::to_string(value); }

int Logged(const char* function, const std::string& args, int result) {
  AppendLog("CALL", std::string("|") + function + args + "|" + std::to_string(result));
  return result;
}

}  // namespace

// Exported through kqsetup.def only, so no decorated alias appears.
extern "C" {

int WINAPI InstallPnPDeviceDriver(const char* deviceClass, const char* infPath, const char* arg5,
                                  const char* arg3, const char* arg4, int force, int callConfigMg) {
  int result = ListedAnswer("install", EarlierCalls("InstallPnPDeviceDriver"), 1);
  return Logged("InstallPnPDeviceDriver",
                Arg(deviceClass) + Arg(infPath) + Arg(arg5) + Arg(arg3) + Arg(arg4) + Arg(force) +
                    Arg(callConfigMg),
                result);
}

int WINAPI GetConnectedDeviceNumber(const char* deviceClass, const char* arg5, const char* arg3) {
  int result = ListedAnswer("connected", EarlierCalls("GetConnectedDeviceNumber"), 1);
  return Logged("GetConnectedDeviceNumber", Arg(deviceClass) + Arg(arg5) + Arg(arg3), result);
}

int WINAPI RemoveAndReenumerateDevice(const char* reserved, const char* hardwareId) {
  int result = ListedAnswer("remove", EarlierCalls("RemoveAndReenumerateDevice"), 1);
  return Logged("RemoveAndReenumerateDevice", Arg(reserved) + Arg(hardwareId), result);
}

int WINAPI FindExistingDevice(const char* reserved, const char* hardwareId) {
  std::string after = ConfigValue("find_after");
  int threshold = after.empty() ? 1 : std::atoi(after.c_str());
  int call = EarlierCalls("FindExistingDevice") + 1;
  int result = (threshold > 0 && call >= threshold) ? 1 : 0;
  return Logged("FindExistingDevice", Arg(reserved) + Arg(hardwareId), result);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    self = instance;
    AppendLog("LOAD", "");
  } else if (reason == DLL_PROCESS_DETACH) {
    AppendLog("FREE", "");
  }
  return TRUE;
}

}  // extern "C"
