// The wizard run for real on this thread: a hook plays the user at each page's activation, a
// worker of this program's own plays the engine, and the result page's system calls are answered.
#include <commctrl.h>
#include <windows.h>

#include <atomic>

#include "../../res/resource.h"
#include "TestSupport.h"
#include "UiDriver.h"
#include "background/BackgroundState.h"
#include "background/BackgroundWindow.h"
#include "engine/EngineState.h"
#include "engine/InstallWorker.h"
#include "engine/PageControls.h"
#include "engine/core/FileTable.h"
#include "wizard/Wizard.h"
#include "wizard/core/WizardPages.h"

extern HANDLE WorkerThread;
extern int32_t SkipFirstBarPaint;
extern DWORD StopWorkerMs;
using namespace testing_support;

namespace {

enum Answer { kResume, kExitButton, kEscape };
enum Late { kNo, kEnded, kCommitted };
// What the doubles of the engine, the user and the system do in a run, and what they saw.
struct Doubles {
  int files = 0, cancelAt = -1, renames = 0;  // Cancel is pressed before file cancelAt
  Answer answer = kExitButton;                // to "Exit Setup"
  Late late = kNo;    // answered only after the worker ended, or began the driver phase
  bool look = false;  // has the copy looked at before it begins
  int32_t result = 0;
  DWORD floppyError = ERROR_NOT_READY;  // drive A:'s answer
  BOOL restartAnswer = TRUE;
  bool noWorker = false;       // no thread can be made for the install worker
  std::vector<int> copied;     // files copied
  size_t boxes = 0;            // message boxes shown
  std::vector<UINT> restarts;  // flags of each restart request
} Fake;
constexpr UINT kLookNow = WM_APP + 7;
std::string Folder;
std::atomic<HWND> Question;  // the "Exit Setup" question, once it is made

}  // namespace

DWORD WINAPI InstallWorker(LPVOID param) {
  HWND page = static_cast<HWND>(param), sheet = GetParent(page);
  if (Fake.look) SendMessageA(page, kLookNow, 0, 0);
  for (int i = 0; i < Fake.files && !CancelRequested; ++i) {
    if (i == Fake.cancelAt) {
      PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
      for (int wait = 0; wait < 500 && !Question; ++wait) Sleep(10);
      if (Fake.late != kNo) break;
    }
    WaitBeforeFile();
    std::string name = "f" + std::to_string(i);
    // Sent, as the engine does: answered only while the page's thread serves messages.
    SetDlgItemTextA(page, kFromText, name.c_str());
    if (i == Fake.cancelAt) Sleep(100);  // a slow file, still copied after the answer
    FileEntry& row = FileTable[FileCount++];
    CopyText(row.DestDir, Folder.c_str());
    CopyText(row.FileName, name.c_str());
    row.Copied = 1;
    WriteTextFile(Folder + "\\" + name, name);
    Fake.copied.push_back(i);
  }
  for (int i = 0; i < Fake.renames; ++i) {
    PendingRename& r = PendingRenames[PendingRenameCount++];
    CopyText(r.TempPath, (Folder + "\\new" + std::to_string(i)).c_str());
    CopyText(r.FinalPath, (Folder + "\\old" + std::to_string(i)).c_str());
    WriteTextFile(r.TempPath, "n");
  }
  // "Exit Setup" is answered during the driver phase.
  if (Fake.late == kCommitted && CommitInstall()) {
    PostMessageA(Question, WM_COMMAND, IDCANCEL, 0);
    Sleep(300);
  }
  if (!CancelRequested) InstallResult = Fake.result;
  PostMessageA(sheet, PSM_PRESSBUTTON, CancelRequested ? PSBTN_CANCEL : PSBTN_NEXT, 0);
  // Queued behind the Next: the user answers only after the worker ended.
  if (Fake.late == kEnded) PostMessageA(Question, WM_COMMAND, IDCANCEL, 0);
  return 0;
}

namespace {

decltype(&FindFirstFileA) RealFindFirst;
decltype(&CreateThread) RealCreateThread;

HANDLE WINAPI FakeFindFirst(LPCSTR name, LPWIN32_FIND_DATAA data) {
  if (_strnicmp(name, "A:", 2) != 0) return RealFindFirst(name, data);
  if (Fake.floppyError != 0xFFFFFFFF) SetLastError(Fake.floppyError);
  return INVALID_HANDLE_VALUE;
}
int WINAPI FakeMessageBox(HWND, LPCSTR, LPCSTR, UINT) { return ++Fake.boxes, IDOK; }
BOOL WINAPI FakeExitWindows(UINT flags, DWORD) {
  return Fake.restarts.push_back(flags), Fake.restartAnswer;
}
HANDLE WINAPI FakeCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack,
                               LPTHREAD_START_ROUTINE start, LPVOID param, DWORD flags,
                               LPDWORD id) {
  if (Fake.noWorker && start == InstallWorker) return SetLastError(ERROR_OUTOFMEMORY), nullptr;
  return RealCreateThread(security, stack, start, param, flags, id);
}

std::string Pages;  // one letter per activation: W L I D F S P R
bool Shown;         // the sheet was visible, with a size, at some activation
// At each activation, after the page handled it; index in the full table, visits counted from 1.
// The default presses Next, and Finish at the end.
std::function<void(HWND sheet, HWND page, int index, int visit)> OnActive;
std::function<void(HWND dialog)> OnQuestion;  // once the question is made
std::function<void(HWND page)> OnCopy;        // while the worker waits on the progress page
const DLGPROC kProcs[kPageCount] = {WelcomePageProc,     LicensePageProc,       InterfacePageProc,
                                    DestinationPageProc, ProgramFolderPageProc, StartPageProc,
                                    ProgressPageProc,    ResultPageProc};

void Press(HWND sheet, int button) { PostMessageA(sheet, PSM_PRESSBUTTON, button, 0); }
void PressOn(HWND sheet, int index) {
  if (index != kPageProgress) Press(sheet, index == kPageResult ? PSBTN_FINISH : PSBTN_NEXT);
}

LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam) {
  auto* m = reinterpret_cast<CWPRETSTRUCT*>(lParam);
  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(m->hwnd, DWLP_DLGPROC));
  if (m->message == WM_INITDIALOG && proc == ExitSetupDlgProc) OnQuestion(Question = m->hwnd);
  if (m->message == kLookNow) OnCopy(m->hwnd);
  int index = std::find(kProcs, kProcs + kPageCount, proc) - kProcs;
  if (m->message == WM_NOTIFY && reinterpret_cast<NMHDR*>(m->lParam)->code == PSN_SETACTIVE &&
      index < kPageCount) {
    HWND sheet = GetParent(m->hwnd);
    RECT r;
    Shown |= GetWindowRect(sheet, &r) && IsWindowVisible(sheet) && r.right > r.left;
    Pages += "WLIDFSPR"[index];
    OnActive(sheet, m->hwnd, index, std::count(Pages.begin(), Pages.end(), Pages.back()));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A deadlocked sheet fails the program well before CTest's own timeout.
void CALLBACK Stuck(PVOID, BOOLEAN) { ExitProcess(3); }

INT_PTR RunSheet(INT_PTR (*run)() = [] { return RunWizard(nullptr); }) {
  Pages.clear();
  Shown = false;
  HANDLE timer = nullptr;
  CreateTimerQueueTimer(&timer, nullptr, Stuck, nullptr, 20000, 0, 0);
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterMessage, nullptr, GetCurrentThreadId());
  INT_PTR result = run();
  UnhookWindowsHookEx(hook);
  DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE);
  return result;
}

testing_support::TempDir Scratch("wiz");

class WizardSheet : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RealFindFirst = PatchImport(&FindFirstFileA, FakeFindFirst);
    RealCreateThread = PatchImport(&CreateThread, FakeCreateThread);
    ASSERT_NE(nullptr, PatchImport(&MessageBoxA, FakeMessageBox));
    ASSERT_NE(nullptr, PatchImport(&ExitWindowsEx, FakeExitWindows));
  }
  // Settings as start-up leaves them for a visible run with the defaults; a fresh engine, worker,
  // system and user.
  void SetUp() override {
    static int runs = 0;
    ResetSettings(Settings);
    Settings.Instance = GetModuleHandleA(nullptr);
    CopyText(Settings.ProductName, "Keyboard");
    CopyText(Settings.Version, "1.0");
    CopyText(Settings.InstallDir, "C:\\windows\\system32");
    Settings.IsNT = Settings.IsWin2000OrLater = 1;
    ResetEngineState();
    ResetFileTable();
    SkipFirstBarPaint = 1;
    Fake = Doubles();
    MakeDirs(Folder = Scratch / ("run" + std::to_string(++runs)));
    Question = nullptr;
    OnActive = [](HWND sheet, HWND, int index, int) { PressOn(sheet, index); };
    OnQuestion = [](HWND dialog) {
      if (Fake.answer == kEscape)
        PostMessageA(GetDlgItem(dialog, IDC_EXIT_RESUME), WM_KEYDOWN, VK_ESCAPE, 0);
      else if (Fake.late == kNo)  // else the worker answers
        PostMessageA(dialog, WM_COMMAND, Fake.answer == kResume ? IDOK : IDCANCEL, 0);
    };
  }
};

// One sheet clicked through every page with turns back and a cancel taken back: the product name in
// its places, the license read at every visit, the interface choice kept on its page but stored
// only by Next, the summary byte for byte and never keeping the focus.
TEST_F(WizardSheet, ClickedThroughWithBackAndCancel) {
  Settings.AskLicense = Settings.AskPath = Settings.AskProgramFolder = 1;
  Settings.InterfaceType = 7;  // unknown: USB is offered
  std::string file = Scratch / "LICENENG.TXT", trace, summary;
  WriteTextFile(file, "first text, longer");
  CopyText(Settings.LicenseFile, file.c_str());
  Settings.LicenseLength = 10;  // measured at start-up; more is not shown
  HWND summaryEdit = nullptr;
  OnActive = [&](HWND sheet, HWND page, int index, int visit) {
    int ps2 = SendMessageA(GetDlgItem(page, IDC_INTERFACE_PS2), BM_GETCHECK, 0, 0);
    int stored = Settings.InterfaceType * 100 + Settings.CallConfigMg * 10 + Settings.Restart;
    trace += index == kPageWelcome     ? "W" + std::to_string(Settings.InterfaceType) + " "
             : index == kPageLicense   ? "L" + ui::ChildText(page, IDC_LICENSE_TEXT) + " "
             : index == kPageInterface ? "I" + std::to_string(ps2) + " "
             : index == kPageStart     ? std::to_string(stored) + " "
             : index == kPageResult    ? ui::ChildText(page, IDC_RESULT_RESTART_TEXT)
                                       : "";
    if (index == kPageWelcome && visit == 1) trace += ui::ChildText(page, IDC_WELCOME_TEXT) + " ";
    if (index == kPageStart) summary = ui::ChildText(page, IDC_START_SUMMARY);
    if (index == kPageStart) SetFocus(summaryEdit = GetDlgItem(page, IDC_START_SUMMARY));
    if (index == kPageInterface && visit == 1) {
      WriteTextFile(file, "second text");
      SendMessageA(GetDlgItem(page, IDC_INTERFACE_PS2), BM_CLICK, 0, 0);
      return Press(sheet, PSBTN_BACK);
    }
    if (index == kPageLicense && visit == 2)
      return DeleteFileA(file.c_str()), Press(sheet, PSBTN_BACK);
    index == kPageStart ? Press(sheet, PSBTN_CANCEL) : PressOn(sheet, index);
  };
  OnQuestion = [&](HWND dialog) {  // "Resume", then on
    trace += GetFocus() == summaryEdit ? "(the summary kept the focus) " : "";
    trace += ui::ChildText(dialog, IDC_EXIT_INCOMPLETE) + "|" +
             ui::ChildText(dialog, IDC_EXIT_HOW) + " ";
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    Press(GetWindow(dialog, GW_OWNER), PSBTN_NEXT);
  };
  EXPECT_EQ(kExitInstalled, WizardRunExitCode(RunSheet()));
  EXPECT_EQ("WLILWLIDFSPR", Pages);
  EXPECT_EQ(
      "W7 Welcome to the Keyboard Setup program.  This program will install Keyboard on your "
      "computer. Lfirst text I0 Lsecond tex W7 L I1 201 Setup is incomplete. If you exit "
      "Setup now, Keyboard will not be installed on your computer.|To continue installing "
      "Keyboard, click Resume.  To quit Setup, click Exit Setup. Setup has successfully "
      "installed Keyboard.\n\nBefore you can use Keyboard, you must restart your computer.",
      trace);
  const std::string in = "\r\n          ";
  EXPECT_EQ("Product:" + in + "Keyboard\r\n\r\nVersion:" + in + "1.0\r\n\r\nInterface:" + in +
                "PS/2 Interface\r\n\r\nInstallation Directory:" + in +
                "C:\\windows\\system32\r\n\r\nProgram Folder:" + in,
            summary);
}

// The arithmetic is a native table; here where its inputs come from: the work area, the band, a
// change of the settings.
TEST_F(WizardSheet, SheetIsCentredBelowTheBand) {
  RECT screen, area = {100, 60, 1100, 960}, first, moved;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0);
  OnActive = [&](HWND sheet, HWND page, int, int) {
    GetWindowRect(sheet, &first);
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &area, 0);
    TitleBandHeight = 500;
    SendMessageA(page, WM_SETTINGCHANGE, 0, 0);
    GetWindowRect(sheet, &moved);
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &screen, 0);
    TitleBandHeight = 0;
    Press(sheet, PSBTN_CANCEL);
  };
  RunSheet();
  const LONG w = first.right - first.left, h = first.bottom - first.top;  // left, top; then moved
  EXPECT_EQ(std::vector<LONG>(
                {(screen.right - w) / 2, (screen.bottom - h) / 2, 100 + (1000 - w) / 2, 500}),
            std::vector<LONG>({first.left, first.top, moved.left, moved.top}));
}

TEST_F(WizardSheet, CancelDuringTheCopy) {
  // The answer; when it comes; how long the page waits for the worker (a file takes 100 ms);
  // then pages, files copied, files left, exit code.
  const std::tuple<Answer, Late, DWORD, const char*, std::vector<int>, size_t, int32_t> rows[] = {
      {kResume, kNo, 60000, "WISPR", {0, 1, 2, 3, 4}, 5, kExitInstalled},
      {kExitButton, kNo, 60000, "WISP", {0, 1, 2}, 0, kExitCancelled},
      {kEscape, kNo, 20, "WISP", {0, 1, 2}, 0, kExitCancelled},  // the sheet waits for the worker
      {kExitButton, kEnded, 60000, "WISPR", {0, 1}, 2, kExitInstalled},  // too late for anything
      {kExitButton, kCommitted, 60000, "WISPR", {0, 1}, 2, kExitInstalled},
  };
  for (const auto& [answer, late, stopMs, pages, copied, left, exitCode] : rows) {
    SetUp();
    SCOPED_TRACE(testing::Message() << "answer " << answer << " late " << late);
    Fake.files = 5;
    Fake.cancelAt = 2;
    std::tie(Fake.answer, Fake.late, StopWorkerMs) = std::tie(answer, late, stopMs);
    EXPECT_EQ(exitCode, WizardRunExitCode(RunSheet()));
    StopWorkerMs = 60000;
    size_t there = 0;
    for (int i = 0; i < 5; ++i) there += PathExists(Folder + "\\f" + std::to_string(i));
    EXPECT_EQ(pages, Pages);
    EXPECT_EQ(copied, Fake.copied);
    EXPECT_EQ(left, there);
    EXPECT_TRUE(PauseEvent == nullptr && WorkerThread == nullptr) << "the worker's handles kept";
  }
}

TEST_F(WizardSheet, ResultPageAndRestart) {
  // kHiddenOnly: switch QN alone; kClosed: the sheet closed instead of Finish; kNoWorker: no thread
  // for the worker; kRefused: Windows 95 takes no renames (wininit.ini is a folder: access denied).
  enum Mode { kClicked, kLater, kSilent, kHidden, kHiddenOnly, kClosed, kNoWorker, kRefused };
  const DWORD kNoDisk = ERROR_NOT_READY, kEmpty = ERROR_FILE_NOT_FOUND, kUntold = 0xFFFFFFFF;
  const char* kDone =
      "Setup has successfully installed Keyboard.\n\nClick Finish to complete Setup.";
  // InstallResult, Restart, NoRestart, renames, mode, drive A:'s answer, the restart allowed; then
  // texts shown, Finish pressed by the page itself, floppy warnings, restart requests, exit code.
  const std::tuple<int, int, int, int, Mode, DWORD, BOOL, const char*, bool, size_t, size_t,
                   int32_t>
      rows[] = {
          {0, 0, 0, 0, kClicked, kNoDisk, 1, kDone, 0, 0, 0, kExitInstalled},
          {0, 1, 0, 0, kClicked, kEmpty, 1, "711 502 503 712", 0, 1, 1, kExitInstalled},
          {0, 1, 0, 0, kClicked, kUntold, 0, "711 502 503 712", 0, 1, 1, kExitRestartPending},
          {0, 1, 0, 0, kLater, kEmpty, 1, "711 502 503 712", 0, 0, 0, kExitRestartPending},
          {0, 0, 0, 2, kClicked, kNoDisk, 1, "711 502 503 712", 0, 0, 1, kExitInstalled},
          {0, 0, 1, 2, kClicked, kEmpty, 1, kDone, 0, 0, 0, kExitRestartPending},
          {0, 1, 0, 0, kSilent, kEmpty, 1, "711 502 503 712", 1, 0, 1, kExitInstalled},
          {3, 1, 0, 0, kSilent, kEmpty, 1, "1004 1007", 0, 0, 0, kExitFailed},
          {1, 0, 0, 2, kClicked, kEmpty, 1, "1004 1005", 0, 0, 0, kExitAccessDenied},
          {0, 0, 0, 0, kNoWorker, kEmpty, 1, "1004 1007", 0, 0, 0, kExitFailed},
          {3, 0, 0, 0, kHidden, kEmpty, 1, "1004 1007", 1, 0, 0, kExitFailed},
          {0, 1, 0, 0, kHiddenOnly, kEmpty, 1, "711 502 503 712", 1, 0, 1, kExitInstalled},
          {0, 1, 0, 0, kClosed, kEmpty, 1, "711 502 503 712", 0, 0, 0, kExitRestartPending},
          {0, 0, 0, 2, kRefused, kEmpty, 1, "1004 1005", 0, 0, 0, kExitAccessDenied},
      };
  const char* kSession = "System\\CurrentControlSet\\Control\\Session Manager";
  for (const auto& [result, restart, noRestart, renames, mode, floppy, allowed, texts, presses,
                    boxes, restarts, exitCode] : rows) {
    SetUp();
    SCOPED_TRACE(testing::Message() << "result " << result << " restart " << restart << " NR "
                                    << noRestart << " renames " << renames << " mode " << mode);
    std::tie(Fake.result, Fake.renames, Settings.Restart, Settings.NoRestart, Fake.floppyError,
             Fake.restartAnswer) = std::tie(result, renames, restart, noRestart, floppy, allowed);
    Settings.AskType = 0;
    Settings.SilentMode = mode == kSilent || mode == kHidden;
    Settings.HiddenMode = mode == kHidden || mode == kHiddenOnly;
    Fake.noWorker = mode == kNoWorker;
    ScopedRegValue pending(HKEY_LOCAL_MACHINE, kSession, "PendingFileRenameOperations", nullptr);
    const std::string wininit = WindowsDir() + "\\wininit.ini";
    if (mode == kRefused) Settings.IsWin95 = 1, MakeDirs(wininit);
    std::string shown, handedOn;
    bool pressing = false;
    OnActive = [&, mode = mode](HWND sheet, HWND page, int index, int) {
      if (index != kPageResult && (Settings.SilentMode || Settings.HiddenMode)) return;
      if (index != kPageResult) return PressOn(sheet, index);
      for (int id : {711, 502, 503, 712, 713, 1004, 1005, 1007})  // 713 by its text
        if (GetWindowLongA(GetDlgItem(page, id), GWL_STYLE) & WS_VISIBLE)
          shown += (shown.empty() ? "" : " ") +
                   (id == 713 ? ui::ChildText(page, id) : std::to_string(id));
      handedOn = RegText(HKEY_LOCAL_MACHINE, kSession, "PendingFileRenameOperations");
      if (mode == kLater) SendMessageA(GetDlgItem(page, IDC_RESULT_RESTART_LATER), BM_CLICK, 0, 0);
      MSG queued;
      pressing = PeekMessageA(&queued, sheet, PSM_PRESSBUTTON, PSM_PRESSBUTTON, PM_NOREMOVE);
      if (!pressing) Press(sheet, mode == kClosed ? PSBTN_CANCEL : PSBTN_FINISH);
    };
    EXPECT_EQ(exitCode, WizardRunExitCode(RunSheet()));
    EXPECT_EQ(texts, shown);
    EXPECT_EQ(presses, pressing);
    EXPECT_EQ(boxes, Fake.boxes);
    EXPECT_EQ(std::vector<UINT>(restarts, EWX_REBOOT), Fake.restarts);
    EXPECT_EQ(!Settings.HiddenMode, Shown);
    // Handed on, in ascending order, before the choice; never after a failure, which deletes them.
    size_t first = handedOn.find("old0"), second = handedOn.find("old1");
    const bool handed = renames && !result && mode != kRefused;
    EXPECT_EQ(handed, first < second && second != handedOn.npos) << handedOn;
    EXPECT_EQ(handed, PathExists(Folder + "\\new0")) << "the new copy after a failure";
    if (mode == kRefused) RemoveTree(wininit);
  }
}

// The chain's second stage starts after the wizard (here: fails to, which fails the run),
// but never into a restart of Windows, where it would be cut off or refuse the restart.
TEST_F(WizardSheet, NoSecondStageIntoARestart) {
  for (BOOL restarts : {FALSE, TRUE}) {
    SetUp();
    Settings.AskType = 0, Settings.SilentMode = Settings.Restart = 1;
    CopyText(Settings.ModuleDir, BinDir().c_str());
    CopyText(Settings.SetupProgramName, "wizard_sheet_test.exe");  // the wizard is this program
    CopyText(Settings.DirName2, "none");
    Fake.restartAnswer = restarts;
    Background.Chain = ChainState();
    RunSheet([] { return RunChainStep(nullptr), INT_PTR(0); });
    EXPECT_EQ(restarts ? "1 0" : "0 1603", std::to_string(Background.Chain.SkipSecond) + " " +
                                               std::to_string(Background.ExitCode));
  }
}

struct Language {
  LANGID id;
  const char* name;             // as its script under res/lang is named
  const char16_t *back, *next;  // what the wizard's Back and Next are called in it
};
// clang-format off
constexpr Language kLanguages[] = {
    {1029, "cs-CZ", u"Zpět", u"Další"},          {1030, "da-DK", u"Tilbage", u"Næste"},
    {1031, "de-DE", u"Zurück", u"Weiter"},       {1033, "en-US", u"Back", u"Next"},
    {1034, "es-ES_tradnl", u"Atrás", u"Siguiente"}, {1035, "fi-FI", u"Edellinen", u"Seuraava"},
    {1036, "fr-FR", u"Précédent", u"Suivant"},   {1040, "it-IT", u"Indietro", u"Avanti"},
    {1043, "nl-NL", u"Vorige", u"Volgende"},     {1044, "nb-NO", u"Tilbake", u"Neste"},
    {1046, "pt-BR", u"Voltar", u"Avançar"},      {1051, "sk-SK", u"Späť", u"Ďalej"},
    {1053, "sv-SE", u"Föregående", u"Nästa"},    {1055, "tr-TR", u"Geri", u"İleri"},
    {1060, "sl-SI", u"Nazaj", u"Naprej"},        {2058, "es-MX", u"Atrás", u"Siguiente"},
    {3082, "es-ES", u"Atrás", u"Siguiente"},
};
// clang-format on
// Setup.exe as a data file: its resources, none of its code.
const HMODULE SetupData =
    LoadLibraryExA((BinDir() + "\\Setup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);

std::string Resource(LPCSTR type, LPCSTR name, LANGID lang) {  // "" when missing
  HRSRC found = FindResourceExA(SetupData, type, name, lang);
  if (found == nullptr) return "";
  return std::string(static_cast<const char*>(LockResource(LoadResource(SetupData, found))),
                     SizeofResource(SetupData, found));
}

// A string of the table in one language, "" when it has none: from its block of 16 counted strings.
std::u16string TableString(UINT id, LANGID lang) {
  std::string block = Resource(RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), lang);
  auto* p = reinterpret_cast<const char16_t*>(block.data());
  for (UINT i = 0; i < id % 16 && !block.empty(); ++i) p += 1 + *p;
  return block.empty() ? u"" : std::u16string(p + 1, *p);
}

// As the examples name the product; plain ASCII, so the ANSI calls keep it.
const char16_t kShownName[] = u"Velmorax Comfort Keyboard";

// UTF-8 for messages, or CP_ACP as the pages' ANSI calls set a text.
std::string Bytes(const std::u16string& s, UINT codePage = CP_UTF8) {
  char text[1024] = "";
  WideCharToMultiByte(codePage, 0, reinterpret_cast<LPCWSTR>(s.c_str()), -1, text, 1023, 0, 0);
  return text;
}

// Access keys, each with the text that holds it.
using Keys = std::vector<std::pair<char16_t, std::string>>;
void AddKeys(Keys& keys, std::u16string text) {
  CharUpperBuffW(reinterpret_cast<LPWSTR>(&text[0]), static_cast<DWORD>(text.size()));
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == u'&' && text[++i] != u'&') keys.emplace_back(text[i], Bytes(text));
}

// One window as the user sees it (a page, or the question at kPageCount): each text fits its
// control in the control's font, no two shown texts or fields overlap, no access key is taken
// twice or by one of the sheet's buttons, and it has the controls it had in the first language.
void Look(HWND window, int index, const Language& lang) {
  SCOPED_TRACE(testing::Message() << "page " << index);
  Keys keys, buttons;  // Back and Next where the page lets them be pressed
  if (index > kPageWelcome && index <= kPageStart)
    AddKeys(buttons, u"&" + std::u16string(lang.back));
  if (index <= kPageStart) AddKeys(buttons, u"&" + std::u16string(lang.next));
  std::string ids;
  std::vector<RECT> drawn;
  HDC dc = GetDC(window);
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    std::u16string text(1024, u'\0');  // a dialog's own texts keep every letter of the language
    text.resize(GetWindowTextW(c, reinterpret_cast<LPWSTR>(&text[0]), 1024));
    const LONG style = GetWindowLongA(c, GWL_STYLE);
    ids += std::to_string(GetDlgCtrlID(c)) + " ";
    // A hidden text is measured as its page fills it in when it shows it.
    for (size_t at; !(style & WS_VISIBLE) && (at = text.find(u"%s")) != text.npos;)
      text.replace(at, 2, kShownName);
    SCOPED_TRACE(testing::Message() << "control " << GetDlgCtrlID(c) << ": " << Bytes(text));
    AddKeys(keys, text);
    const std::string kind = ui::ClassName(c);
    const bool wraps = SameText(kind, "Static"), framed = (style & BS_TYPEMASK) == BS_GROUPBOX;
    const bool radio = (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
    RECT box, need;
    GetClientRect(c, &box);
    need = box;  // an edit, a list, a clip, the bar, a button: all of it
    if (!text.empty() && (wraps || SameText(kind, "Button"))) {
      RECT line = {0, 0, box.right, 0};
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)));
      DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.c_str()), -1, &line,
                DT_CALCRECT | (wraps ? DT_WORDBREAK | DT_EXPANDTABS : DT_SINGLELINE));
      // A button's text lies beside a radio button's circle, in a frame or in its edges.
      const int edge = wraps ? 0 : radio ? 17 : framed ? 16 : 8;
      EXPECT_LE(line.right + edge, box.right) << "too narrow";
      if (wraps) {  // 1005 keeps its first height, which cuts the descenders of a third line
        EXPECT_LE(line.bottom, box.bottom + (GetDlgCtrlID(c) == IDC_RESULT_PRIVILEGE ? 3 : 0));
        need = line;
      }
    }
    MapWindowPoints(c, window, reinterpret_cast<POINT*>(&need), 2);
    // Clips play one at a time in one place; a frame lies round what it holds.
    if (!(style & WS_VISIBLE) || SameText(kind, "SysAnimate32") || (framed && !wraps)) continue;
    for (const RECT& r : drawn)
      if (RECT x; IntersectRect(&x, &need, &r))
        ADD_FAILURE() << "over the control at " << r.left << "," << r.top;
    drawn.push_back(need);
  }
  ReleaseDC(window, dc);
  std::sort(keys.begin(), keys.end());
  for (size_t i = 1; i < keys.size(); ++i)
    EXPECT_NE(keys[i - 1].first, keys[i].first) << keys[i - 1].second << " and " << keys[i].second;
  for (const auto& key : keys)
    for (const auto& button : buttons)
      EXPECT_NE(button.first, key.first) << key.second << " and the button " << button.second;
  static std::map<int, std::string> controls;  // of each page in the first language
  EXPECT_EQ(controls.emplace(index, ids).first->second, ids);
}

char Colour(HWND bar, int x) {
  HDC dc = GetDC(bar);
  COLORREF c = GetPixel(dc, x, 1);  // the top row, away from the digits
  ReleaseDC(bar, dc);
  return c == RGB(255, 255, 255) ? 'W' : c == RGB(0, 0, 255) ? 'B' : 'g';
}

// The progress page after its first paint, as the worker shows a copy at 42 %: the bar's middle
// then and after a paint, and each clip; then its look.
std::string LookAtTheCopy(HWND page, const Language& lang) {
  HWND bar = GetDlgItem(page, kProgressBar);
  RedrawWindow(page, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);  // the first paint
  RECT rc;
  GetClientRect(bar, &rc);
  std::string seen(1, Colour(bar, rc.right / 2));
  for (int id : {kFromLabel, kToLabel, kProgressBar, kFromText, kToText, kCopyAnimation})
    ShowControl(page, id, true);
  SetControlText(page, kFromText, "KEYBOARD.SYS");
  SetControlText(page, kToText, "C:\\windows\\system32\\drivers");
  ProgressPercent = 42;
  RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  seen += {Colour(bar, rc.right * 42 / 100 - 2), Colour(bar, rc.right * 42 / 100 + 2)};
  // Each clip opens: one with a codec the control lacks, or a sound stream, would not.
  HWND clip = GetDlgItem(page, kCopyAnimation);
  for (int id : {kDriverClip, kCopyClip})
    seen += Animate_OpenEx(clip, Settings.Instance, MAKEINTRESOURCEA(id)) ? " open" : " shut";
  Look(page, kPageProgress, lang);
  return seen;
}

// Every page of a sheet made in each language, with every page asked for, the copy under way and a
// restart offered, looks right, and so does the "Exit Setup" question; the Start page names the
// buttons as the language's wizard does.
TEST_F(WizardSheet, EveryPageLooksRightInEveryLanguage) {
  const LCID locale = GetThreadLocale();
  for (const Language& lang : kLanguages) {
    SCOPED_TRACE(lang.name);
    SetUp();
    CopyText(Settings.ProductName, Bytes(kShownName).c_str());
    Settings.AskLicense = Settings.AskPath = Settings.AskProgramFolder = 1;
    Settings.InterfaceType = kInterfacePS2;  // which on NT asks for a restart
    CopyText(Settings.LicenseFile, (BinDir() + "\\Setup.exe").c_str());
    Settings.LicenseLength = 2;  // "MZ"
    Fake.look = true;
    std::string start, progress;
    OnActive = [&](HWND sheet, HWND page, int index, int) {
      if (index == kPageStart) start = ui::ChildText(page, IDC_START_TEXT);
      if (index == kPageProgress) return (void)ShowWindow(GetDlgItem(page, kProgressBar), SW_SHOW);
      Look(page, index, lang);
      index == kPageStart ? Press(sheet, PSBTN_CANCEL) : PressOn(sheet, index);
    };
    OnCopy = [&](HWND page) { progress = LookAtTheCopy(page, lang); };
    OnQuestion = [&](HWND dialog) {
      Look(dialog, kPageCount, lang);
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      Press(GetWindow(dialog, GW_OWNER), PSBTN_NEXT);
    };
    SetThreadLocale(MAKELCID(lang.id, SORT_DEFAULT));
    RunSheet();
    SetThreadLocale(locale);
    EXPECT_EQ("WLIDFSPR", Pages);  // the license page falls back to English where it has none
    EXPECT_TRUE(start.find(Bytes(lang.back, CP_ACP)) != start.npos &&
                start.find(Bytes(lang.next, CP_ACP)) != start.npos)
        << "the Start page names Back and Next otherwise than the wizard: " << start;
    // Grey: nothing painted at first; then blue up to 42 % and white after it.
    EXPECT_EQ("gBW open open", progress);
  }
}

// Every language has each string the program loads, short enough for the 260-character buffers it
// is loaded into and with every byte mapped by the script's code page; the title suffix stands
// alone as a window title. One row per code page: a script saved in another shows other letters.
// Installing needs administrator rights; version 6 controls would give the pages a look their
// layout was not made for. The side picture is in a form the system can read.
TEST(Resources, StringsManifestAndSidePicture) {
  for (const Language& lang : kLanguages)
    for (UINT id : {3, 4, 5, 6, 7, 10, 12, 15, 16, 17, 18, 20}) {  // those defined
      std::u16string text = TableString(id, lang.id);
      EXPECT_TRUE(!text.empty() && text.size() < 260 && text.find(u'\xFFFD') == text.npos &&
                  (id != IDS_TITLE_SUFFIX || text[0] != u'-'))
          << lang.name << " string " << id << ": " << Bytes(text);
    }
  EXPECT_TRUE(TableString(IDS_WARNING_CAPTION, 1029) == u"Upozornění instalačního programu");
  EXPECT_TRUE(TableString(IDS_WARNING_CAPTION, 1053) == u"Varning från installationsprogrammet");
  EXPECT_TRUE(TableString(IDS_WARNING_CAPTION, 1055) == u"Kurulum Uyarısı");
  EXPECT_NE(nullptr, LoadImageA(SetupData, MAKEINTRESOURCEA(IDB_SIDE), IMAGE_BITMAP, 0, 0, 0));
  std::string manifest = Resource(RT_MANIFEST, MAKEINTRESOURCEA(1), LANG_NEUTRAL);
  EXPECT_NE(std::string::npos,
            manifest.find("<requestedExecutionLevel level=\"requireAdministrator\""));
  EXPECT_EQ(std::string::npos, manifest.find("Microsoft.Windows.Common-Controls"));
}

}  // namespace
