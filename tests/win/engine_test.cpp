// The install engine on the real system, in scenario tables.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>
// clang-format on

#include <memory>
#include <numeric>

#include "../../res/resource.h"
#include "TestSupport.h"
#include "engine/Backup.h"
#include "engine/Cabinet.h"
#include "engine/CopyFiles.h"
#include "engine/EngineState.h"
#include "engine/InstallWorker.h"
#include "engine/PageControls.h"
#include "engine/ProgramActions.h"
#include "engine/RegistryActions.h"
#include "engine/UninstallRecord.h"
#include "finish/Finish.h"
#include "startup/core/Settings.h"

namespace {

using namespace testing_support;
const std::string kTemp0 = WindowsDir() + "\\_QuessorTempDir0";
const std::string kProduct = kUninstallRoot + std::string("KBDTEST");
const std::string kShared = kVendorRoot + std::string("\\Uninstall\\SharedFile\\");
const char* const kSession = "System\\CurrentControlSet\\Control\\Session Manager";
std::map<std::string, std::string> Dlls;  // the test DLLs' contents, for Listing
std::string SheetMessages;                // what the stand-in sheet was sent, in order

LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == PSM_CANCELTOCLOSE) SheetMessages += "to-close ";
  if (message == PSM_PRESSBUTTON) SheetMessages += wParam == PSBTN_NEXT ? "next " : "other ";
  return DefWindowProcA(window, message, wParam, lParam);
}

// Writes below Denied are refused, as to a user without rights.
std::string Denied;
decltype(&CopyFileA) RealCopyFile;
decltype(&CreateDirectoryA) RealCreateDirectory;
bool Refused(LPCSTR path) {
  const bool refused = !Denied.empty() && !_strnicmp(path, Denied.c_str(), Denied.size());
  if (refused) SetLastError(ERROR_ACCESS_DENIED);
  return refused;
}
BOOL WINAPI CopyFileUnlessDenied(LPCSTR from, LPCSTR to, BOOL failIfExists) {
  return !Refused(to) && RealCopyFile(from, to, failIfExists);
}
BOOL WINAPI CreateDirectoryUnlessDenied(LPCSTR path, LPSECURITY_ATTRIBUTES security) {
  return !Refused(path) && RealCreateDirectory(path, security);
}

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

DWORD WINAPI ThreadMain(void* body) { return (*static_cast<std::function<void()>*>(body))(), 0; }

struct TestPage {  // the progress page in a hidden stand-in for the sheet
  explicit TestPage(const char* sheetClass = "STATIC")
      : sheet(CreateWindowA(sheetClass, "", WS_POPUP, 0, 0, 9, 9, 0, 0, 0, 0)),
        hwnd(CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_PROGRESS), sheet, PageProc, 0)) {}
  ~TestPage() { DestroyWindow(sheet); }
  HWND sheet, hwnd;
};

// The files of dir, sorted: "name=text@year " (a test DLL by its name, "+ro"
// when read-only); "(none)" when there is no such folder.
std::string Listing(const std::string& dir) {
  WIN32_FIND_DATAA d;
  UniqueFind find(FindFirstFileA((dir + "\\*").c_str(), &d));
  if (!find) return "(none)";
  std::set<std::string> files;
  for (BOOL more = TRUE; more; more = FindNextFileA(find.get(), &d)) {
    std::string text = ReadTextFile(dir + "\\" + d.cFileName);
    SYSTEMTIME st;
    FileTimeToSystemTime(&d.ftLastWriteTime, &st);
    if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      files.insert(d.cFileName + ("=" + (Dlls.count(text) ? Dlls[text] : text)) + "@" +
                   std::to_string(st.wYear) + (d.dwFileAttributes & 1 ? "+ro " : " "));
  }
  return std::accumulate(files.begin(), files.end(), std::string());
}

// holdfile holding a file (mode "", share-read, share-delete, load) or windowprog.
struct Program {
  Program(const std::string& file, const std::string& mode) {
    process = Start(
        BinDir() + "\\holdfile.exe " + file + " " + flags / "ready " + flags / "go " + mode, "");
    for (int i = 0; i < 500 && !PathExists(flags / "ready"); ++i) Sleep(10);
    EXPECT_TRUE(PathExists(flags / "ready")) << "holdfile did not take " << file;
  }
  Program(const std::string& cls, const std::string& title, const std::string& mode) : wait(0) {
    process =
        Start("\"" + BinDir() + "\\windowprog.exe\" \"" + cls + "\" \"" + title + "\" " + mode, "");
    for (int i = 0; i < 500 && !FindWindowA(cls.c_str(), title.c_str()); ++i) Sleep(10);
  }
  ~Program() { WriteTextFile(flags / "go", ""), FinishProcess(process, wait); }
  testing_support::TempDir flags{"hold"};  // the engine has a TempDir too
  HANDLE process;
  DWORD wait = 5000;  // holdfile ends when told, windowprog not
};

// Waits until no registry editor runs: it imports on its own time.
void WaitForEditors() {
  for (bool running = true; running; Sleep(50)) {
    UniqueHandleK snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 e = {};
    e.dwSize = sizeof e;
    running = false;
    for (BOOL ok = Process32First(snap.get(), &e); ok; ok = Process32Next(snap.get(), &e))
      running |= !lstrcmpiA(e.szExeFile, "regedit.exe");
  }
}

// Each case and row starts a fresh run with empty folders and registry keys.
class EngineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RealCopyFile = PatchImport(&CopyFileA, CopyFileUnlessDenied);
    RealCreateDirectory = PatchImport(&CreateDirectoryA, CreateDirectoryUnlessDenied);
  }
  void SetUp() override { Fresh(); }
  void TearDown() override { Fresh(); }
  void Fresh() {
    programs_.clear(), Denied.clear();
    RemoveTree(kTemp0), RemoveTree(media_.path()), RemoveTree(dest_.path());
    MakeDirs(media_.path()), MakeDirs(dest_.path());
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT, HKEY_USERS})
      DeleteRegTree(root, "KqT"), DeleteRegTree(root, "Software\\KqT");
    RegDeleteValueA(HKEY_CURRENT_USER, "KqT");
    for (const std::string& key :
         {kProduct, kUninstallRoot + std::string("OTHERKBD"), std::string(kVendorRoot)})
      DeleteRegTree(HKEY_LOCAL_MACHINE, key);
    ResetSettings(Settings), ResetFileTable(), ResetEngineState(), ResetUninstallRecordState();
    SetEvent(PauseEvent = PauseEvent ? PauseEvent : CreateEventA(nullptr, TRUE, TRUE, nullptr));
    CopyText(Settings.ModuleDir, media_.path().c_str());
    CopyText(Settings.ScriptPath, (media_ / "SETUP.INI").c_str());
    CopyText(Settings.UninstallKey, "KBDTEST"), CopyText(Settings.ProductName, "Kbd");
    CloseAnswerMs = ProcessEndMs = ClosePauseMs = 300, script_.clear();
    DeleteFileA(log_.c_str()), DeleteFileA((WindowsDir() + "\\wininit.ini").c_str());
  }
  // Of the words of items, those of these kinds: "m:"/"d:" a media/destination file
  // name=text[@year][+ro] (ver_*: that DLL; name\: a folder), "l:" a "Copy Files" line ($: the
  // destination, ~: a folder name that makes the path one too long), "c:" the cabinet, "h:" a
  // destination file held as name/mode, "w:" a window class/title/mode.
  void Put(const std::string& items, const std::string& kinds = "mdlc") {
    std::istringstream words(items);
    for (std::string word; words >> word;)
      if (word[1] == ':' && kinds.find(word[0]) != std::string::npos)
        PutOne(word.substr(2), word[0]);
  }
  void PutOne(std::string body, char kind) {
    std::string path = (kind == 'm' ? media_ : dest_).path() + "\\", a, b, c;
    std::istringstream fields(body);
    for (std::string* field : {&a, &b, &c}) std::getline(fields, *field, '/');
    if (kind == 'h') return programs_.push_back(std::make_unique<Program>(path + a, b));
    if (kind == 'w') return programs_.push_back(std::make_unique<Program>(a, b, c));
    if (kind == 'c')
      return void(Settings.CabFile = CopyText(Settings.CabFileName,
                                              (BinDir() + "\\engine_cabinets\\" + body).c_str()));
    const std::string tooLong(254 - dest_.path().size(), 'x');
    if (kind == 'l')
      return Script("Copy Files", "",
                    script_ += Replace(Replace(body, "~", tooLong), "$", dest_.path()) + "\r\n");
    if (body.back() == '\\') return MakeDirs(path + body);
    size_t eq = body.find('='), at = body.find('@'), plus = body.find('+');
    std::string text = body.substr(eq + 1, body.find_first_of("@+") - eq - 1);
    WriteTextFile(path += body.substr(0, eq), text);  // a test DLL then takes its place
    if (!text.rfind("ver_", 0))
      CopyFileOrDie(BinDir() + "\\" + text + ".dll", path), Dlls[ReadTextFile(path)] = text;
    SYSTEMTIME st{};
    st.wYear = at != std::string::npos ? std::stoi(body.substr(at + 1)) : 2003 + (kind == 'm');
    st.wMonth = st.wDay = 1, st.wHour = 12;
    FILETIME ft;
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, 0, OPEN_EXISTING, 0, 0);
    SystemTimeToFileTime(&st, &ft), SetFileTime(file, 0, 0, &ft), CloseHandle(file);
    if (plus != std::string::npos) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  }
  // A setup script: a section's lines (keyed L0, L1...; "|" between), more.
  void Script(const std::string& section, const std::string& lines, const std::string& more = "") {
    std::string text = "[" + section + "]\r\n", line;
    std::istringstream in(lines);
    for (int i = 0; std::getline(in, line, '|'); ++i)
      text += "L" + std::to_string(i) + "=" + line + "\r\n";
    WriteTextFile(media_ / "SETUP.INI", text + more);
    FileCount = ReadCopyFiles();
  }
  // Runs body on its own thread while this one serves the windows. With "pause" in flags, "Exit
  // Setup" is open: the worker waits there, the destination unchanged, till answered ("exit": yes).
  void RunWorker(const std::string& flags, std::function<void()> body) {
    const bool pause = flags.find("pause") != std::string::npos;
    const std::string files = Listing(dest_.path());
    if (pause) ResetEvent(PauseEvent);
    HANDLE thread = CreateThread(nullptr, 0, ThreadMain, &body, 0, nullptr);
    const auto join = [&](DWORD ms) {  // true when it ended within ms
      for (DWORD start = GetTickCount(); GetTickCount() - start <= ms; Pump())
        if (!MsgWaitForMultipleObjects(1, &thread, FALSE, 20, QS_ALLINPUT)) return true;
      return false;
    };
    if (pause) {
      EXPECT_FALSE(join(300) || Listing(dest_.path()) != files) << "went on at the question";
      CancelRequested = flags.find("exit") != std::string::npos;  // the flag, then the event
      SetEvent(PauseEvent);
    }
    EXPECT_TRUE(join(30000)) << "held by a hung program";
    WaitForSingleObject(thread, 30000), CloseHandle(thread);  // body lives until the thread ends
  }
  // The destination's files, then after "/" the cabinet's folder when there is a cabinet.
  std::string Dest() {
    return Listing(dest_.path()) + (Settings.CabFile ? "/" + Listing(kTemp0) : "");
  }
  testing_support::TempDir media_{"media"}, dest_{"dest"};
  std::string script_, log_ = media_ / "calls.log";
  ScopedEnv logEnv_{"SETUP_TEST_LOG", log_};
  std::vector<std::unique_ptr<Program>> programs_;  // ended before the folders go
};

// Each row: the copy step, then a confirmed cancel (with "keep" the worker's end). Setup: Put's
// words; nobackup; full (rename list); entry, other (an entry, another product's record of n, from
// before the run); nokey; pause, exit (as RunWorker, at the first file); winnt: on NT; pending: a
// move at the restart; norights, notemp: no rights to write K.* in the destination, or the
// cabinet's folder. Expected: Dest()|numbered names|InstallResult|records; then a cancel's undoing.
TEST_F(EngineTest, CopyStepThenCancelLeavesEveryDestinationAsBefore) {
  const std::string dll = "m:K.DLL=ver_both_1235 d:K.DLL=ver_both_1234 l:K.DLL=$ h:K.DLL/";
  const std::string held = "K.0=ver_both_1235@2004 K.DLL=ver_both_1234@2003 |K.0|0|K.DLL";
  const std::string ab = "alpha.txt=alpha from the cabinet\r\n@2003 ",
                    sh = "shared.txt=shared by two rows\r\n@2004 ";
  const std::string rows[][2] = {
      {"m:n=N m:s=S@2003 d:s=s m:l=L d:l=l+ro m:h=H+ro l:n=$ l:s=$ l:l=$ l:h=$ l:gone=$,renamed "
       "other",
       "h=H@2004 l=L@2004 n=N@2004 s=s@2003 ||0|h l n renamed s"},
      // Older by both kinds; newer by the text only; newer by the text of a file without a fixed
      // version; older by the text of another language; no kind on both, so the dates decide.
      {"m:a=ver_both_1234@2005 d:a=ver_both_1235@1999 m:b=ver_fixed_old_text_new@1999 "
       "d:b=ver_both_1234@2005 m:c=ver_string_only@1999 d:c=ver_both_1234@2005 "
       "m:d=ver_german_1252@2005 d:d=ver_string_only@1999 m:e=ver_fixed_only@1999 "
       "d:e=ver_string_only@2005 l:a=$ l:b=$ l:c=$ l:d=$ l:e=$ keep",
       "a=ver_both_1235@1999 b=ver_fixed_old_text_new@1999 c=ver_string_only@1999 "
       "d=ver_string_only@1999 e=ver_string_only@2005 ||0|a b c d e"},
      {"m:o=O m:one\\two\\deep=D d:given=g l:o=$,given l:one\\two\\deep=$ nokey",
       "deep=D@2004 given=O@2004 ||0|"},
      {"m:a\\x=1 m:b\\x=2@2030 d:x=before l:a\\x=$ l:b\\x=$ entry pause", "x=2@2030 ||0|x"},
      {"m:r=new d:r=old l:r=$ nobackup", "r=new@2004 ||0|r"},
      {"m:a.txt=A l:a.txt=$\\~", "||0|"},
      {"m:a=A l:a=$\\none", "||3|a"},
      {"m:K.DLL=K@2030 d:K.DLL=old l:K.DLL=$ norights", "K.DLL=old@2003 ||1|K.DLL"},
      {"m:K.DLL=K d:K.DLL\\ l:K.DLL=$", "||3|"},     // a folder, not a file
      {"m:a=A m:b=B l:a= l:b=$", "b=B@2004 ||3|b"},  // no folder: not the current drive's root
      {dll + " m:L=new d:L=old@2030 l:L=$ h:L/",
       "K.0=ver_both_1235@2004 K.DLL=ver_both_1234@2003 L=old@2030 |K.0|0|K.DLL L"},
      {dll + "share-delete", held},
      {dll + "load", held},
      {"m:K.DLL=new d:K.DLL=old d:K.0=theirs l:K.DLL=$ h:K.DLL/ h:K.0/",
       "K.0=theirs@2003 K.1=new@2004 K.DLL=old@2003 |K.1|0|K.DLL"},
      {"m:K.DLL=new d:K.DLL=old d:K.0=earlier l:K.DLL=$ h:K.DLL/ winnt",  // 9x: written over
       "K.0=earlier@2003 K.1=new@2004 K.DLL=old@2003 |K.1|0|K.DLL"},
      // Free now, but an earlier run's copy waits to replace it at the restart: this one goes
      // after it (on 9x the newest wininit.ini line comes first).
      {"m:K.DLL=new d:K.DLL=old d:K.0=earlier l:K.DLL=$ winnt pending",
       "K.0=earlier@2003 K.1=new@2004 K.DLL=old@2003 |K.1|0|K.DLL"},
      {"m:K.DLL=new d:K.DLL=old d:K.0=earlier l:K.DLL=$ pending keep",
       "K.0=new@2004 K.DLL=old@2003 |K.0|0|K.DLL"},
      {"m:K.DLL=new m:K.EXE=exe d:K.DLL=old d:K.EXE=was l:K.DLL=$ l:K.EXE=$ h:K.DLL/ h:K.EXE/",
       "K.0=new@2004 K.1=exe@2004 K.DLL=old@2003 K.EXE=was@2003 |K.0K.1|0|K.DLL K.EXE"},
      {"m:K.DLL=new d:K.DLL=old l:K.DLL=$ h:K.DLL/ full", "K.DLL=old@2003 ||3|K.DLL"},
      {"d:beta.dat=old@2000 d:second\\ m:sub\\s.txt=S l:alpha.txt=$ l:beta.dat=$ l:shared.txt=$ "
       "l:shared.txt=$\\second l:notincab.txt=$ l:sub\\s.txt=$ c:good.cab",
       ab + "beta.dat=beta from the cabinet, somewhat longer\r\n@2004 s.txt=S@2004 " + sh +
           "/(none)||0|alpha.txt beta.dat notincab.txt s.txt shared.txt"},
      {"l:alpha.txt=$ l:shared.txt=$ c:good.cab keep pause",
       ab + sh + "/(none)||0|alpha.txt shared.txt"},
      {"l:alpha.txt=$ c:absent.cab", "/||3|"},
      {"l:alpha.txt=$ c:good.cab notemp", "/(none)||1|"},
      {"l:alpha.txt=$ c:garbage.cab", "/||3|"},
      {"l:alpha.txt=$ c:truncated.cab", "/||3|"},
      {"c:absent.cab", "/(none)||0|"},                 // an empty table looks for no cabinet
      {"m:a=1 m:b=2 l:a=$ l:b=$ pause exit", "||0|"},  // nothing recorded after the answer
      {"l:alpha.txt=$ l:shared.txt=$ c:good.cab pause exit", "/(none)||0|"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    Fresh();
    auto has = [&](const char* flag) { return row[0].find(flag) != std::string::npos; };
    Put(row[0]);
    const std::string before = Dest();
    Put(row[0], "h");
    if (has("entry")) RecordDeleteDirectory("C:\\Kbd", "1", 2);
    if (has("other"))
      CopyText(Settings.UninstallKey, "OTHERKBD"), RecordDeleteFile((dest_ / "n").c_str());
    CopyText(Settings.UninstallKey, has("nokey") ? "" : "KBDTEST");
    if (has("nobackup")) CopyText(BackupDir, (dest_ / "none").c_str());
    if (has("full")) PendingRenameCount = kPendingRenameRows;
    Settings.IsNT = has("winnt");
    if (has("norights") || has("notemp"))
      Denied = has("notemp") ? kTemp0.substr(0, kTemp0.size() - 1) : dest_ / "K.";
    ScopedRegValue moves(HKEY_LOCAL_MACHINE, kSession, "PendingFileRenameOperations", nullptr);
    if (has("pending")) {  // an earlier run's K.0 waits to replace K.DLL at the restart
      const std::string k0 = dest_ / "K.0", dll = dest_ / "K.DLL";
      WriteTextFile(WindowsDir() + "\\wininit.ini", "[Rename]\r\n" + dll + "=" + k0 + "\r\n");
      MoveFileExA(k0.c_str(), dll.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING);
    }
    ResetUninstallRecordState();  // what was recorded so far is from before the run
    TestPage page;
    bool stepped = false;
    RunWorker(row[0], [&] { stepped = CopyStep(page.hwnd); });
    EXPECT_EQ(InstallResult == 0 && !has("exit"), stepped);
    programs_.clear();  // a file held without sharing cannot be read
    const std::string after = Dest();
    std::string got = after + "|";
    for (int i = has("full") ? kPendingRenameRows : 0; i < PendingRenameCount; ++i)
      got += PendingRenames[i].TempPath + dest_.path().size() + 1;
    const auto names = RegValueNames(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteFiles");
    got += "|" + std::to_string(InstallResult) + "|";
    for (const std::string& n : names) got += (&n == &names[0] ? "" : " ") + n;
    EXPECT_EQ(row[1], got);
    EXPECT_FALSE(has("nokey") && RegKeyExists(HKEY_LOCAL_MACHINE, kVendorRoot)) << "without a key";
    const std::string backups = BackupDir;
    has("keep") ? DiscardBackups() : (CancelRequested = 1, CancelCleanup());
    const bool kept = has("keep") || has("entry");
    EXPECT_EQ(has("keep") || has("nobackup") ? after : before, Dest());
    EXPECT_EQ(kept, RegKeyExists(HKEY_LOCAL_MACHINE, kProduct));
    for (const std::string& n : names)  // the shared records of this run's files go
      EXPECT_EQ(kept + (has("other") && n == "n"),
                RegValueNames(HKEY_LOCAL_MACHINE, kShared + n).size())
          << n;
    EXPECT_TRUE(backups.empty() || !PathExists(backups)) << "backups left in " << backups;
  }
}

// The table holds the first 160 "Copy Files" lines and leaves out the rest; of names past the
// 1024 bytes of the name list, none is seen, not even the one cut short there.
TEST_F(EngineTest, CopyFilesTableKeepsItsFirstRows) {
  std::string lines, names;
  for (int i = 0; i <= kFileTableRows; ++i) lines += "C:\\x|";
  Script("Copy Files", lines);
  EXPECT_EQ(kFileTableRows, FileCount);
  EXPECT_STREQ("L159", FileTable[kFileTableRows - 1].FileName);
  for (int i = 100; i < 200; ++i) names += "KeyboardFile" + std::to_string(i) + ".dll=C:\\x\r\n";
  WriteTextFile(media_ / "SETUP.INI", "[Copy Files]\r\n" + names);  // 51 names of 20 bytes fit
  EXPECT_EQ(51, FileCount = ReadCopyFiles());
  EXPECT_STREQ("KeyboardFile150.dll", FileTable[FileCount - 1].FileName);
}

// A destination damaged by a failed copy and held keeps its tracked backup
// at the worker's end; the cleanup puts it back once the file is free.
TEST_F(EngineTest, ADamagedDestinationKeepsItsBackupUntilItIsBack) {
  Put("m:KBD.DLL=new d:KBD.DLL=old l:KBD.DLL=$");
  ASSERT_TRUE(BackupDestination(0, (dest_ / "KBD.DLL").c_str()));
  const std::string backups = BackupDir;
  FileTable[0].Existed = FileTable[0].BackedUp = FileTable[0].RestorePending = 1;
  WriteTextFile(dest_ / "KBD.DLL", "half a new fi");
  Program(dest_ / "KBD.DLL", ""), DiscardBackups();  // the worker's end while the file is held
  CancelCleanup();
  EXPECT_EQ("KBD.DLL=old@2003 ", Listing(dest_.path()));
  EXPECT_FALSE(PathExists(backups));
}

// Held files replaced at a real restart: KBD.DLL by the delayed move, HOOK.DLL by wininit.ini in
// short names (its rename program knows no long ones); no index outside the list; on 98 and ME
// wininit.ini if the move fails.
TEST_F(EngineTest, HeldFilesAreReplacedAtTheRestart) {
  ScopedRegValue pending(HKEY_LOCAL_MACHINE, kSession, "PendingFileRenameOperations", nullptr);
  Put("m:KBD.DLL=new d:KBD.DLL=old m:HOOK.DLL=new d:HOOK.DLL=old l:KBD.DLL=$ l:HOOK.DLL=$");
  {
    Program kbd(dest_ / "KBD.DLL", ""), hook(dest_ / "HOOK.DLL", "");
    ASSERT_TRUE(CopyStep(TestPage().hwnd));
    RenameAtRestart(0), Settings.IsWin95 = 1;
    for (int index : {1, 2, -1, kPendingRenameRows}) RenameAtRestart(index);
  }
  char final[MAX_PATH] = "", temp[MAX_PATH] = "";
  GetShortPathNameA((dest_ / "HOOK.DLL").c_str(), final, MAX_PATH);
  GetShortPathNameA((dest_ / "HOOK.0").c_str(), temp, MAX_PATH);
  ASSERT_NE(dest_ / "HOOK.DLL", final) << "a folder with a long name";
  EXPECT_EQ("[Rename]\r\n" + std::string(final) + "=" + temp + "\r\n",
            ReadTextFile(WindowsDir() + "\\wininit.ini"));
  EXPECT_EQ("HOOK.0=new@2004 HOOK.DLL=old@2003 KBD.0=new@2004 KBD.DLL=old@2003 ",
            Listing(dest_.path()));
  ASSERT_NE(kStillRunning, FinishProcess(Start(SystemDir() + "\\wineboot.exe -r", ""), 60000));
  EXPECT_EQ("HOOK.DLL=new@2004 KBD.DLL=new@2004 ", Listing(dest_.path()));  // wininit.ini used up
  PendingRenames[0] = {"B", ""}, PendingRenames[1] = {"C:\\A", "C:\\a"};
  Settings.IsWin95 = 0, Settings.IsWin9x = 1, RenameAtRestart(0), RenameAtRestart(1);
  EXPECT_EQ("[Rename]\r\nB=\r\n", ReadTextFile(WindowsDir() + "\\wininit.ini"));
}

// Each value kind and root written and recorded (also as shared), not a
// value in a root itself. Expected: root, key, name, value as RegText.
TEST_F(EngineTest, RegistryValuesAreWrittenAndRecorded) {
  const std::string rows[][5] = {
      {"HKLM,Software\\KqT\\Only", "HKEY_LOCAL_MACHINE", "Software\\KqT\\Only", "", "<no value>"},
      {"hkcu,Software\\KqT\\Sub,", "HKEY_CURRENT_USER", "Software\\KqT\\Sub", "", ""},
      {"HkCr,KqT,Name", "HKEY_CLASSES_ROOT", "KqT", "Name", ""},
      {"HKLM ,KqT,Blank,0,x", "HKEY_USERS", "KqT", "Blank", "x"},
      {"HKLM,Software\\KqT,One,1,1", "HKEY_LOCAL_MACHINE", "Software\\KqT", "One", "4:01000000"},
      {"HKCU,,KqT,0,r", "HKEY_CURRENT_USER", "", "KqT", "r"},
  };
  std::string lines;
  for (auto& row : rows) lines += row[0] + "|";
  Script("Add Registry", lines);
  Settings.IsNT = 1;
  AddRegistry();
  const std::map<std::string, HKEY> roots = {{"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                                             {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                                             {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                                             {"HKEY_USERS", HKEY_USERS}};
  for (auto& [line, root, key, name, value] : rows) {
    std::string got = RegText(roots.at(root), key, name);
    const std::string record = key + (name.empty() ? "" : "\\\\" + name),
                      shared = kVendorRoot + ("\\Uninstall\\SharedReg\\KBDTEST\\" + root);
    if (!key.empty())
      got += "|" + RegText(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteRegs\\" + root, record) + "|" +
             RegText(HKEY_LOCAL_MACHINE, shared, record);
    EXPECT_EQ(value + (key.empty() ? "" : "|" + name + "|" + name), got) << line;
  }
  EXPECT_EQ(1u,
            RegValueNames(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteRegs\\HKEY_CURRENT_USER").size());
}

// The worker ends each "Kill Programs" line's first window of that class and title (no title: an
// empty one), its process on NT, by WM_CLOSE on 9x, a hung one not holding it; makes the folder top
// down (recorded when new), copies, writes the registry, imports by the system's editor the files
// of the locale (9x's key or NT's, each set to another one here), starts the programs, as the
// outcome allows (pause, exit: "Exit Setup" still open after the copy). sysedit: a logging editor
// in the system folder, which the program search finds before the Windows folder's (under WOW64 the
// 32-bit one). Expected: per window 1 when ended, WM_CLOSE sent|copied, registry, 9x's and NT's
// file imported, started, driver text|sheet messages (a cancelled worker presses Cancel as it ends,
// for a page that gave up waiting)|result|the folder's record.
TEST_F(EngineTest, WorkerStepsInOrderAndWhatEachOutcomeLeavesOut) {
  WNDCLASSA wc{0, SheetProc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "KqTestSheet"};
  RegisterClassA(&wc);
  ScopedRegValue locale(HKEY_CURRENT_USER, "Control Panel\\Desktop\\ResourceLocale", "",
                        "0000040c"),
      ntLocale(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", "00000407");
  const std::string rows[][4] = {
      {"", "KqW,T|KqH,H", "w:KqW/T/ w:KqH/H/hang", "10 1|cri-sd|to-close next |1|0"},
      {"cab nt", "KqN,x|KqW", "w:KqW// w:KqW/T/", "10 0|------|next |31|0"},
      {"preload existing nt", "KqH,H|KqX,X", "w:KqH/H/hang w:KqX/X/hang-exit",
       "10 0|cr-n-d|to-close next |0|<no key>"},
      {"cancel", "KqW,T", "w:KqW/T/", "1 1|------|other |1|0"},
      {"nofiles pause", "KqW,T", "w:KqW/T/", "1 1|-ri--d|to-close next |1|0"},
      {"nofiles pause exit", "KqW,T", "w:KqW/T/", "1 1|------|other |1|0"},
      {"nofiles nt sysedit", "KqW,T", "w:KqW/T/", "1 0|-r---d|to-close next |1|0"},
  };
  const std::string editor = SystemDir() + "\\regedit.exe";
  for (auto& row : rows) {
    SCOPED_TRACE(row[0] + " " + row[1]);
    Fresh();
    auto has = [&](const char* flag) { return row[0].find(flag) != std::string::npos; };
    for (const std::string& path : {media_ / "Tool.exe", media_ / "regedit.exe", editor})
      if (path != editor || has("sysedit")) CopyFileOrDie(BinDir() + "\\logprog.exe", path);
    ScopedRegValue ours(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", "regedit.exe",
                        has("sysedit") ? "native" : nullptr);
    for (std::string n : {"i", "n"})
      WriteTextFile(media_ / (n + ".reg"),
                    "REGEDIT4\r\n[HKEY_CURRENT_USER\\KqT]\r\n\"" + n + "\"=\"1\"\r\n");
    CopyText(Settings.InstallDir, (dest_ / "Top\\L2\\").c_str());
    if (has("existing")) MakeDirs(dest_ / "Top\\L2");
    Settings.AskPath = Settings.CallConfigMg = 1, Settings.CabFile = has("cab");
    Settings.Preload = has("preload"), Settings.IsNT = has("nt"), CancelRequested = has("cancel");
    Script("Kill Programs", row[1],
           std::string(has("nofiles") ? "" : "[Copy Files]\r\nTool.exe=%99%\r\n") +
               "[Add Registry]\r\nA=HKCU,Software\\KqT\\V,r,0,x\r\n"
               "[Add Registry Files]\r\nA=i.reg,0000040C\r\nB=n.reg,00000407\r\n"
               "[Run Programs]\r\nTool.exe=%99%\r\n");
    Put(row[2], "w");
    TestPage page("KqTestSheet");
    SheetMessages.clear();
    SetCurrentDirectoryA(media_.path().c_str());
    RunWorker(row[0], [&] { InstallWorker(page.hwnd); });
    SetCurrentDirectoryA(BinDir().c_str());
    Pump(), WaitForEditors(), DeleteFileA(editor.c_str());
    const std::string tool = dest_ / "Top\\L2\\Tool.exe";
    std::vector<LogLine> log = ReadLog(log_);  // the started program logs on its own time
    for (int i = 0;
         i < 100 && PathExists(tool) && !has("preload") && !FindLine(log, "START", "Tool.exe"); ++i)
      Sleep(50), log = ReadLog(log_);
    const LogLine *close = FindLine(log, "CLOSE", "windowprog.exe"),
                  *started = FindLine(log, "START", "Tool.exe");
    std::string got;
    for (auto& p : programs_)  // on 9x the first one ends soon after
      got += WaitForSingleObject(p->process, got.empty() && !Settings.IsNT ? 2000 : 0) ? '0' : '1';
    got += close ? " 1|" : " 0|";
    const bool shown =
        GetWindowLongA(GetDlgItem(page.hwnd, kDriverMessage), GWL_STYLE) & WS_VISIBLE;
    got += std::string(PathExists(tool) ? "c" : "-") +
           (RegText(HKEY_CURRENT_USER, "Software\\KqT\\V", "r") == "x" ? "r" : "-") +
           (RegText(HKEY_CURRENT_USER, "KqT", "i") == "1" ? "i" : "-") +
           (RegText(HKEY_CURRENT_USER, "KqT", "n") == "1" ? "n" : "-") + (started ? "s" : "-") +
           (shown ? "d|" : "-|");
    got += SheetMessages + "|" + std::to_string(InstallResult * 10 + Settings.CallConfigMg) + "|";
    EXPECT_EQ(row[3],
              got + RegText(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteDirectory", dest_ / "Top\\L2"));
    if (CancelRequested) CancelCleanup();  // as the page does after "Exit Setup"
    EXPECT_EQ(!CancelRequested, PathExists(dest_ / "Top")) << "the folders a cancelled run made";
    const LogLine* edited = FindLine(log, "START", "regedit.exe");  // never the media's
    EXPECT_EQ(has("sysedit") ? editor + " regedit /S \"" + media_ / "n.reg" + "\"" : "",
              edited ? edited->exe + " " + edited->commandLine : "");
    if (!started) continue;
    EXPECT_EQ("KQUninst.exe KBDTEST", RegText(HKEY_LOCAL_MACHINE, kProduct, "UninstallString"));
    UniqueKey key;
    ULARGE_INTEGER written{};
    RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KqT\\V", 0, KEY_READ, key.put());
    RegQueryInfoKeyA(key.get(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                     reinterpret_cast<FILETIME*>(&written));
    EXPECT_TRUE(close && close->timeMs <= written.QuadPart / 10000 &&
                written.QuadPart / 10000 <= started->timeMs);
  }
}

}  // namespace
