// The wizard driven for real: RunWizard on this thread, a hook that records
// every page at its activation and plays the user's part, and an install
// worker of this program's own that plays the engine's messages.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../../res/resource.h"
#include "TestSupport.h"
#include "background/BackgroundWindow.h"
#include "engine/EngineState.h"
#include "engine/InstallWorker.h"
#include "engine/core/EngineState.h"
#include "engine/core/FileTable.h"
#include "startup/core/Settings.h"
#include "wizard/Wizard.h"
#include "wizard/core/WizardPages.h"

extern HANDLE WorkerThread;

using namespace testing_support;

namespace {

// ---- The engine's part ----------------------------------------------------

struct WorkerPlan {
  int files = 0;
  int32_t result = 0;
  int cancelAtFile = -1;  // the user presses Cancel before this file
  std::string folder;     // where the files go
  int pendingRenames = 0;
  std::vector<int> barPercents;    // shown one after the other before the copy
  bool endDuringQuestion = false;  // the last phase ends while "Exit Setup" is asked
};
WorkerPlan Plan;
std::vector<int> Copied;
std::atomic<int> QuestionsOpen{0};
HWND QuestionDialog;
std::vector<std::string> BarSamples;  // per percent: colours left of, and right of, the fill's edge

char ColourLetter(COLORREF c) {
  return c == RGB(255, 255, 255) ? 'W' : c == RGB(0, 0, 255) ? 'B' : '?';
}

void SampleBar(HWND page) {
  HWND bar = GetDlgItem(page, IDC_PROGRESS_BAR);
  ShowWindow(bar, SW_SHOW);
  // After the page's own first paint, which leaves the bar out.
  for (int wait = 0; wait < 100 && !IsWindowVisible(page); ++wait) Sleep(10);
  Sleep(300);
  for (int percent : Plan.barPercents) {
    ProgressPercent = percent;
    ReportProgress(page);
    Sleep(200);
    RECT rc;
    GetClientRect(bar, &rc);
    int fill = rc.right * percent / 100;
    HDC dc = GetDC(bar);
    // The top row, away from the digits in the middle.
    std::string sample;
    sample += fill >= 2 ? ColourLetter(GetPixel(dc, fill - 2, 1)) : '-';
    sample += fill + 2 < rc.right ? ColourLetter(GetPixel(dc, fill + 2, 1)) : '-';
    ReleaseDC(bar, dc);
    BarSamples.push_back(sample);
  }
}

}  // namespace

DWORD WINAPI InstallWorker(LPVOID param) {
  HWND page = static_cast<HWND>(param);
  HWND sheet = GetParent(page);
  SampleBar(page);
  for (int i = 0; i < Plan.files; ++i) {
    if (i == Plan.cancelAtFile) {
      int before = QuestionsOpen;
      PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
      for (int wait = 0; wait < 500 && QuestionsOpen == before; ++wait) Sleep(10);
      if (Plan.endDuringQuestion) break;
    }
    WaitBeforeFile();
    // Sent, as the engine does: answered only while the page's thread serves messages.
    std::string name = "f" + std::to_string(i);
    SendMessageA(GetDlgItem(page, IDC_PROGRESS_FROM), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(name.c_str()));
    if (i == Plan.cancelAtFile) Sleep(300);  // the file under way is finished after the answer
    FileEntry& row = FileTable[FileCount++];
    CopyText(row.DestDir, Plan.folder.c_str());
    CopyText(row.FileName, name.c_str());
    WriteTextFile(Plan.folder + "\\" + name, name);
    row.Copied = 1;
    Copied.push_back(i);
    ProgressPercent = (i + 1) * 100 / Plan.files;
    ReportProgress(page);
    if (CancelRequested) break;
  }
  for (int i = 0; i < Plan.pendingRenames; ++i) {
    PendingRename& r = PendingRenames[PendingRenameCount++];
    CopyText(r.TempPath, (Plan.folder + "\\new" + std::to_string(i)).c_str());
    CopyText(r.FinalPath, (Plan.folder + "\\old" + std::to_string(i)).c_str());
    WriteTextFile(r.TempPath, "n");
  }
  if (!CancelRequested) InstallResult = Plan.result;
  PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
  if (Plan.endDuringQuestion) {
    Sleep(300);  // the user answers only after the worker's Next
    PostMessageA(QuestionDialog, WM_COMMAND, IDCANCEL, 0);
  }
  return 0;
}

namespace {

// ---- System calls the result page makes, answered here -------------------

struct SystemLog {
  std::vector<std::string> boxes;  // text of each message box
  std::vector<UINT> restarts;      // flags of each restart request
  DWORD floppyError = ERROR_NOT_READY;
  bool floppyHasFiles = false;
  BOOL restartAnswer = TRUE;
} Sys;

decltype(&FindFirstFileA) RealFindFirst;

HANDLE WINAPI FakeFindFirst(LPCSTR name, LPWIN32_FIND_DATAA data) {
  if (_strnicmp(name, "A:", 2) != 0) return RealFindFirst(name, data);
  if (Sys.floppyHasFiles) return RealFindFirst((BinDir() + "\\*.*").c_str(), data);
  if (Sys.floppyError != 0xFFFFFFFF) SetLastError(Sys.floppyError);
  return INVALID_HANDLE_VALUE;
}
int WINAPI FakeMessageBox(HWND, LPCSTR text, LPCSTR, UINT) {
  Sys.boxes.push_back(text);
  return IDOK;
}
// Refuses to start the install worker, and only it.
decltype(&CreateThread) RealCreateThread;
HANDLE WINAPI CreateThreadButWorker(LPSECURITY_ATTRIBUTES security, SIZE_T stack,
                                    LPTHREAD_START_ROUTINE start, LPVOID param, DWORD flags,
                                    LPDWORD id) {
  if (start == InstallWorker) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return RealCreateThread(security, stack, start, param, flags, id);
}

BOOL WINAPI FakeExitWindows(UINT flags, DWORD) {
  Sys.restarts.push_back(flags);
  return Sys.restartAnswer;
}

// Points this program's import of dll!name at replacement; gives the old one.
void* PatchImport(const char* dll, const char* name, void* replacement) {
  BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       imp->Name != 0; ++imp) {
    if (lstrcmpiA(reinterpret_cast<char*>(base + imp->Name), dll) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<char*>(byName->Name), name) != 0) continue;
      DWORD old;
      VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
      void* previous = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
      return previous;
    }
  }
  return nullptr;
}

// ---- The user's part -------------------------------------------------------

enum Answer { kResume, kExitButton, kEscape };

struct SheetRun {
  std::string pages;                   // one letter per activation: W L I D F S P R
  std::vector<std::string> questions;  // texts 1032 and 1033 of each question
  bool sheetShown = false;             // visible with a size at some activation
  INT_PTR sheetResult = -2;
};

const char kLetters[] = "WLIDFSPR";
const DLGPROC kProcs[kPageCount] = {WelcomePageProc,     LicensePageProc,       InterfacePageProc,
                                    DestinationPageProc, ProgramFolderPageProc, StartPageProc,
                                    ProgressPageProc,    ResultPageProc};

SheetRun Current;
Answer QuestionAnswer = kResume;
// Called at each activation, after the page handled it; index in the full
// table, visit counts from 1. The default presses Next, and Finish at the end.
std::function<void(HWND sheet, HWND page, int index, int visit)> OnActive;

void Press(HWND sheet, int button) { PostMessageA(sheet, PSM_PRESSBUTTON, button, 0); }

void PressOn(HWND sheet, int index) {
  if (index == kPageResult)
    Press(sheet, PSBTN_FINISH);
  else if (index != kPageProgress)
    Press(sheet, PSBTN_NEXT);
}

int PageIndex(HWND window) {
  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(window, DWLP_DLGPROC));
  for (int i = 0; i < kPageCount; ++i)
    if (kProcs[i] == proc) return i;
  return -1;
}

std::string Text(HWND window, int id) {
  char text[2048] = "";
  GetDlgItemTextA(window, id, text, sizeof text);
  return text;
}

LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam) {
  auto* m = reinterpret_cast<CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && m->message == WM_INITDIALOG &&
      reinterpret_cast<DLGPROC>(GetWindowLongPtrA(m->hwnd, DWLP_DLGPROC)) == ExitSetupDlgProc) {
    Current.questions.push_back(Text(m->hwnd, IDC_EXIT_INCOMPLETE) + "|" +
                                Text(m->hwnd, IDC_EXIT_HOW));
    QuestionDialog = m->hwnd;
    if (Plan.endDuringQuestion)
      ;  // answered by the worker
    else if (QuestionAnswer == kEscape)
      PostMessageA(GetDlgItem(m->hwnd, IDC_EXIT_RESUME), WM_KEYDOWN, VK_ESCAPE, 0);
    else
      PostMessageA(m->hwnd, WM_COMMAND, QuestionAnswer == kResume ? IDOK : IDCANCEL, 0);
    ++QuestionsOpen;
  }
  if (code == HC_ACTION && m->message == WM_NOTIFY &&
      reinterpret_cast<NMHDR*>(m->lParam)->code == PSN_SETACTIVE) {
    int index = PageIndex(m->hwnd);
    if (index >= 0) {
      HWND sheet = GetParent(m->hwnd);
      RECT r;
      GetWindowRect(sheet, &r);
      if (IsWindowVisible(sheet) && r.right > r.left) Current.sheetShown = true;
      Current.pages += kLetters[index];
      int visit = 0;
      for (char c : Current.pages) visit += c == kLetters[index];
      OnActive(sheet, m->hwnd, index, visit);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Settings as start-up leaves them for a visible run with the defaults.
void FreshSettings() {
  ResetSettings(Settings);
  Settings.Instance = GetModuleHandleA(nullptr);
  CopyText(Settings.ProductName, "Keyboard");
  CopyText(Settings.Version, "1.0");
  CopyText(Settings.InstallDir, "C:\\windows\\system32");
  Settings.AskType = 1;
  Settings.AskLicense = Settings.AskPath = Settings.AskProgramFolder = 0;
  Settings.InterfaceType = kInterfaceUSB;
  Settings.IsNT = 1;
  Settings.IsWin2000OrLater = 1;
}

DWORD WINAPI Watchdog(LPVOID done) {
  if (WaitForSingleObject(done, 30000) == WAIT_TIMEOUT) {
    fprintf(stderr, "wizard stuck after pages %s\n", Current.pages.c_str());
    ExitProcess(3);
  }
  return 0;
}

// A REG_MULTI_SZ value with "|" between its texts.
std::string RegMulti(HKEY root, const char* key, const char* name) {
  HKEY k;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return "";
  std::vector<char> data(65536);
  DWORD size = static_cast<DWORD>(data.size());
  LONG rc =
      RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS) return "";
  for (DWORD i = 0; i < size; ++i)
    if (data[i] == '\0') data[i] = '|';
  return std::string(data.data(), size);
}

// The result page must wait for the user: Finish comes from here, later.
HWND WaitingSheet;
bool Waited;
int LaterButton = PSBTN_FINISH;
void CALLBACK FinishLater(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  Waited = IsWindow(WaitingSheet) != 0;
  Press(WaitingSheet, LaterButton);
}

class WizardSheet : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RealFindFirst = reinterpret_cast<decltype(&FindFirstFileA)>(
        PatchImport("kernel32.dll", "FindFirstFileA", reinterpret_cast<void*>(FakeFindFirst)));
    PatchImport("user32.dll", "MessageBoxA", reinterpret_cast<void*>(FakeMessageBox));
    ASSERT_NE(nullptr,
              PatchImport("user32.dll", "ExitWindowsEx", reinterpret_cast<void*>(FakeExitWindows)));
  }
  void SetUp() override {
    FreshSettings();
    ResetEngineState();
    ResetFileTable();
    Plan = WorkerPlan();
    Plan.folder = dir_ / ("run" + std::to_string(++runs_));
    MakeDirs(Plan.folder);
    Copied.clear();
    BarSamples.clear();
    Sys = SystemLog();
    QuestionAnswer = kResume;
    OnActive = [](HWND sheet, HWND, int index, int) { PressOn(sheet, index); };
    RestartMade = 0;
  }

  // Runs the wizard to its end; a stuck sheet fails the whole program.
  SheetRun RunSheet() {
    Current = SheetRun();
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE watchdog = CreateThread(nullptr, 0, Watchdog, done, 0, nullptr);
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterMessage, nullptr, GetCurrentThreadId());
    Current.sheetResult = RunWizard(nullptr);
    UnhookWindowsHookEx(hook);
    SetEvent(done);
    WaitForSingleObject(watchdog, INFINITE);
    CloseHandle(watchdog);
    CloseHandle(done);
    return Current;
  }

  testing_support::TempDir dir_{"wiz"};
  int runs_ = 0;
};

// ---- Frame and input pages -------------------------------------------------

TEST_F(WizardSheet, PageSequenceFollowsTheAskFlags) {
  // Row i asks for License, Interface, Destination, Program Folder by bits 3..0 of i.
  const char* expected[16] = {"WSPR",   "WFSPR",   "WDSPR",   "WDFSPR",  "WISPR",  "WIFSPR",
                              "WIDSPR", "WIDFSPR", "WLSPR",   "WLFSPR",  "WLDSPR", "WLDFSPR",
                              "WLISPR", "WLIFSPR", "WLIDSPR", "WLIDFSPR"};
  for (int i = 0; i < 16; ++i) {
    SetUp();
    Settings.AskLicense = i >> 3 & 1;
    Settings.AskType = i >> 2 & 1;
    Settings.AskPath = i >> 1 & 1;
    Settings.AskProgramFolder = i & 1;
    Settings.SilentMode = i % 2;  // the sheet walks by itself, or is clicked through
    if (Settings.SilentMode) OnActive = [](HWND, HWND, int, int) {};
    SheetRun run = RunSheet();
    EXPECT_EQ(expected[i], run.pages) << "row " << i;
    EXPECT_GT(run.sheetResult, 0) << "row " << i;
    EXPECT_EQ(kExitInstalled, WizardRunExitCode(run.sheetResult)) << "row " << i;
  }
}

// The template with every "%s" replaced, cut as a 260-byte buffer cuts it.
std::string Fill(std::string pattern, const std::string& name) {
  for (size_t at = pattern.find("%s"); at != std::string::npos;
       at = pattern.find("%s", at + name.size()))
    pattern.replace(at, 2, name);
  return pattern.substr(0, 259);
}

TEST_F(WizardSheet, ProductNameFillsEveryPlace) {
  // A name that holds "%s" itself, and one as long as the buffer.
  const std::string names[] = {"Keyboard", "Kbd %s 100%", std::string(259, 'k')};
  for (const std::string& name : names) {
    SetUp();
    CopyText(Settings.ProductName, name.c_str());
    Settings.AskType = 0;
    Settings.Restart = 1;  // the result page's restart text
    std::string welcome, restart;
    OnActive = [&](HWND sheet, HWND page, int index, int) {
      if (index == kPageWelcome) welcome = Text(page, IDC_WELCOME_TEXT);
      if (index == kPageResult) restart = Text(page, IDC_RESULT_RESTART_TEXT);
      PressOn(sheet, index);
    };
    RunSheet();
    // The question, answered "Exit Setup" on the Start page.
    QuestionAnswer = kExitButton;
    OnActive = [&](HWND sheet, HWND, int index, int) {
      Press(sheet, index == kPageStart ? PSBTN_CANCEL : PSBTN_NEXT);
    };
    SheetRun run = RunSheet();
    EXPECT_EQ(Fill("Welcome to the %s Setup program.  This program will install %s on your "
                   "computer.",
                   name),
              welcome);
    EXPECT_EQ(Fill("Setup has successfully installed %s.\n\nBefore you can use %s, you must "
                   "restart your computer.",
                   name),
              restart);
    ASSERT_EQ(1u, run.questions.size()) << name;
    EXPECT_EQ(Fill("Setup is incomplete. If you exit Setup now, %s will not be installed on your "
                   "computer.",
                   name) +
                  "|" +
                  Fill("To continue installing %s, click Resume.  To quit Setup, click Exit "
                       "Setup.",
                       name),
              run.questions[0]);
  }
}

TEST_F(WizardSheet, InterfaceChoiceIsStoredOnlyOnNext) {
  struct Row {
    int32_t preset, isNT;
    int click;  // 0 none, else the radio button clicked on the first visit
    int32_t type, callConfigMg, restart;
  } rows[] = {
      {kInterfacePS2, 1, 0, kInterfacePS2, 0, 1},
      {kInterfacePS2, 0, 0, kInterfacePS2, 1, 0},
      {7, 1, 0, kInterfaceUSB, 1, 0},
      {kInterfaceUSB, 1, IDC_INTERFACE_PS2, kInterfacePS2, 0, 1},
      {kInterfacePS2, 1, IDC_INTERFACE_USB, kInterfaceUSB, 1, 0},
  };
  for (const Row& row : rows) {
    SetUp();
    Settings.InterfaceType = row.preset;
    Settings.IsNT = row.isNT;
    Settings.Restart = 5;  // whatever the script said is replaced
    std::string trace;
    OnActive = [&](HWND sheet, HWND page, int index, int visit) {
      if (index == kPageInterface && visit == 1) {
        if (row.click) SendMessageA(GetDlgItem(page, row.click), BM_CLICK, 0, 0);
        Press(sheet, PSBTN_BACK);
        return;
      }
      if (index == kPageWelcome && visit == 2)
        trace += "back:" + std::to_string(Settings.InterfaceType) + " ";
      if (index == kPageInterface && visit == 2)
        trace += "ps2:" + std::to_string(
                              SendMessageA(GetDlgItem(page, IDC_INTERFACE_PS2), BM_GETCHECK, 0, 0));
      if (index == kPageStart) {
        trace += " stored:" + std::to_string(Settings.InterfaceType) + "," +
                 std::to_string(Settings.CallConfigMg) + "," + std::to_string(Settings.Restart);
        Press(sheet, PSBTN_CANCEL);
        QuestionAnswer = kExitButton;
        return;
      }
      PressOn(sheet, index);
    };
    RunSheet();
    int ps2Shown = row.click ? row.click == IDC_INTERFACE_PS2 : row.preset == kInterfacePS2;
    std::string expected = "back:" + std::to_string(row.preset) +
                           " ps2:" + std::to_string(ps2Shown) +
                           " stored:" + std::to_string(row.type) + "," +
                           std::to_string(row.callConfigMg) + "," + std::to_string(row.restart);
    EXPECT_EQ(expected, trace) << "preset " << row.preset << " NT " << row.isNT << " click "
                               << row.click;
  }
}

TEST_F(WizardSheet, SummaryShowsTheChoiceByteForByte) {
  const char* kIndent = "\r\n          ";
  struct Row {
    int ps2, askPath, askFolder;
    std::string expected;
  } rows[] = {
      {0, 0, 0,
       std::string("Product:") + kIndent + "Keyboard\r\n\r\nVersion:" + kIndent +
           "1.0\r\n\r\nInterface:" + kIndent + "USB (Universal Serial Bus) Interface"},
      {1, 1, 1,
       std::string("Product:") + kIndent + "Keyboard\r\n\r\nVersion:" + kIndent +
           "1.0\r\n\r\nInterface:" + kIndent + "PS/2 Interface\r\n\r\nInstallation Directory:" +
           kIndent + "C:\\windows\\system32\r\n\r\nProgram Folder:" + kIndent},
      {1, 0, 1,
       std::string("Product:") + kIndent + "Keyboard\r\n\r\nVersion:" + kIndent +
           "1.0\r\n\r\nInterface:" + kIndent + "PS/2 Interface\r\n\r\nProgram Folder:" + kIndent},
  };
  for (const Row& row : rows) {
    SetUp();
    Settings.AskPath = row.askPath;
    Settings.AskProgramFolder = row.askFolder;
    std::string summary;
    bool focusKept = true;
    OnActive = [&](HWND sheet, HWND page, int index, int) {
      if (index == kPageInterface && row.ps2)
        SendMessageA(GetDlgItem(page, IDC_INTERFACE_PS2), BM_CLICK, 0, 0);
      if (index == kPageStart) {
        summary = Text(page, IDC_START_SUMMARY);
        HWND edit = GetDlgItem(page, IDC_START_SUMMARY);
        SetFocus(edit);
        focusKept = GetFocus() == edit;
      }
      PressOn(sheet, index);
    };
    RunSheet();
    EXPECT_EQ(row.expected, summary)
        << "ps2 " << row.ps2 << " path " << row.askPath << " folder " << row.askFolder;
    EXPECT_FALSE(focusKept) << "the summary kept the focus";
  }
}

TEST_F(WizardSheet, LicenseTextIsReadAgainAtEveryVisit) {
  Settings.AskLicense = 1;
  std::string file = dir_ / "LICENENG.TXT";
  WriteTextFile(file, "first text, longer");
  CopyText(Settings.LicenseFile, file.c_str());
  Settings.LicenseLength = 10;  // measured at start-up; more is not shown
  std::vector<std::string> seen;
  OnActive = [&](HWND sheet, HWND page, int index, int visit) {
    if (index == kPageLicense) seen.push_back(Text(page, IDC_LICENSE_TEXT));
    if (index == kPageInterface && visit == 1) {
      WriteTextFile(file, "second text");
      Press(sheet, PSBTN_BACK);
      return;
    }
    if (index == kPageInterface && visit == 2) {
      DeleteFileA(file.c_str());
      Press(sheet, PSBTN_BACK);
      return;
    }
    PressOn(sheet, index);
  };
  RunSheet();
  EXPECT_EQ((std::vector<std::string>{"first text", "second tex", ""}), seen);
}

TEST_F(WizardSheet, BringToForegroundRestoresByWindowsVersion) {
  struct Row {
    const char* system;
    int32_t win9x, win95, nt, win2000;
  } rows[] = {{"95", 1, 1, 0, 0}, {"98", 1, 0, 0, 0}, {"NT 4", 0, 0, 1, 0}, {"XP", 0, 0, 1, 1}};
  for (const Row& row : rows) {
    Settings.IsWin9x = row.win9x;
    Settings.IsWin95 = row.win95;
    Settings.IsNT = row.nt;
    Settings.IsWin2000OrLater = row.win2000;
    HWND window = CreateWindowExA(0, "STATIC", "fg", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    ShowWindow(window, SW_MINIMIZE);
    DWORD lockBefore = 12345, lockAfter = 0, original = 0;
    SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &original, 0);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                          reinterpret_cast<void*>(static_cast<ULONG_PTR>(lockBefore)), 0);
    EXPECT_TRUE(BringToForeground(window)) << row.system;
    SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &lockAfter, 0);
    EXPECT_EQ(lockBefore, lockAfter) << row.system << ": the lock time-out is put back";
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                          reinterpret_cast<void*>(static_cast<ULONG_PTR>(original)), 0);
    EXPECT_FALSE(IsIconic(window)) << row.system;
    DestroyWindow(window);
    EXPECT_FALSE(BringToForeground(window)) << row.system << ": not a window any more";
  }
}

// ---- Progress page ---------------------------------------------------------

TEST_F(WizardSheet, CancelDuringTheCopy) {
  struct Row {
    Answer answer;
    std::string pages;  // page letters seen
    bool finished;      // sheet ended by Finish
    std::vector<int> copied;
    size_t filesLeft;
    bool endDuringQuestion;  // an answer that comes too late changes nothing
  } rows[] = {
      {kResume, "WISPR", true, {0, 1, 2, 3, 4}, 5, false},
      {kExitButton, "WISP", false, {0, 1, 2}, 0, false},
      {kEscape, "WISP", false, {0, 1, 2}, 0, false},
      {kExitButton, "WISPR", true, {0, 1}, 2, true},
  };
  for (const Row& row : rows) {
    SetUp();
    Plan.files = 5;
    Plan.cancelAtFile = 2;
    Plan.endDuringQuestion = row.endDuringQuestion;
    QuestionAnswer = row.answer;
    SheetRun run = RunSheet();
    size_t left = 0;
    for (int i = 0; i < 5; ++i) left += PathExists(Plan.folder + "\\f" + std::to_string(i));
    EXPECT_EQ(row.finished ? 0 : 1, CancelRequested.load()) << "answer " << row.answer;
    EXPECT_EQ(row.pages, run.pages) << "answer " << row.answer;
    EXPECT_EQ(row.finished, run.sheetResult > 0) << "answer " << row.answer;
    EXPECT_EQ(row.copied, Copied) << "answer " << row.answer;
    EXPECT_EQ(row.filesLeft, left) << "answer " << row.answer;
    EXPECT_EQ(row.finished ? kExitInstalled : kExitCancelled, WizardRunExitCode(run.sheetResult))
        << "answer " << row.answer;
    EXPECT_EQ(nullptr, PauseEvent) << "answer " << row.answer;
    EXPECT_EQ(nullptr, WorkerThread) << "answer " << row.answer;
  }
}

TEST_F(WizardSheet, BarFillsWithTheProgress) {
  Plan.barPercents = {0, 9, 10, 50, 99, 100};
  RunSheet();
  // Left of the edge blue, right of it white ("-": outside the bar).
  EXPECT_EQ((std::vector<std::string>{"-W", "BW", "BW", "BW", "BW", "B-"}), BarSamples);
}

TEST_F(WizardSheet, SheetIsCentredBelowTheBand) {
  RECT screen;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0);
  enum Place { kCentre, kAtBand, kOnBottom };
  struct Row {
    RECT workArea;
    int32_t band;
    Place place;
  } rows[] = {
      {screen, 0, kCentre},
      {RECT{100, 60, 1100, 960}, 0, kCentre},  // not at the screen's origin
      {screen, 500, kAtBand},
      {screen, screen.bottom - 100, kOnBottom},  // taller than the space under the band
  };
  for (const Row& row : rows) {
    SetUp();
    RECT area = row.workArea, set;
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &area, 0);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &set, 0);
    EXPECT_TRUE(EqualRect(&set, &area)) << "the work area was not moved";
    TitleBandHeight = row.band;
    RECT sheetRect = {};
    OnActive = [&](HWND sheet, HWND, int index, int) {
      if (index == kPageWelcome) GetWindowRect(sheet, &sheetRect);
      Press(sheet, PSBTN_CANCEL);
      QuestionAnswer = kExitButton;
    };
    RunSheet();
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &screen, 0);
    TitleBandHeight = 0;
    int w = sheetRect.right - sheetRect.left, h = sheetRect.bottom - sheetRect.top;
    int x = area.left + (area.right - area.left - w) / 2;
    int y = row.place == kCentre   ? area.top + (area.bottom - area.top - h) / 2
            : row.place == kAtBand ? row.band
                                   : area.bottom - h;
    EXPECT_EQ(x, sheetRect.left) << "band " << row.band << " area " << area.left << "," << area.top;
    EXPECT_EQ(y, sheetRect.top) << "band " << row.band << " area " << area.left << "," << area.top;
  }
}

TEST_F(WizardSheet, NoWorkerThreadEndsAsAFailure) {
  RealCreateThread = reinterpret_cast<decltype(&CreateThread)>(
      PatchImport("kernel32.dll", "CreateThread", reinterpret_cast<void*>(CreateThreadButWorker)));
  ASSERT_NE(nullptr, RealCreateThread);
  std::string shown;
  OnActive = [&](HWND sheet, HWND page, int index, int) {
    if (index == kPageResult)
      shown = (GetWindowLongA(GetDlgItem(page, IDC_RESULT_FAILED), GWL_STYLE) & WS_VISIBLE)
                  ? "failed"
                  : "not failed";
    PressOn(sheet, index);
  };
  SheetRun run = RunSheet();
  PatchImport("kernel32.dll", "CreateThread", reinterpret_cast<void*>(RealCreateThread));
  EXPECT_EQ("WISPR", run.pages);
  EXPECT_EQ("failed", shown);
  EXPECT_EQ(kExitFailed, WizardRunExitCode(run.sheetResult));
}

TEST_F(WizardSheet, WaitCursorOnlyWhileBusy) {
  struct Row {
    int32_t installBusy, extractBusy;
    UINT mouse;
    bool wait;
  } rows[] = {
      {1, 0, WM_MOUSEMOVE, true},
      {0, 1, WM_MOUSEMOVE, true},
      {0, 0, WM_MOUSEMOVE, false},
      {1, 0, WM_LBUTTONDOWN, false},
  };
  Plan.files = 1;
  std::vector<std::string> seen;
  OnActive = [&](HWND sheet, HWND page, int index, int) {
    if (index == kPageProgress) {
      HCURSOR wait = LoadCursor(nullptr, IDC_WAIT);
      for (const Row& row : rows) {
        InstallBusy = row.installBusy;
        ExtractBusy = row.extractBusy;
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        LRESULT taken = SendMessageA(page, WM_SETCURSOR, reinterpret_cast<WPARAM>(page),
                                     MAKELPARAM(HTCLIENT, row.mouse));
        seen.push_back(std::string(taken ? "taken " : "left ") +
                       (GetCursor() == wait ? "wait" : "other"));
      }
      InstallBusy = ExtractBusy = 0;
    }
    PressOn(sheet, index);
  };
  RunSheet();
  ASSERT_EQ(4u, seen.size());
  for (size_t i = 0; i < seen.size(); ++i)
    EXPECT_EQ(rows[i].wait ? "taken wait" : "left other", seen[i]) << "row " << i;
}

// ---- Result page -----------------------------------------------------------

TEST_F(WizardSheet, ResultPageAndRestart) {
  // kHiddenOnly: switch QN alone; kClosed: the user closes the sheet instead of Finish.
  enum Mode { kClicked, kSilent, kHidden, kHiddenOnly, kClosed };
  struct Row {
    int32_t result, restart, noRestart, renames;
    Mode mode;
    bool later;  // the user picks "restart later"
    DWORD floppy;
    BOOL restartAccepted;
    std::string shown;  // visible texts
    size_t boxes, restarts;
    int32_t exitCode;
  } rows[] = {
      {0, 0, 0, 0, kClicked, false, ERROR_NOT_READY, TRUE, "713", 0, 0, kExitInstalled},
      {0, 1, 0, 0, kClicked, false, ERROR_NOT_READY, TRUE, "711 502 503 712", 0, 1, kExitInstalled},
      {0, 1, 0, 0, kClicked, false, ERROR_FILE_NOT_FOUND, TRUE, "711 502 503 712", 1, 1,
       kExitInstalled},
      {0, 1, 0, 0, kClicked, false, 0xFFFFFFFF, FALSE, "711 502 503 712", 1, 1,
       kExitRestartPending},
      {0, 1, 0, 0, kClicked, true, ERROR_FILE_NOT_FOUND, TRUE, "711 502 503 712", 0, 0,
       kExitRestartPending},
      {0, 0, 0, 2, kClicked, false, ERROR_NOT_READY, TRUE, "711 502 503 712", 0, 1, kExitInstalled},
      {0, 0, 1, 2, kClicked, false, ERROR_FILE_NOT_FOUND, TRUE, "713", 0, 0, kExitRestartPending},
      {0, 1, 0, 0, kSilent, false, ERROR_FILE_NOT_FOUND, TRUE, "711 502 503 712", 0, 1,
       kExitInstalled},
      {3, 0, 0, 0, kSilent, false, ERROR_FILE_NOT_FOUND, TRUE, "1004 1007", 0, 0, kExitFailed},
      {1, 0, 0, 2, kClicked, false, ERROR_FILE_NOT_FOUND, TRUE, "1004 1005", 0, 0,
       kExitAccessDenied},
      {3, 1, 0, 0, kClicked, false, ERROR_FILE_NOT_FOUND, TRUE, "1004 1007", 0, 0, kExitFailed},
      {3, 0, 0, 0, kHidden, false, ERROR_FILE_NOT_FOUND, TRUE, "1004 1007", 0, 0, kExitFailed},
      {0, 1, 0, 0, kHidden, false, ERROR_FILE_NOT_FOUND, TRUE, "711 502 503 712", 0, 1,
       kExitInstalled},
      {0, 1, 0, 0, kHiddenOnly, false, ERROR_FILE_NOT_FOUND, TRUE, "711 502 503 712", 0, 1,
       kExitInstalled},
      {3, 0, 0, 0, kHiddenOnly, false, ERROR_FILE_NOT_FOUND, TRUE, "1004 1007", 0, 0, kExitFailed},
      {0, 1, 0, 0, kClosed, false, ERROR_FILE_NOT_FOUND, TRUE, "711 502 503 712", 0, 0,
       kExitRestartPending},
      {0, 0, 0, 0, kClosed, false, ERROR_FILE_NOT_FOUND, TRUE, "713", 0, 0, kExitInstalled},
  };
  const int ids[] = {711, 502, 503, 712, 713, 1004, 1005, 1007};
  for (size_t r = 0; r < sizeof rows / sizeof rows[0]; ++r) {
    const Row& row = rows[r];
    SetUp();
    Plan.result = row.result;
    Plan.pendingRenames = row.renames;
    Settings.AskType = 0;
    Settings.Restart = row.restart;
    Settings.NoRestart = row.noRestart;
    Settings.SilentMode = row.mode == kSilent || row.mode == kHidden;
    Settings.HiddenMode = row.mode == kHidden || row.mode == kHiddenOnly;
    Sys.floppyError = row.floppy;
    Sys.restartAnswer = row.restartAccepted;
    ScopedRegValue renames(HKEY_LOCAL_MACHINE,
                           "System\\CurrentControlSet\\Control\\Session Manager",
                           "PendingFileRenameOperations", nullptr);
    std::string shown, handedOn, done;
    bool waits =
        row.mode == kClicked || row.mode == kClosed || (row.mode == kSilent && row.result != 0);
    LaterButton = row.mode == kClosed ? PSBTN_CANCEL : PSBTN_FINISH;
    Waited = false;
    OnActive = [&](HWND sheet, HWND page, int index, int) {
      if (index != kPageResult) {
        if (row.mode == kClicked || row.mode == kClosed) PressOn(sheet, index);
        return;
      }
      for (int id : ids)
        if (GetWindowLongA(GetDlgItem(page, id), GWL_STYLE) & WS_VISIBLE)  // the page shows later
          shown += (shown.empty() ? "" : " ") + std::to_string(id);
      done = Text(page, IDC_RESULT_DONE_TEXT);
      handedOn = RegMulti(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                          "PendingFileRenameOperations");
      if (row.later) SendMessageA(GetDlgItem(page, IDC_RESULT_RESTART_LATER), BM_CLICK, 0, 0);
      if (!waits) return;  // the page presses Finish itself, or the watchdog ends the test
      WaitingSheet = sheet;
      SetTimer(nullptr, 0, 300, FinishLater);
    };
    SheetRun run = RunSheet();
    std::string at = "row " + std::to_string(r);
    EXPECT_EQ(row.shown, shown) << at;
    if (row.shown == "713") {
      EXPECT_EQ("Setup has successfully installed Keyboard.\n\nClick Finish to complete Setup.",
                done)
          << at;
    }
    EXPECT_EQ(row.boxes, Sys.boxes.size()) << at;
    ASSERT_EQ(row.restarts, Sys.restarts.size()) << at;
    if (row.restarts) {
      EXPECT_EQ(static_cast<UINT>(EWX_REBOOT), Sys.restarts[0]) << at;
    }
    EXPECT_EQ(row.exitCode, WizardRunExitCode(run.sheetResult)) << at;
    EXPECT_EQ(waits, Waited) << at;
    EXPECT_EQ(!Settings.HiddenMode, run.sheetShown) << at;
    // Handed on, in ascending order, before the choice; never after a failure.
    size_t first = handedOn.find("old0"), second = handedOn.find("old1");
    if (row.renames && row.result == 0) {
      EXPECT_NE(std::string::npos, first) << at << ": " << handedOn;
      EXPECT_LT(first, second) << at << ": " << handedOn;
    } else {
      EXPECT_EQ(std::string::npos, first) << at << ": " << handedOn;
    }
  }
}

}  // namespace
