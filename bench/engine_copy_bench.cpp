// Benchmark, not a test: installs 160 files of mixed sizes (about 200 MB)
// through CopyFiles (the engine's copy step, with its page messages,
// version checks and uninstall records), and the same files through a plain
// CopyFileA loop, alternately in the same Wine prefix, and prints the ratio
// of the best times. Reading the table is timed apart: it measures every
// source file before anything is copied.
//
//   build/windows/wine-run.sh build/windows/engine_copy_bench.exe [rounds, default 12] [replace]
//
// "replace" puts older copies at both destinations first: every file is
// then replaced, and the engine keeps a backup of each for a cancel.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/Cabinet.h"
#include "engine/CopyFiles.h"
#include "engine/EngineState.h"
#include "engine/PageControls.h"
#include "startup/core/Settings.h"

namespace {

constexpr int kFiles = 160;
// One group of eight sizes, about 10 MB; twenty groups make the table.
constexpr DWORD kSizes[8] = {4096, 16384, 131072, 524288, 1048576, 2097152, 3145728, 3500000};

// Short names: the section's key names must all fit its 1024-byte list.
std::string FileName(int i) { return "f" + std::to_string(i); }

std::string TempRoot() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  return std::string(temp) + "setup-bench";
}

void WriteFileOfSize(const std::string& path, DWORD size, unsigned seed) {
  std::vector<char> data(size);
  for (DWORD i = 0; i < size; ++i) data[i] = char((i * 2654435761u + seed) >> 13);
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, data.data(), size, &written, nullptr);
  CloseHandle(f);
}

void RemoveFolder(const std::string& dir) {
  for (int i = 0; i < kFiles; ++i) DeleteFileA((dir + "\\" + FileName(i)).c_str());
  RemoveDirectoryA(dir.c_str());
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return double(to.QuadPart - from.QuadPart) / double(f.QuadPart);
}

// A window with the progress page's controls, served by this thread.
HWND MakePage() {
  HWND page = CreateWindowA("STATIC", "page", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                            nullptr, nullptr);
  for (int id : {kCopyHeadline, kDriverMessage, kFromLabel, kFromText, kToLabel, kToText,
                 kProgressBar, kCopyAnimation, kDriverAnimation})
    CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 10, 10, page,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  return page;
}

// Older copies already at the destination, so that every file is replaced.
void Prefill(const std::string& media, const std::string& dir) {
  FILETIME old = {0, 0x01b00000};  // about 1983
  for (int i = 0; i < kFiles; ++i) {
    std::string name = "\\" + FileName(i);
    CopyFileA((media + name).c_str(), (dir + name).c_str(), FALSE);
    HANDLE f = CreateFileA((dir + name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                           0, nullptr);
    SetFileTime(f, nullptr, nullptr, &old);
    CloseHandle(f);
  }
}

template <typename F>
struct WorkerCtx {
  F* body;
  double seconds;
};

template <typename F>
DWORD WINAPI TimedBody(void* p) {
  auto* c = static_cast<WorkerCtx<F>*>(p);
  LARGE_INTEGER a, b;
  QueryPerformanceCounter(&a);
  (*c->body)();
  QueryPerformanceCounter(&b);
  c->seconds = Seconds(a, b);
  return 0;
}

// Runs body on a worker thread while this thread serves the page, as the
// install worker and the wizard do.
template <typename F>
double TimeOnWorker(F body) {
  WorkerCtx<F> ctx{&body, 0};
  HANDLE thread = CreateThread(nullptr, 0, TimedBody<F>, &ctx, 0, nullptr);
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  CloseHandle(thread);
  return ctx.seconds;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 12;
  bool replace = argc > 2 && std::string(argv[2]) == "replace";
  std::string root = TempRoot(), media = root + "\\media", engineDest = root + "\\engine",
              plainDest = root + "\\plain";
  CreateDirectoryA(root.c_str(), nullptr);
  CreateDirectoryA(media.c_str(), nullptr);
  std::string script = "[Copy Files]\r\n";
  unsigned long long total = 0;
  for (int i = 0; i < kFiles; ++i) {
    std::string name = FileName(i);
    WriteFileOfSize(media + "\\" + name, kSizes[i % 8], unsigned(i));
    total += kSizes[i % 8];
    script += name + "=" + engineDest + "\r\n";
  }
  HANDLE f = CreateFileA((media + "\\SETUP.INI").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         0, nullptr);
  DWORD written = 0;
  WriteFile(f, script.data(), DWORD(script.size()), &written, nullptr);
  CloseHandle(f);

  HWND page = MakePage();
  std::vector<double> reads, engine, plain;
  for (int round = 0; round < rounds; ++round) {
    RemoveFolder(engineDest);
    RemoveFolder(plainDest);
    CreateDirectoryA(engineDest.c_str(), nullptr);
    CreateDirectoryA(plainDest.c_str(), nullptr);
    if (replace) {
      Prefill(media, engineDest);
      Prefill(media, plainDest);
    }

    ResetSettings(Settings);
    ResetFileTable();
    ResetEngineState();
    CopyText(Settings.ModuleDir, media.c_str());
    CopyText(Settings.ScriptPath, (media + "\\SETUP.INI").c_str());
    CopyText(Settings.UninstallKey, "KBDBENCH");
    CopyText(Settings.ProductName, "Benchmark");
    auto runEngine = [&] {
      reads.push_back(TimeOnWorker([] { FileCount = ReadCopyFiles(); }));
      engine.push_back(TimeOnWorker([page] { CopyStep(page); }));
      int copied = 0;
      for (int i = 0; i < FileCount; ++i) copied += FileTable[i].Copied;
      if (FileCount != kFiles || copied != kFiles)
        std::printf("BAD RUN: %d rows, %d of %d files copied\n", FileCount, copied, kFiles);
    };
    auto runPlain = [&] {
      plain.push_back(TimeOnWorker([&] {
        for (int i = 0; i < kFiles; ++i) {
          std::string name = "\\" + FileName(i);
          CopyFileA((media + name).c_str(), (plainDest + name).c_str(), FALSE);
        }
      }));
    };
    // Alternate which goes first, so neither always meets a warmer cache.
    if (round % 2 == 0) {
      runEngine();
      runPlain();
    } else {
      runPlain();
      runEngine();
    }
    std::printf("round %d: read table %.3f s, copy step %.3f s, plain %.3f s\n", round + 1,
                reads.back(), engine.back(), plain.back());
  }
  // Best of the rounds: the machine's other work only ever adds time.
  double bestRead = *std::min_element(reads.begin(), reads.end());
  double bestEngine = *std::min_element(engine.begin(), engine.end());
  double bestPlain = *std::min_element(plain.begin(), plain.end());
  std::printf("%d files, %.1f MB, best of %d rounds\n", kFiles, double(total) / 1e6, rounds);
  std::printf(
      "copy step (CopyFiles) %.3f s, plain CopyFileA loop %.3f s: ratio %.3f, overhead %.1f %%\n",
      bestEngine, bestPlain, bestEngine / bestPlain, (bestEngine / bestPlain - 1) * 100);
  std::printf("engine's own work per file: %.2f ms\n", (bestEngine - bestPlain) * 1000 / kFiles);
  std::printf("with reading the table (%.3f s): ratio %.3f, overhead %.1f %%\n", bestRead,
              (bestRead + bestEngine) / bestPlain, ((bestRead + bestEngine) / bestPlain - 1) * 100);

  DestroyWindow(page);
  RemoveFolder(engineDest);
  RemoveFolder(plainDest);
  RemoveFolder(media);
  DeleteFileA((media + "\\SETUP.INI").c_str());
  RemoveDirectoryA(media.c_str());
  RemoveDirectoryA(root.c_str());
  RegDeleteKeyA(HKEY_LOCAL_MACHINE,
                "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KBDBENCH\\DeleteFiles");
  RegDeleteKeyA(HKEY_LOCAL_MACHINE,
                "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KBDBENCH");
  return 0;
}
