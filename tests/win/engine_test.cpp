// The install engine on the real system: files copied, kept, set aside for
// the restart and put back after a cancel; registry values and files;
// programs started and stopped; the uninstall records; the worker.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <tlhelp32.h>
// clang-format on
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

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
using Dir = testing_support::TempDir;  // the engine has a TempDir of its own
const std::string kTemp0 = WindowsDir() + "\\_QuessorTempDir0",
                  kProduct = kUninstallRoot + std::string("KBDTEST");

// The progress page (the dialog from the resources) in a hidden window
// that stands for the property sheet.
struct TestPage {
  explicit TestPage(const char* sheetClass = "STATIC") {
    sheet =
        CreateWindowA(sheetClass, "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    hwnd = CreateDialogParamA(
        nullptr, MAKEINTRESOURCEA(IDD_PROGRESS), sheet,
        [](HWND, UINT m, WPARAM, LPARAM) -> INT_PTR { return m == WM_INITDIALOG; }, 0);
  }
  ~TestPage() { DestroyWindow(sheet); }
  HWND sheet, hwnd;
};

// Engine code on a thread of its own, as the worker runs it, while this
// thread serves the page.
struct Worker {
  explicit Worker(std::function<void()> body) : body(std::move(body)) {
    thread = CreateThread(
        nullptr, 0, [](void* w) -> DWORD { return static_cast<Worker*>(w)->body(), 0; }, this, 0,
        nullptr);
  }
  ~Worker() { Join(30000), CloseHandle(thread); }
  bool Join(DWORD ms) {  // true when it ended within ms
    for (DWORD start = GetTickCount(); GetTickCount() - start <= ms; Pump())
      if (MsgWaitForMultipleObjects(1, &thread, FALSE, 20, QS_ALLINPUT) == WAIT_OBJECT_0)
        return true;
    return false;
  }
  std::function<void()> body;
  HANDLE thread;
};

// Every file below dir, sorted: "name=text@year " (a test DLL by its name),
// "+ro" when read-only, "+hs" when hidden or system; "(none)": no folder.
void ListFiles(const std::string& dir, const std::string& prefix, std::vector<std::string>& out) {
  static std::map<std::string, std::string> dlls;
  WIN32_FIND_DATAA d;
  HANDLE find = FindFirstFileA((BinDir() + "\\ver_*.dll").c_str(), &d);
  for (BOOL more = dlls.empty() && find != INVALID_HANDLE_VALUE; more;
       more = FindNextFileA(find, &d))
    dlls[ReadTextFile(BinDir() + "\\" + d.cFileName)] =
        std::string(d.cFileName, strlen(d.cFileName) - 4);
  if ((find = FindFirstFileA((dir + "\\*").c_str(), &d)) == INVALID_HANDLE_VALUE)
    return out.push_back("(none)");
  do {
    std::string name = d.cFileName, path = dir + "\\" + name, text = ReadTextFile(path);
    SYSTEMTIME st;
    FileTimeToSystemTime(&d.ftLastWriteTime, &st);
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (name != "." && name != "..") ListFiles(path, prefix + name + "\\", out);
      continue;
    }
    text = prefix + name + "=" + (dlls.count(text) ? dlls[text] : text) + "@" +
           std::to_string(st.wYear);
    if (d.dwFileAttributes & FILE_ATTRIBUTE_READONLY) text += "+ro";
    out.push_back(text + (d.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)
                              ? "+hs "
                              : " "));
  } while (FindNextFileA(find, &d));
  FindClose(find);
}

std::string Listing(const std::string& dir) {
  std::vector<std::string> files;
  ListFiles(dir, "", files);
  std::sort(files.begin(), files.end());
  std::string out;
  for (const std::string& f : files) out += f;
  return out;
}

// A double that runs until the end of the case: holdfile keeping a file in
// use (mode "", share-read, share-delete or load), or windowprog.
struct Program {
  Program(const std::string& file, const std::string& mode) {
    process = Start("\"" + BinDir() + "\\holdfile.exe\" \"" + file + "\" \"" + flags / "ready" +
                        "\" \"" + flags / "go" + "\" " + mode,
                    "");
    for (int i = 0; i < 500 && !PathExists(flags / "ready"); ++i) Sleep(10);
    EXPECT_TRUE(PathExists(flags / "ready")) << "holdfile did not take " << file;
  }
  Program(const std::string& cls, const std::string& title, const std::string& mode) {
    wait = 0, process =
        Start("\"" + BinDir() + "\\windowprog.exe\" \"" + cls + "\" \"" + title + "\" " + mode, "");
    for (int i = 0; i < 500 && !FindWindowA(cls.c_str(), title.c_str()); ++i) Sleep(10);
  }
  ~Program() { WriteTextFile(flags / "go", ""), FinishProcess(process, wait); }
  Dir flags{"hold"};
  HANDLE process;
  DWORD wait = 5000;  // holdfile ends when told, windowprog not
};

// Waits until no registry editor runs: it imports on its own time.
void WaitForEditors() {
  for (bool running = true; running; Sleep(50)) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 e{};
    e.dwSize = sizeof e;
    running = false;
    for (BOOL ok = Process32First(snap, &e); ok; ok = Process32Next(snap, &e))
      running |= !lstrcmpiA(e.szExeFile, "regedit.exe");
    CloseHandle(snap);
  }
}

// Each case and row starts a fresh run: settings, table, engine and record
// state, empty media and destination folders, no registry leftovers.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override { Fresh(); }
  void TearDown() override { Fresh(); }
  void Fresh() {
    for (const char* n : {"0", "1", "2"}) RemoveTree(WindowsDir() + "\\_QuessorTempDir" + n);
    DeleteFileA((WindowsDir() + "\\wininit.ini").c_str());
    for (const Dir* d : {&media_, &dest_}) RemoveTree(d->path()), MakeDirs(d->path());
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT, HKEY_USERS})
      DeleteRegTree(root, "KqT"), DeleteRegTree(root, "Software\\KqT");
    RegDeleteValueA(HKEY_CURRENT_USER, "KqT");
    DeleteRegTree(HKEY_LOCAL_MACHINE, kProduct), DeleteRegTree(HKEY_LOCAL_MACHINE, kVendorRoot);
    ResetSettings(Settings), ResetFileTable(), ResetEngineState(), ResetUninstallRecordState();
    if (PauseEvent == nullptr) PauseEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    SetEvent(PauseEvent);
    CopyText(Settings.ModuleDir, media_.path().c_str());
    CopyText(Settings.ScriptPath, (media_ / "SETUP.INI").c_str());
    CopyText(Settings.UninstallKey, "KBDTEST");
    CloseAnswerMs = ProcessEndMs = ClosePauseMs = 300;
    script_.clear(), DeleteFileA(log_.c_str());
  }
  // "m:" media or "d:" destination name=text[@year][+ro|+hs] (years 2004
  // and 2003 else; text ver_* is that test DLL; a name ending in \ is a
  // folder), or "l:" a "Copy Files" line ($ the destination folder, ~ a
  // name that makes the path just too long).
  void Put(const std::string& spec) {
    std::string body = spec.substr(2), path = (spec[0] == 'm' ? media_ : dest_).path() + "\\";
    if (spec[0] == 'l') {
      for (size_t at; (at = body.find_first_of("$~")) != std::string::npos;)
        body.replace(at, 1,
                     body[at] == '$' ? dest_.path() : std::string(254 - dest_.path().size(), 'x'));
      return Script("Copy Files", {script_ += body + "\r\n"});
    }
    if (body.back() == '\\') return MakeDirs(path + body);
    size_t eq = body.find('='), at = body.find('@'), plus = body.find('+');
    std::string text = body.substr(eq + 1, std::min(at, plus) - eq - 1);
    MakeDirs((path += body.substr(0, eq)).substr(0, path.rfind('\\')));
    if (text.rfind("ver_", 0) == 0)
      CopyFileOrDie(BinDir() + "\\" + text + ".dll", path);
    else
      WriteTextFile(path, text);
    SYSTEMTIME st{WORD(at != std::string::npos ? std::stoi(body.substr(at + 1))
                       : spec[0] == 'm'        ? 2004
                                               : 2003),
                  1, 0, 1, 12, 0, 0, 0};
    FILETIME ft;
    HANDLE file =
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SystemTimeToFileTime(&st, &ft), SetFileTime(file, nullptr, nullptr, &ft), CloseHandle(file);
    if (plus != std::string::npos)
      SetFileAttributesA(path.c_str(), body.substr(plus) == "+ro" ? 1 : 7);
  }
  // A setup script of one section (lines without a key get one) and more.
  void Script(const std::string& section, const std::vector<std::string>& lines,
              const std::string& more = "") {
    std::string text = "[" + section + "]\r\n";
    for (size_t i = 0; i < lines.size(); ++i)
      text += (lines[i].find('=') == std::string::npos ? "L" + std::to_string(i) + "=" : "") +
              lines[i] + "\r\n";
    WriteTextFile(media_ / "SETUP.INI", text + more);
    FileCount = ReadCopyFiles();
  }
  Dir media_{"media"}, dest_{"dest"};
  std::string script_, log_ = media_ / "calls.log";
  ScopedEnv logEnv_{"SETUP_TEST_LOG", log_};
};

// Each row: the copy step on a thread of its own, then a confirmed cancel
// (with "keep" the worker's end). Setup: Put's specs and cab:<cabinet> (the
// temporary folder is listed after "/"), hold:<name>:<mode> (until the
// cancel), nobackup, full (rename list), entry (an uninstall entry from
// before the run), pause (the question open at the first file, then
// answered; "cancel": Exit Setup). Expected: the destination after the
// step|numbered names for the restart|InstallResult|DeleteFiles records.
// After a cancel the destination is as before the run, the temporary
// folder gone, and this run's records too.
TEST_F(EngineTest, CopyStepThenCancelLeavesEveryDestinationAsBefore) {
  const std::string dll = "m:K.DLL=ver_both_1235 d:K.DLL=ver_both_1234 l:K.DLL=$ hold:K.DLL:";
  const std::string held = "K.0=ver_both_1235@2004 K.DLL=ver_both_1234@2003 |K.0|0|K.DLL";
  const std::string alpha = "alpha.txt=alpha from the cabinet\r\n@2003 ",
                    shared = "shared.txt=shared by two rows\r\n@2004 ";
  const std::string rows[][2] = {
      {"m:new.txt=N m:same.txt=S@2003 d:same.txt=s m:later.txt=L d:later.txt=l+ro m:hid.txt=H+hs "
       "l:new.txt=$ l:same.txt=$ l:later.txt=$ l:hid.txt=$ l:gone.txt=$,renamed.txt",
       "hid.txt=H@2004 later.txt=L@2004 new.txt=N@2004 same.txt=s@2003 ||0|hid.txt later.txt "
       "new.txt renamed.txt same.txt"},
      // Older by both kinds; newer by the text only; newer by the text of a
      // file without a fixed version; older by the text of another language;
      // no kind on both, so the dates decide.
      {"m:a.dll=ver_both_1234@2005 d:a.dll=ver_both_1235@1999 m:b.dll=ver_fixed_old_text_new@1999 "
       "d:b.dll=ver_both_1234@2005 m:c.dll=ver_string_only@1999 d:c.dll=ver_both_1234@2005 "
       "m:d.dll=ver_german_1252@2005 d:d.dll=ver_string_only@1999 m:e.dll=ver_fixed_only@1999 "
       "d:e.dll=ver_string_only@2005 l:a.dll=$ l:b.dll=$ l:c.dll=$ l:d.dll=$ l:e.dll=$ keep",
       "a.dll=ver_both_1235@1999 b.dll=ver_fixed_old_text_new@1999 c.dll=ver_string_only@1999 "
       "d.dll=ver_string_only@1999 e.dll=ver_string_only@2005 ||0|a.dll b.dll c.dll d.dll e.dll"},
      {"m:orig.txt=O m:one\\two\\deep.txt=D d:given.txt=g l:orig.txt=$,given.txt "
       "l:one\\two\\deep.txt=$",
       "deep.txt=D@2004 given.txt=O@2004 ||0|deep.txt given.txt"},
      {"m:odd.txt\\ d:odd.txt=mine@1990 l:odd.txt=$", "odd.txt=mine@1990 ||1|odd.txt"},
      {"m:a\\x.txt=1 m:b\\x.txt=2@2030 d:x.txt=before l:a\\x.txt=$ l:b\\x.txt=$ entry",
       "x.txt=2@2030 ||0|x.txt"},
      {"m:r.txt=new d:r.txt=old l:r.txt=$ nobackup", "r.txt=new@2004 ||0|r.txt"},
      {"m:a.txt=A l:a.txt=$\\~", "||0|"},
      {"m:a.txt=A l:a.txt=$\\none", "||3|a.txt"},
      {"m:K.DLL=K@2030 d:K.DLL\\ d:K.0\\ d:K.1\\ d:K.2\\ d:K.3\\ d:K.4\\ d:K.5\\ d:K.6\\ d:K.7\\ "
       "d:K.8\\ d:K.9\\ l:K.DLL=$",
       "||1|K.DLL"},
      {dll, held},
      {dll + "share-read", held},
      {dll + "share-delete", held},
      {dll + "load", held},
      {"m:K.DLL=new d:K.DLL=old d:K.0=other l:K.DLL=$ hold:K.DLL: hold:K.0:",
       "K.0=other@2003 K.1=new@2004 K.DLL=old@2003 |K.1|0|K.DLL"},
      {"m:K.DLL=new d:K.DLL=old l:K.DLL=$ hold:K.DLL: full", "K.DLL=old@2003 ||3|K.DLL"},
      {"m:K.DLL=new d:K.DLL=old@2030 l:K.DLL=$ hold:K.DLL:", "K.DLL=old@2030 ||0|K.DLL"},
      {"d:beta.dat=old@2000 d:second\\ m:sub\\s.txt=S l:alpha.txt=$ l:beta.dat=$ l:shared.txt=$ "
       "l:shared.txt=$\\second l:notincab.txt=$ l:sub\\s.txt=$ cab:good.cab",
       alpha + "beta.dat=beta from the cabinet, somewhat longer\r\n@2004 s.txt=S@2004 " + shared +
           "/(none)||0|alpha.txt beta.dat notincab.txt s.txt shared.txt"},
      {"l:alpha.txt=$ l:shared.txt=$ cab:good.cab keep",
       alpha + shared + "/(none)||0|alpha.txt shared.txt"},
      {"l:alpha.txt=$ cab:absent.cab", "/||3|"},
      {"l:alpha.txt=$ cab:garbage.cab", "/||3|"},
      {"l:alpha.txt=$ cab:truncated.cab", "/||3|"},
      {"cab:absent.cab", "/(none)||0|"},  // an empty table looks for no cabinet
      {"m:alpha.txt=a m:shared.txt=s l:alpha.txt=$ l:shared.txt=$ pause",
       "alpha.txt=a@2004 shared.txt=s@2004 ||0|alpha.txt shared.txt"},
      {"m:alpha.txt=a m:shared.txt=s l:alpha.txt=$ l:shared.txt=$ pause cancel",
       "||0|alpha.txt"},
      {"l:alpha.txt=$ l:shared.txt=$ cab:good.cab pause",
       alpha + shared + "/(none)||0|alpha.txt shared.txt"},
      {"l:alpha.txt=$ l:shared.txt=$ cab:good.cab pause cancel", "/(none)||0|alpha.txt shared.txt"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    Fresh();
    std::vector<std::unique_ptr<Program>> holders;
    std::istringstream words(row[0]);
    std::string word, flags, before;
    while (words >> word) {
      if (word.size() > 1 && word[1] == ':') Put(word);
      if (word.rfind("cab:", 0) == 0)
        Settings.CabFile = 1,
        CopyText(Settings.CabFileName, (BinDir() + "\\engine_cabinets\\" + word.substr(4)).c_str());
      if (word.find(':') == std::string::npos) flags += word + " ";
      if (word.rfind("hold:", 0) != 0) continue;
      if (holders.empty()) before = Listing(dest_.path());
      holders.push_back(std::make_unique<Program>(dest_ / word.substr(5, word.rfind(':') - 5),
                                                  word.substr(word.rfind(':') + 1)));
    }
    if (holders.empty()) before = Listing(dest_.path());
    auto has = [&](const char* flag) { return flags.find(flag) != std::string::npos; };
    if (has("entry")) RecordDeleteDirectory("C:\\Kbd", "1", 2), ResetUninstallRecordState();
    if (has("nobackup")) CopyText(BackupDir, (dest_ / "none").c_str());
    if (has("full")) PendingRenameCount = kPendingRenameRows;
    if (has("pause")) ResetEvent(PauseEvent);
    TestPage page;
    bool stepped = false;
    Worker worker([&] { stepped = CopyStep(page.hwnd); });
    if (has("pause")) {
      EXPECT_FALSE(worker.Join(200)) << "held at the first file";
      EXPECT_EQ("", Listing(dest_.path()));
      char from[64] = "";
      GetDlgItemTextA(page.hwnd, kFromText, from, sizeof from);
      EXPECT_STREQ(Settings.CabFile ? "" : "alpha.txt", from);  // the page names the held file
      CancelRequested = has("cancel");  // the page's order: the flag, then the event
      SetEvent(PauseEvent);
    }
    ASSERT_TRUE(worker.Join(30000));
    EXPECT_EQ(InstallResult == 0 && !has("cancel"), stepped);
    holders.clear();  // a file held without sharing cannot be read
    const std::string after =
        Listing(dest_.path()) + (Settings.CabFile ? "/" + Listing(kTemp0) : "");
    std::string got = after + "|";
    for (int i = has("full") ? kPendingRenameRows : 0; i < PendingRenameCount; ++i)
      got += PendingRenames[i].TempPath + dest_.path().size() + 1;
    std::vector<std::string> names = RegValueNames(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteFiles");
    std::sort(names.begin(), names.end());
    got += "|" + std::to_string(InstallResult) + "|";
    for (const std::string& n : names) got += (&n == &names[0] ? "" : " ") + n;
    EXPECT_EQ(row[1], got);

    const std::string backups = BackupDir;
    if (has("keep"))
      DiscardBackups();
    else
      CancelRequested = 1, CancelCleanup();
    EXPECT_EQ(has("keep") || has("nobackup") ? after : before + (Settings.CabFile ? "/(none)" : ""),
              Listing(dest_.path()) + (Settings.CabFile ? "/" + Listing(kTemp0) : ""));
    EXPECT_EQ(has("keep") || has("entry"), RegKeyExists(HKEY_LOCAL_MACHINE, kProduct));
    for (const std::string& n : names)
      EXPECT_EQ(
          has("keep") || has("entry"),
          RegValueNames(HKEY_LOCAL_MACHINE, kVendorRoot + ("\\Uninstall\\SharedFile\\" + n)).size())
          << n;
    EXPECT_TRUE(backups.empty() || !PathExists(backups)) << "backups left in " << backups;
  }
}

// A destination that a failed copy damaged and that cannot be put back at
// once keeps its tracked backup at the worker's end; the cleanup brings the
// original back once the file is free.
TEST_F(EngineTest, ADamagedDestinationKeepsItsBackupUntilItIsBack) {
  for (const char* spec : {"m:KBD.DLL=new", "d:KBD.DLL=old", "l:KBD.DLL=$"}) Put(spec);
  ASSERT_TRUE(BackupDestination(0, (dest_ / "KBD.DLL").c_str()));
  const std::string backups = BackupDir;
  FileTable[0].Existed = FileTable[0].BackedUp = FileTable[0].RestorePending = 1;
  WriteTextFile(dest_ / "KBD.DLL", "half a new fi");
  Program(dest_ / "KBD.DLL", ""), DiscardBackups();  // the worker's end while the file is held
  EXPECT_EQ(1, FileTable[0].BackedUp);
  CancelCleanup();
  EXPECT_EQ("KBD.DLL=old@2003 ", Listing(dest_.path()));
  EXPECT_FALSE(PathExists(backups));
}

// Held files replaced by a real restart ("wineboot -r"): KBD.DLL by the
// delayed move, HOOK.DLL through wininit.ini, whose rename program runs
// before Windows and knows only short names (the destination's are long);
// nothing for an index outside the list. Then on 98 and ME, wininit.ini
// when the delayed move is refused (an empty name).
TEST_F(EngineTest, HeldFilesAreReplacedAtTheRestart) {
  ScopedRegValue pending(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                         "PendingFileRenameOperations", nullptr);
  for (const char* spec : {"m:KBD.DLL=new", "d:KBD.DLL=old", "m:HOOK.DLL=new", "d:HOOK.DLL=old",
                           "l:KBD.DLL=$", "l:HOOK.DLL=$"})
    Put(spec);
  {
    Program kbd(dest_ / "KBD.DLL", ""), hook(dest_ / "HOOK.DLL", "");
    ASSERT_TRUE(CopyStep(TestPage().hwnd));
    RenameAtRestart(0);
    Settings.IsWin95 = 1;
    for (int index : {1, 2, -1, kPendingRenameRows}) RenameAtRestart(index);
  }
  char shortFinal[MAX_PATH] = "", shortTemp[MAX_PATH] = "";
  GetShortPathNameA((dest_ / "HOOK.DLL").c_str(), shortFinal, MAX_PATH);
  GetShortPathNameA((dest_ / "HOOK.0").c_str(), shortTemp, MAX_PATH);
  ASSERT_NE(dest_ / "HOOK.DLL", shortFinal) << "a folder with a long name";
  EXPECT_EQ("[Rename]\r\n" + std::string(shortFinal) + "=" + shortTemp + "\r\n",
            ReadTextFile(WindowsDir() + "\\wininit.ini"));
  EXPECT_EQ("HOOK.0=new@2004 HOOK.DLL=old@2003 KBD.0=new@2004 KBD.DLL=old@2003 ",
            Listing(dest_.path()));
  ASSERT_TRUE(testing_support::Run(SystemDir() + "\\wineboot.exe -r", "", 60000).finished);
  EXPECT_EQ("HOOK.DLL=new@2004 KBD.DLL=new@2004 ", Listing(dest_.path()));

  DeleteFileA((WindowsDir() + "\\wininit.ini").c_str());
  PendingRenames[0] = {"B", ""}, PendingRenames[1] = {"C:\\A", "C:\\a"};
  Settings.IsWin95 = 0, Settings.IsWin9x = 1;
  RenameAtRestart(0), RenameAtRestart(1);
  EXPECT_EQ("[Rename]\r\nB=\r\n", ReadTextFile(WindowsDir() + "\\wininit.ini"));
}

// Each value kind and root written to the real registry and recorded for
// the uninstaller under the root's full name, but not a value in a root
// itself. Expected: root|key|name|type:bytes.
TEST_F(EngineTest, AddRegistryWritesAndRecordsEveryKind) {
  const std::string rows[][2] = {
      {"HKLM,Software\\KqT\\Only", "HKEY_LOCAL_MACHINE|Software\\KqT\\Only||none"},
      {"hkcu,Software\\KqT\\Sub,", "HKEY_CURRENT_USER|Software\\KqT\\Sub||1:00"},
      {"HkCr,KqT,Name", "HKEY_CLASSES_ROOT|KqT|Name|1:00"},
      {"HKLM ,KqT,Blank,0,x", "HKEY_USERS|KqT|Blank|1:7800"},
      {"HKLM,Software\\KqT,One,1,1", "HKEY_LOCAL_MACHINE|Software\\KqT|One|4:01000000"},
      {"HKLM,Software\\KqT,Two,1,01,ff", "HKEY_LOCAL_MACHINE|Software\\KqT|Two|3:01ff"},
      {"HKLM,Software\\KqT,,0,d", "HKEY_LOCAL_MACHINE|Software\\KqT||1:6400"},
      {"HKCU,,KqT,0,r", "HKEY_CURRENT_USER||KqT|1:7200"},
  };
  std::vector<std::string> lines;
  for (auto& row : rows) lines.push_back(row[0]);
  Script("Add Registry", lines);
  AddRegistry();
  size_t records = 0;
  for (auto& row : rows) {
    std::string part[4], got = "none";
    std::istringstream in(row[1]);
    for (std::string& p : part) std::getline(in, p, '|');
    HKEY key = nullptr, root = part[0][5] == 'L'    ? HKEY_LOCAL_MACHINE
                               : part[0][5] == 'U'  ? HKEY_USERS
                               : part[0][6] == 'U' ? HKEY_CURRENT_USER
                                                    : HKEY_CLASSES_ROOT;
    BYTE data[64];
    DWORD size = sizeof data, type = 0;
    RegOpenKeyExA(root, part[1].c_str(), 0, KEY_READ, &key);
    if (!RegQueryValueExA(key, part[2].c_str(), nullptr, &type, data, &size))
      got = std::to_string(type) + ":";
    for (DWORD i = 0; got != "none" && i < size; ++i)
      got += std::string{"0123456789abcdef"[data[i] / 16], "0123456789abcdef"[data[i] % 16]};
    RegCloseKey(key);
    EXPECT_EQ(part[3], got) << row[0];
    if (part[1].empty()) continue;
    std::string record = part[1] + (part[2].empty() ? "" : "\\\\" + part[2]);
    EXPECT_EQ(part[2], RegText(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteRegs\\" + part[0], record))
        << row[0];
    EXPECT_EQ(part[2],
              RegText(HKEY_LOCAL_MACHINE,
                      kVendorRoot + ("\\Uninstall\\SharedReg\\KBDTEST\\" + part[0]), record));
    ++records;
  }
  for (auto& root : RegSubKeys(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteRegs"))
    records -= RegValueNames(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteRegs\\" + root).size();
  EXPECT_EQ(0u, records) << "one record a line";
}

// The registry files of the user's locale (from the NT key, the 9x key, or
// "00000409" when neither is readable), imported by the editor of the
// Windows folder, never one planted in the media or the current folder.
TEST_F(EngineTest, AddRegistryFilesOfTheUsersLocaleByTheWindowsEditor) {
  for (std::string name : {"a", "b", "c", "Sub Dir\\d", "e"})
    WriteFileMakingDirs(media_ / (name + ".reg"),
                        "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\KqT]\r\n\"" +
                            name.substr(name.size() - 1) + "\"=\"1\"\r\n");
  Script("Add Registry Files", {"a.reg,00000409", "b.reg,00000407", "c.reg", "missing.reg,00000407",
                                "\"Sub Dir\\d.reg\",0000040C", "e.reg,  0000040c"});
  CopyFileOrDie(BinDir() + "\\logprog.exe", media_ / "regedit.exe");
  CopyFileOrDie(BinDir() + "\\logprog.exe", dest_ / "regedit.exe");
  char oldCurrent[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof oldCurrent, oldCurrent);
  SetCurrentDirectoryA(dest_.path().c_str());
  const char* rows[][4] = {{"1", "00000407", "00000409", "b"},
                           {"0", "00000407", "0000040c", "de"},
                           {"1", nullptr, "0000040c", "a"}};
  for (auto& row : rows) {
    ScopedRegValue nt(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", row[1]);
    ScopedRegValue nine(HKEY_CURRENT_USER, "Control Panel\\Desktop\\ResourceLocale", "", row[2]);
    Settings.IsNT = *row[0] == '1';
    AddRegistryFiles(), WaitForEditors();
    std::string imported;
    for (const char* name : {"a", "b", "c", "d", "e"})
      imported += RegText(HKEY_CURRENT_USER, "Software\\KqT", name) == "1" ? name : "";
    EXPECT_EQ(row[3], imported) << "NT " << row[0];
    DeleteRegTree(HKEY_CURRENT_USER, "Software\\KqT");
  }
  SetCurrentDirectoryA(oldCurrent);
  EXPECT_EQ("", ReadTextFile(log_)) << "a planted regedit.exe ran";
}

// Started in their folder, the parameters one argument; none in preload mode.
TEST_F(EngineTest, RunProgramsInTheirFolderWithOneArgument) {
  const std::string dir = media_ / "Prog Dir";
  MakeDirs(dir);
  for (const char* name : {"Tool.exe", "Tool2.exe", "Tool3.exe", "Tool4.exe"})
    CopyFileOrDie(BinDir() + "\\logprog.exe", dir + "\\" + name);
  Script("Run Programs",
         {"Tool.exe=" + dir + ",  /q a b", "Missing.exe=" + dir + ",x", "Tool2.exe=%1%\\Prog Dir",
          "Tool3.exe=%1%\\Prog Dir,C:\\dir\\", "Tool4.exe=%1%\\Prog Dir,%Quote%,more"},
         "[Strings]\r\nQuote=say \"hi\"\r\n");
  Settings.Preload = 1;
  RunPrograms();  // nothing: the log then holds only the next call's four
  Settings.Preload = 0;
  RunPrograms();
  std::vector<LogLine> starts = Starts(WaitForLog(log_, 8, 15000));
  std::string got;
  for (const char* name : {"Tool.exe", "Tool2.exe", "Tool3.exe", "Tool4.exe"}) {
    for (const LogLine& l : starts) {
      if (!SameText(l.exe, dir + "\\" + name)) continue;
      std::wstring wide(l.commandLine.begin(), l.commandLine.end());
      int count = 0;
      LPWSTR* argv = CommandLineToArgvW(wide.c_str(), &count);
      got += std::string(name) + (SameText(dir, l.cwd) ? "" : " elsewhere") + "(" +
             std::to_string(count - 1) + ":" +
             std::string(argv[count - 1], argv[count - 1] + wcslen(argv[count - 1])) + ") ";
      LocalFree(argv);
    }
  }
  EXPECT_EQ(4u, starts.size());
  EXPECT_EQ("Tool.exe(1:/q a b) Tool2.exe(1:) Tool3.exe(1:C:\\dir\\) Tool4.exe(1:say \"hi\") ",
            got);
}

// The first window of a line's class and title: its process ended on NT,
// asked to close then a pause on 9x; every wait bounded (here 300 ms each).
// Row: NT or 9x, lines, windows (class/title/mode,...), then per window 1
// when ended, the number of WM_CLOSE, the least and most milliseconds.
TEST_F(EngineTest, KillProgramsByClassAndTitleWithBoundedWaits) {
  const std::string rows[][4] = {
      {"NT", "A=KqTray,Tray A", "KqTray/Tray A/", "1 0 0 2000"},
      {"NT", "A=KqTray", "KqTray/Tray A/,KqTray//", "01 0 0 2000"},  // no title: an empty one
      {"NT", "A=KqNone,x\r\nB=KqTray,Tray A", "KqTray/Tray A/", "1 0 0 2000"},
      {"NT", "A=KqTray,Tray A", "KqTray/Tray A/hang", "1 0 0 2000"},
      {"NT", "A=KqTray,Tray A", "KqTray/Tray A/hang-exit", "0 0 300 2000"},
      {"9x", "A=KqTray,Tray A", "KqTray/Tray A/", "1 1 300 2000"},
      {"9x", "A=KqTray,Tray A", "KqTray/Tray A/hang", "0 0 600 2000"},
  };
  for (auto& row : rows) {
    SCOPED_TRACE(row[0] + " " + row[1] + " " + row[2]);
    Fresh();
    Script("Kill Programs", {row[1]});
    Settings.IsNT = row[0] == "NT";
    std::vector<std::unique_ptr<Program>> programs;
    std::istringstream windows(row[2] + ",");
    for (std::string cls, title, mode; std::getline(windows, cls, '/') &&
                                       std::getline(windows, title, '/') &&
                                       std::getline(windows, mode, ',');)
      programs.push_back(std::make_unique<Program>(cls, title, mode));
    DWORD start = GetTickCount(), elapsed = (KillPrograms(), GetTickCount() - start), least, most;
    std::string ended;
    for (auto& p : programs)
      ended += WaitForSingleObject(p->process, Settings.IsNT ? 0 : 2000)
                   ? "0"
                   : "1";  // 9x: it ends soon after
    std::vector<LogLine> log = ReadLog(log_);
    std::istringstream(row[3].substr(row[3].find(' ', 3))) >> least >> most;
    EXPECT_EQ(row[3].substr(0, row[3].find(' ', 3)),
              ended + " " +
                  std::to_string(std::count_if(
                      log.begin(), log.end(), [](const LogLine& l) { return l.kind == "CLOSE"; })));
    EXPECT_LE(least, elapsed + 20);  // the clock's tick
    EXPECT_GE(most, elapsed);
  }
}

// The product's entry, file records shared by name with another product,
// any other root under HKEY_USERS; nothing at all without an uninstall key.
TEST_F(EngineTest, UninstallRecords) {
  ScopedUninstallRecords other("OTHERKBD");
  CopyText(Settings.ProductName, "Keyboard"),
      CopyText(Settings.UninstallDisplayName, "Keyboard (remove)");
  RecordDeleteFile("C:\\A\\kbd.dll"), RecordDeleteFile("C:\\B\\kbd.dll"),
      RecordDeleteFile("bare.txt");
  RecordDeleteReg(HKEY_CURRENT_CONFIG, "Kbd", "");
  CopyText(Settings.UninstallKey, "OTHERKBD"), RecordDeleteFile("C:\\Other\\kbd.dll");
  const std::string shared = kVendorRoot + std::string("\\Uninstall\\SharedFile\\kbd.dll"),
                    rows[][3] = {{kProduct, "UninstallString", "KQUninst.exe KBDTEST"},
                                 {kProduct, "DisplayName", "Keyboard (remove)"},
                                 {kProduct + "\\DeleteFiles", "kbd.dll", "C:\\B"},
                                 {kProduct + "\\DeleteFiles", "bare.txt", ""},
                                 {shared, "KBDTEST", "C:\\B"},
                                 {shared, "OTHERKBD", "C:\\Other"},
                                 {kProduct + "\\DeleteRegs\\HKEY_USERS", "Kbd", ""}};
  for (auto& row : rows)
    EXPECT_EQ(row[2], RegText(HKEY_LOCAL_MACHINE, row[0], row[1])) << row[0] << " " << row[1];
  Settings.UninstallKey[0] = '\0';
  DeleteRegTree(HKEY_LOCAL_MACHINE, kVendorRoot);
  EXPECT_FALSE(RecordDeleteFile("C:\\K\\k.dll") || RecordDeleteDirectory("C:\\K", "0", 2) ||
               RecordDeleteReg(HKEY_CURRENT_USER, "K", "x"));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kVendorRoot));
}

std::string SheetMessages;  // what the stand-in sheet was sent, in order

LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == PSM_CANCELTOCLOSE) SheetMessages += "cancel-to-close ";
  if (message == PSM_PRESSBUTTON) SheetMessages += wParam == PSBTN_NEXT ? "next " : "other ";
  return DefWindowProcA(window, message, wParam, lParam);
}

// The worker: programs stopped first in every outcome, the installation
// folder made from its top level down (recorded when new), then the copy,
// the driver phase's text, the registry values and files, the programs
// started: each as the outcome allows. Expected: what happened (copied,
// registry written, registry file imported, program started, driver text
// shown)|sheet messages|InstallResult and CallConfigMg|folder record.
TEST_F(EngineTest, WorkerStepsInOrderAndWhatEachOutcomeLeavesOut) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = SheetProc;
  wc.lpszClassName = "KqTestSheet";
  RegisterClassA(&wc);
  ScopedRegValue locale(HKEY_CURRENT_USER, "Control Panel\\Desktop\\ResourceLocale", "",
                        "00000409");
  const std::string rows[][2] = {
      {"", "crisd|cancel-to-close next |01|0"},
      {"cab", "-----|next |31|0"},
      {"preload existing", "cri-d|cancel-to-close next |00|<no key>"},
      {"cancel", "-----||01|0"},  // the page closes the sheet
      {"nofiles resume",
       "-ri-d|cancel-to-close next |01|0"},  // "Exit Setup" still open after the copy
      {"nofiles exit", "-----||01|0"},
  };
  for (auto& row : rows) {
    SCOPED_TRACE(row[0]);
    Fresh();
    auto has = [&](const char* flag) { return row[0].find(flag) != std::string::npos; };
    CopyFileOrDie(BinDir() + "\\logprog.exe", media_ / "Tool.exe");
    WriteTextFile(
        media_ / "kq.reg",
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\KqT\\Import]\r\n\"imported\"=\"1\"\r\n");
    CopyText(Settings.InstallDir, (dest_ / "Top\\L2\\").c_str());
    if (has("existing")) MakeDirs(dest_ / "Top\\L2");
    Settings.AskPath = 1, Settings.IsNT = 0, Settings.CallConfigMg = 1,
    Settings.CabFile = has("cab"), Settings.Preload = has("preload");
    CancelRequested = has("cancel");
    Script("Kill Programs", {"A=KqWorkerTray,Tray"},
           std::string(has("nofiles") ? "" : "[Copy Files]\r\nTool.exe=%99%\r\n") +
               "[Add Registry]\r\nA=HKCU,Software\\KqT,written,0,x\r\n[Add Registry "
               "Files]\r\nA=kq.reg,00000409\r\n[Run Programs]\r\nTool.exe=%99%,go\r\n");
    SheetMessages.clear();
    Program window("KqWorkerTray", "Tray", "");
    TestPage page("KqTestSheet");
    if (has("resume") || has("exit")) ResetEvent(PauseEvent);
    {
      Worker worker([&] { InstallWorker(page.hwnd); });
      if (has("resume") || has("exit")) {
        EXPECT_FALSE(worker.Join(300)) << "went on while the question was open";
        CancelRequested = has("exit");
        SetEvent(PauseEvent);
      }
      EXPECT_TRUE(worker.Join(30000));
    }
    Pump(), WaitForEditors();
    const std::string tool = dest_ / "Top\\L2\\Tool.exe";
    std::vector<LogLine> log =
        WaitForLog(log_, 2 + PathExists(tool) * !has("preload") * 2,
                   5000);  // the window's start and close, Tool's start and end
    const LogLine* close = FindLine(log, "CLOSE", "windowprog.exe");
    const LogLine* started = FindLine(log, "START", "Tool.exe");
    std::string got =
        std::string(PathExists(tool) ? "c" : "-") +
        (RegText(HKEY_CURRENT_USER, "Software\\KqT", "written") == "x" ? "r" : "-") +
        (RegText(HKEY_CURRENT_USER, "Software\\KqT\\Import", "imported") == "1" ? "i" : "-") +
        (started ? "s" : "-") +
        (GetWindowLongA(GetDlgItem(page.hwnd, kDriverMessage), GWL_STYLE) & WS_VISIBLE ? "d" : "-");
    got += "|" + SheetMessages + "|" + std::to_string(InstallResult) +
           std::to_string(Settings.CallConfigMg) + "|";
    EXPECT_EQ(row[1],
              got + RegText(HKEY_LOCAL_MACHINE, kProduct + "\\DeleteDirectory", dest_ / "Top\\L2"));
    ASSERT_NE(nullptr, close) << "the programs are stopped first, in every outcome";
    if (!started) continue;
    // The started program is the installed copy; the registry came before it.
    HKEY key = nullptr;
    FILETIME written{};
    RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KqT", 0, KEY_READ, &key);
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, &written);
    RegCloseKey(key);
    const unsigned long long writtenMs =
        ((unsigned long long)written.dwHighDateTime << 32 | written.dwLowDateTime) / 10000;
    EXPECT_TRUE(SameText(tool, started->exe)) << started->exe;
    EXPECT_LE(close->timeMs, writtenMs);
    EXPECT_LE(writtenMs, started->timeMs);
  }
}

}  // namespace
