// Media folders for the background window's tests: Setup.exe with a setup
// script, the logging double as stage setups in the DirName folders, and the log they
// share; plus a look at the screen through the host's ImageMagick.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace background_test {

using namespace testing_support;

// root\<mediaName>\Setup.exe with its script; the log at root\calls.log.
class StageMedia {
 public:
  explicit StageMedia(const std::string& mediaName = "media") : root_("bkg") {
    media_ = root_ / mediaName;
    MakeDirs(media_);
    log_ = root_ / "calls.log";
    CopyFileOrDie(BinDir() + "\\Setup.exe", media_ + "\\Setup.exe");
  }

  const std::string& root() const { return root_.path(); }
  const std::string& media() const { return media_; }
  const std::string& log() const { return log_; }
  std::string setupPath() const { return media_ + "\\Setup.exe"; }

  // The same script under both NT-family names, whichever Wine picks.
  void WriteScript(const std::string& dir1, const std::string& dir2,
                   const std::string& extra = "") {
    std::string text = "[Setup]\r\nProductName=Velmorax Comfort Keyboard\r\nDirName1=" + dir1 +
                       "\r\nDirName2=" + dir2 + "\r\n" + extra;
    WriteTextFile(media_ + "\\SETUP2K.INI", text);
    WriteTextFile(media_ + "\\SETUPNT.INI", text);
  }

  // The logging double as the stage setup dir\exeName, with its options.
  void AddStage(const std::string& dir, const std::string& exeName, const std::string& options) {
    MakeDirs(media_ + "\\" + dir);
    CopyFileOrDie(BinDir() + "\\logprog.exe", media_ + "\\" + dir + "\\" + exeName);
    WriteTextFile(media_ + "\\" + dir + "\\logprog.opt", options);
  }

  // Runs Setup.exe and waits until every program it started has ended.
  RunResult RunSetup(const std::string& args, size_t expectStarts, DWORD timeoutMs = 30000) {
    ScopedEnv log("SETUP_TEST_LOG", log_);
    RunResult r =
        Run("\"" + setupPath() + "\"" + (args.empty() ? "" : " " + args), media_, timeoutMs);
    endedAt_ = NowMs();
    WaitForEnds(expectStarts);
    return r;
  }

  unsigned long long endedAt() const { return endedAt_; }

  // Polls the log until expectStarts programs have started and all ended.
  std::vector<LogLine> WaitForEnds(size_t expectStarts, DWORD timeoutMs = 15000) const {
    DWORD start = GetTickCount();
    for (;;) {
      std::vector<LogLine> lines = ReadLog(log_);
      size_t starts = 0, ends = 0;
      for (const LogLine& l : lines) {
        starts += l.kind == "START";
        ends += l.kind == "END";
      }
      if ((starts >= expectStarts && ends >= starts) || GetTickCount() - start > timeoutMs)
        return lines;
      Sleep(100);
    }
  }

  std::vector<LogLine> Lines() const { return ReadLog(log_); }

 private:
  TempDir root_;
  std::string media_, log_;
  unsigned long long endedAt_ = 0;
};

inline const LogLine* FindLine(const std::vector<LogLine>& lines, const std::string& kind,
                               const std::string& exeTail) {
  for (const LogLine& l : lines)
    if (l.kind == kind && l.exe.size() >= exeTail.size() &&
        SameText(l.exe.substr(l.exe.size() - exeTail.size()), exeTail))
      return &l;
  return nullptr;
}

}  // namespace background_test
