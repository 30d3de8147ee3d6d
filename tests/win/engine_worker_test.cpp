// The install worker on a thread of its own, the page a real dialog owned
// by a stand-in sheet: its steps in order, what a failed copy, preload
// mode and a cancel leave out, and the sheet messages of each outcome.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/InstallWorker.h"
#include "fixtures/EngineFixtures.h"

using namespace engine_test;

namespace {

const std::string kValueKey = "Software\\KqWorkerTest";
const std::string kImportKey = "Software\\KqWorkerImport";

// What the sheet was sent, in order.
std::string SheetMessages;

LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == PSM_CANCELTOCLOSE) SheetMessages += "cancel-to-close ";
  if (message == PSM_PRESSBUTTON) SheetMessages += wParam == PSBTN_NEXT ? "next " : "other-button ";
  return DefWindowProcA(window, message, wParam, lParam);
}

unsigned long long KeyWriteMs(HKEY root, const std::string& key) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return 0;
  FILETIME ft{};
  RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr, nullptr, &ft);
  RegCloseKey(h);
  return ((unsigned long long)ft.dwHighDateTime << 32 | ft.dwLowDateTime) / 10000;
}

class InstallWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = SheetProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KqTestSheet";
    RegisterClassA(&wc);
    sheet_ = CreateWindowA("KqTestSheet", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           wc.hInstance, nullptr);
    CopyFileOrDie(BinDir() + "\\logprog.exe", media_ / "Tool.exe");
    WriteTextFile(media_ / "kq.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + kImportKey +
                                         "]\r\n\"imported\"=\"1\"\r\n\r\n");
    DeleteRegTree(HKEY_CURRENT_USER, kValueKey);
  }
  void TearDown() override {
    DeleteRegTree(HKEY_CURRENT_USER, kValueKey);
    DeleteRegTree(HKEY_CURRENT_USER, kImportKey);
    DestroyWindow(sheet_);
  }
  // A fresh run with every section of the script in use, the copy's if files.
  void Prepare(bool files) {
    FreshRun(media_.path());
    CopyText(Settings.InstallDir, dest_.path().c_str());
    Settings.IsNT = 0;  // the window is then asked to close, which it logs
    Settings.CallConfigMg = 1;
    std::string script = "[Kill Programs]\r\nA=KqWorkerTray,Tray\r\n";
    if (files) script += "[Copy Files]\r\nTool.exe=%99%\r\n";
    script += "[Add Registry]\r\nA=HKCU," + kValueKey + ",written,0,x\r\n";
    script += "[Add Registry Files]\r\nA=kq.reg,00000409\r\n";
    script += "[Run Programs]\r\nTool.exe=%99%,go\r\n";
    WriteTextFile(media_ / "SETUP.INI", script);
    DeleteFileA(log_.c_str());
    DeleteFileA((dest_ / "Tool.exe").c_str());
    DeleteRegTree(HKEY_CURRENT_USER, kValueKey);
    DeleteRegTree(HKEY_CURRENT_USER, kImportKey);
    // The started program stays a while, so that its creation time can be read.
    WriteTextFile(dest_ / "logprog.opt", "--sleep=3000");
    SheetMessages.clear();
  }
  ScratchDir media_{"media"};
  ScratchDir dest_{"dest"};
  ScratchDir logDir_{"log"};
  const std::string log_ = logDir_ / "calls.log";
  ScopedEnv logEnv_{"SETUP_TEST_LOG", log_};
  ScopedRegValue locale_{HKEY_CURRENT_USER, "Control Panel\\Desktop\\ResourceLocale", "",
                         "00000409"};
  ScopedPauseEvent pause_;
  BackupFolderScope backups_;
  HWND sheet_ = nullptr;
};

TEST_F(InstallWorkerTest, StepsInOrderAndWhatEachOutcomeLeavesOut) {
  const struct {
    const char* name;
    int cabinetMissing, preload, cancel;
    bool copied, written, started;
    const char* messages;
    int result, callConfigMg;
    bool files = true;
    const char* question = "";  // "Exit Setup" open when the copy ends: "resume" or "exit"
  } rows[] = {
      {"complete", 0, 0, 0, true, true, true, "cancel-to-close next ", 0, 1},
      {"failed copy", 1, 0, 0, false, false, false, "next ", 3, 1},
      {"preload", 0, 1, 0, true, true, false, "cancel-to-close next ", 0, 0},
      // Abandoned: the page closes the sheet; nothing presses Next.
      {"cancelled", 0, 0, 1, false, false, false, "", 0, 1},
      // Nothing to copy, so only the worker waits for the answer.
      {"resumed", 0, 0, 0, false, true, false, "cancel-to-close next ", 0, 1, false, "resume"},
      {"exited", 0, 0, 0, false, false, false, "", 0, 1, false, "exit"},
  };
  for (auto& row : rows) {
    Prepare(row.files);
    Settings.CabFile = row.cabinetMissing;
    CopyText(Settings.CabFileName, (media_ / "missing.cab").c_str());
    Settings.Preload = row.preload;
    CancelRequested = row.cancel;
    HANDLE window = Start("\"" + BinDir() + "\\windowprog.exe\" KqWorkerTray Tray", "");
    for (DWORD t = GetTickCount();
         !FindWindowA("KqWorkerTray", "Tray") && GetTickCount() - t < 10000;)
      Sleep(20);
    TestPage page;
    SetWindowLongPtrA(page.hwnd(), GWLP_HWNDPARENT, (LONG_PTR)sheet_);
    ShowWindow(GetDlgItem(page.hwnd(), kDriverMessage), SW_HIDE);  // as the template has it
    if (row.question[0]) ResetEvent(PauseEvent);
    {
      Worker worker([&] { InstallWorker(page.hwnd()); });
      if (row.question[0]) {
        PumpFor(1500);
        EXPECT_EQ("", SheetMessages) << row.name << ": went on while the question was open";
        EXPECT_EQ("<no key>", RegText(HKEY_CURRENT_USER, kValueKey, "written")) << row.name;
        CancelRequested = std::string(row.question) == "exit";
        SetEvent(PauseEvent);
      }
      EXPECT_TRUE(worker.Join(60000)) << row.name;
    }
    Pump();
    const std::string installed = dest_ / "Tool.exe";
    EXPECT_EQ(row.copied, PathExists(installed)) << row.name;
    EXPECT_EQ(row.written ? "x" : "<no key>", RegText(HKEY_CURRENT_USER, kValueKey, "written"))
        << row.name;
    EXPECT_EQ(row.messages, SheetMessages) << row.name;
    EXPECT_EQ(row.result, InstallResult.load()) << row.name;
    EXPECT_EQ(row.callConfigMg, Settings.CallConfigMg) << row.name;
    EXPECT_EQ(0, InstallBusy.load()) << row.name;
    // The driver phase's message and clip: shown only after a copy, the clip stopped at the end.
    EXPECT_EQ(row.written, page.Visible(kDriverMessage)) << row.name;
    EXPECT_EQ(!row.written, page.Visible(kCopyHeadline)) << row.name;
    if (row.written) {
      EXPECT_FALSE(page.Visible(kDriverAnimation)) << row.name;
    }

    // The editor imports on its own time; a started program logs its end too.
    for (DWORD t = GetTickCount(); GetTickCount() - t < (row.written ? 10000u : 1500u); Sleep(100))
      if (RegText(HKEY_CURRENT_USER, kImportKey, "imported") == "1") break;
    EXPECT_EQ(row.written ? "1" : "<no key>", RegText(HKEY_CURRENT_USER, kImportKey, "imported"))
        << row.name;
    // The window's start, close and end, then the started program's start.
    std::vector<LogLine> log = WaitForLog(log_, row.started ? 4 : 3, 5000);
    auto close =
        std::find_if(log.begin(), log.end(), [](const LogLine& l) { return l.kind == "CLOSE"; });
    ASSERT_NE(log.end(), close) << row.name << ": the programs are stopped first, in every outcome";
    std::vector<LogLine> starts;
    for (const LogLine& l : Starts(log))
      if (EqualsNoCase(l.exe.c_str(), installed.c_str())) starts.push_back(l);
    ASSERT_EQ(row.started ? 1u : 0u, starts.size()) << row.name;
    if (row.started) {
      // The installed copy runs, so the copy came first; the registry before it.
      unsigned long long written = KeyWriteMs(HKEY_CURRENT_USER, kValueKey);
      HANDLE started = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE,
                                   FALSE, starts[0].pid);
      FILETIME created{}, unused[3];
      GetProcessTimes(started, &created, &unused[0], &unused[1], &unused[2]);
      TerminateProcess(started, 0);  // the next run installs the file again
      WaitForSingleObject(started, 5000);
      CloseHandle(started);
      EXPECT_LE(close->timeMs, written) << row.name;
      EXPECT_LE(written,
                ((unsigned long long)created.dwHighDateTime << 32 | created.dwLowDateTime) / 10000)
          << row.name;
    }
    FinishProcess(window, 3000);
  }
}

}  // namespace
