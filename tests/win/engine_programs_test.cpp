// "Run Programs" started in their folders with one argument, and "Kill
// Programs" ending windows' programs, with every wait bounded.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "engine/ProgramActions.h"
#include "fixtures/EngineFixtures.h"

using namespace engine_test;

namespace {

class ProgramActions : public ::testing::Test {
 protected:
  void SetUp() override { FreshRun(media_.path()); }
  void Script(const std::string& section, const std::vector<std::string>& lines,
              const std::string& more = "") {
    std::string text = "[" + section + "]\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    WriteTextFile(media_ / "SETUP.INI", text + more);
  }
  ScratchDir media_{"media"};
  ScratchDir logDir_{"log"};
  const std::string log_ = logDir_ / "calls.log";
  ScopedEnv logEnv_{"SETUP_TEST_LOG", log_};
};

// The arguments a program's own parser finds after its name.
std::vector<std::string> Arguments(const std::string& commandLine) {
  std::wstring wide(commandLine.size() + 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, commandLine.c_str(), -1, &wide[0], (int)wide.size());
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(wide.c_str(), &count);
  std::vector<std::string> out;
  for (int i = 1; i < count; ++i) {
    char text[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, argv[i], -1, text, sizeof text, nullptr, nullptr);
    out.push_back(text);
  }
  LocalFree(argv);
  return out;
}

TEST_F(ProgramActions, RunProgramsInTheirFolderWithOneArgument) {
  const std::string dir = media_ / "Prog Dir";
  MakeDirs(dir);
  for (const char* name : {"Tool.exe", "Tool2.exe", "Tool3.exe", "Tool4.exe"})
    CopyFileOrDie(BinDir() + "\\logprog.exe", dir + "\\" + name);
  Script("Run Programs",
         {"Tool.exe=" + dir + ",  /q a b", "Missing.exe=" + dir + ",x", "Tool2.exe=%1%\\Prog Dir",
          "Tool3.exe=%1%\\Prog Dir,C:\\dir\\", "Tool4.exe=%1%\\Prog Dir,%Quote%,more"},
         "[Strings]\r\nQuote=say \"hi\"\r\n");
  const struct {
    int preload;
    std::vector<std::pair<std::string, std::string>> started;  // program, its one argument
  } runs[] = {{0,
               {{"Tool.exe", "/q a b"},
                {"Tool2.exe", ""},
                {"Tool3.exe", "C:\\dir\\"},
                {"Tool4.exe", "say \"hi\""}}},
              {1, {}}};
  for (auto& run : runs) {
    DeleteFileA(log_.c_str());
    Settings.Preload = run.preload;
    RunPrograms();
    // Each logs its start and end; wait for all, then for any stray one.
    WaitForLog(log_, 2 * run.started.size(), 15000);
    Sleep(1000);
    std::vector<LogLine> starts = Starts(ReadLog(log_));
    ASSERT_EQ(run.started.size(), starts.size()) << "preload " << run.preload;
    for (auto& want : run.started) {
      auto it = std::find_if(starts.begin(), starts.end(), [&](const LogLine& l) {
        return EqualsNoCase(l.exe.c_str(), (dir + "\\" + want.first).c_str());
      });
      ASSERT_NE(starts.end(), it) << want.first;
      EXPECT_EQ(std::vector<std::string>{want.second}, Arguments(it->commandLine))
          << it->commandLine;
      EXPECT_TRUE(EqualsNoCase(dir.c_str(), it->cwd.c_str())) << want.first << " in " << it->cwd;
    }
  }
}

// A running windowprog double, ended at the end of the test if still there.
struct WindowProgram {
  WindowProgram(const std::string& cls, const std::string& title, const std::string& mode)
      : cls(cls), title(title) {
    process =
        Start("\"" + BinDir() + "\\windowprog.exe\" \"" + cls + "\" \"" + title + "\" " + mode, "");
    for (DWORD start = GetTickCount(); !FindWindowA(cls.c_str(), title.c_str()); Sleep(20))
      if (GetTickCount() - start > 10000) ADD_FAILURE() << "no window " << cls << "/" << title;
  }
  ~WindowProgram() {
    if (!Ended(0)) TerminateProcess(process, 99);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
  bool Ended(DWORD ms) const { return WaitForSingleObject(process, ms) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
  }
  std::string cls, title;
  HANDLE process = nullptr;
};

TEST_F(ProgramActions, KillProgramsByClassAndTitleWithBoundedWaits) {
  const DWORD kHungMax = kCloseAnswerMs + 1000 + 2000;
  const DWORD kSecond = 950;  // the pause, give or take the clock's tick
  const struct {
    int isNT;
    std::vector<std::string> lines;
    std::vector<std::vector<std::string>> windows;  // class, title, mode
    std::string ended;   // per window: 1 when it is gone once KillPrograms returned
    std::string closed;  // per window: 1 when it was sent WM_CLOSE
    DWORD minMs, maxMs;
  } rows[] = {
      {1, {"A=KqTray,Tray A"}, {{"KqTray", "Tray A", ""}}, "1", "0", 0, 5000},
      // No title: only a window whose title is empty.
      {1, {"A=KqTray"}, {{"KqTray", "Tray A", ""}, {"KqTray", "", ""}}, "01", "00", 0, 5000},
      // A line whose window is absent does nothing; the next one is handled.
      {1, {"A=KqNone,x", "B=KqTray,Tray A"}, {{"KqTray", "Tray A", ""}}, "1", "0", 0, 5000},
      {1, {}, {{"KqTray", "Tray A", ""}}, "0", "0", 0, 2000},
      // 9x: asked to close, then a second's pause, which lets it end.
      {0, {"A=KqTray,Tray A"}, {{"KqTray", "Tray A", ""}}, "1", "1", kSecond, 5000},
      // A hung one costs the answer's limit and the pause, no more.
      {0, {"A=KqTray,Tray A"}, {{"KqTray", "Tray A", "hang"}}, "0", "0", kSecond, kHungMax},
  };
  for (auto& row : rows) {
    std::string label = "NT " + std::to_string(row.isNT) + " " +
                        (row.lines.empty() ? "" : row.lines.back()) + " " + row.windows[0][2];
    DeleteFileA(log_.c_str());
    Script("Kill Programs", row.lines);
    Settings.IsNT = row.isNT;
    std::vector<std::unique_ptr<WindowProgram>> programs;
    for (auto& w : row.windows)
      programs.push_back(std::make_unique<WindowProgram>(w[0], w[1], w[2]));
    DWORD start = GetTickCount();
    KillPrograms();
    DWORD elapsed = GetTickCount() - start;
    EXPECT_LE(row.minMs, elapsed) << label;
    EXPECT_GE(row.maxMs, elapsed) << label;
    // 9x: nothing waits for the program; it ends on its own soon after.
    for (size_t i = 0; i < programs.size(); ++i)
      EXPECT_EQ(row.ended[i] == '1', programs[i]->Ended(row.isNT ? 0 : 3000)) << label << " " << i;
    std::string closed;
    for (auto& p : programs) {
      DWORD pid = GetProcessId(p->process);
      bool got = false;
      for (const LogLine& l : ReadLog(log_)) got |= l.kind == "CLOSE" && l.pid == pid;
      closed += got ? "1" : "0";
    }
    EXPECT_EQ(row.closed, closed) << label;
  }
}

// Also a hung program; one that never finishes exiting costs the wait's limit.
TEST_F(ProgramActions, TerminateWindowProcessTrueOnlyWhenTheProcessEnded) {
  const struct {
    const char* mode;
    UINT exitCode;
    BOOL want;
    DWORD error;  // when it fails
    DWORD minMs, maxMs;
  } rows[] = {{"", 7, TRUE, 0, 0, 3000},
              {"hang", 9, TRUE, 0, 0, 3000},
              {"hang-exit", 7, FALSE, WAIT_TIMEOUT, kProcessEndMs - 100, kProcessEndMs + 3000}};
  for (auto& row : rows) {
    WindowProgram program("KqTerm", "Term", row.mode);
    SetLastError(0);
    DWORD start = GetTickCount();
    EXPECT_EQ(row.want, TerminateWindowProcess(FindWindowA("KqTerm", "Term"), row.exitCode))
        << row.mode;
    DWORD elapsed = GetTickCount() - start;
    EXPECT_LE(row.minMs, elapsed) << row.mode;
    EXPECT_GE(row.maxMs, elapsed) << row.mode;
    if (row.want) {
      EXPECT_TRUE(program.Ended(0)) << row.mode;
      EXPECT_EQ(row.exitCode, program.ExitCode()) << row.mode;
    } else {
      EXPECT_EQ(row.error, GetLastError()) << row.mode;
    }
  }
  // A window that is gone: the open fails and says why.
  SetLastError(0);
  EXPECT_FALSE(TerminateWindowProcess(nullptr, 0));
  EXPECT_NE(0u, GetLastError());
}

}  // namespace
