// Runs of the real Setup.exe as rows of a table: {Windows version, media (a setup script
// written here or a copy of examples\<example>), switches, files and registry values present,
// clicks} -> {exit code, programs started (folder|command line), files, registry values, texts}.
// <M> is the media folder, <SYS> and <WIN> the system and Windows folders. Files: "path=text",
// an .exe in the media being the logging double with text its options; after, "path" for none,
// "=@file" for examples\single's file. Registry: "HKLM\key|name=value" ("HKLM\key|name": none),
// those present put back after; after, the value as RegText gives it ("a|b|", "<no key>"...).
#pragma once
#include <commctrl.h>  // windows.h comes first, in the precompiled header

#include <list>

#include "TestSupport.h"
#include "UiDriver.h"

namespace setup_runs {

using namespace testing_support;

struct RunRow {
  const char* name;
  const char* windows = "winxp";        // what Wine tells Setup.exe
  const char* scripts = "SETUP2K.INI";  // the names the script is written under
  std::string script = "";  // after [Setup] and ProductName; <script> is the file's name
  const char* args = "/S";
  std::vector<std::string> files = {}, reg = {};
  const char* example = nullptr;         // the media: a copy of examples\<example> and its programs
  const char* kq = "";                   // the device library double's answers
  const char* hold = nullptr;            // a file that holdfile keeps in use while Setup runs
  std::vector<std::string> clicks = {};  // in order, "caption>button" (see Click)
  const char* shown = nullptr;           // the last such window's visible texts, "[text]" each
  DWORD exitCode = 0;
  std::vector<std::string> started = {};  // "folder|command line", in any order (see `order`)
  std::vector<std::string> after = {}, regAfter = {};
  std::vector<std::string> order = {};  // "END a.exe < START b.exe", EXIT for Setup's end
};

inline std::string Fill(const std::string& text, const std::string& media,
                        const std::string& script = "") {
  const std::string marked = Replace(Replace(text, "<M>", media), "<script>", script);
  return Replace(Replace(marked, "<SYS>", SystemDir()), "<WIN>", WindowsDir());
}

// The text before and after the first `mark`; after is "<none>" without one.
inline std::pair<std::string, std::string> Split(const std::string& text, const std::string& mark) {
  const size_t at = text.find(mark);
  return {text.substr(0, at), at == std::string::npos ? "<none>" : text.substr(at + mark.size())};
}

struct RegLine {
  RegLine(const std::string& line) {  // NOLINT: rows convert
    std::tie(key, value) = Split(line, "=");
    std::tie(key, name) = Split(key, "|");
    const std::string rootName = key.substr(0, key.find('\\'));
    root = rootName == "HKCU" ? HKEY_CURRENT_USER : rootName == "HKU" ? HKEY_USERS : root;
    key.erase(0, rootName.size() + 1);
  }
  HKEY root = HKEY_LOCAL_MACHINE;
  std::string key, name, value;
};

// Waits up to 20 s for a window or wizard page of this caption, checks its texts, presses button.
inline void Click(DWORD pid, const std::string& step, const char* shown) {
  const auto [caption, button] = Split(step, ">");
  for (DWORD t = GetTickCount(); GetTickCount() - t < 20000; Sleep(20)) {
    HWND top = ui::FindTopWindow("#32770", caption, 0, pid);
    HWND sheet = top ? top : ui::FindTopWindow("#32770", "", 0, pid);
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    if (page && ui::WindowText(page) != caption) page = nullptr;
    if (!top && !page) continue;
    std::string texts;
    for (const ui::Control& c : ui::Children(page ? page : top))
      texts += c.visible && !c.text.empty() ? "[" + c.text + "]" : "";
    EXPECT_EQ(shown ? shown : texts, texts) << caption;
    EXPECT_TRUE(!shown || page || !GetWindow(top, GW_OWNER)) << "a box owned by a hidden window";
    EXPECT_TRUE(ui::PressButton(sheet, button)) << step;
    return;
  }
  ADD_FAILURE() << "no window " << caption;
}

// Removes what the rows put outside the media.
inline void ResetPrefix(const RunRow& row) {
  for (const std::string& f : row.after)
    if (f[0] == '<') DeleteFileA(Fill(Split(f, "=").first, "").c_str());
  DeleteRegTree(HKEY_LOCAL_MACHINE, std::string(kUninstallRoot) + "VelmoraxKeyboard");
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) DeleteRegTree(root, kVendorRoot);
  DeleteRegTree(HKEY_USERS, ".DEFAULT\\Software\\Velmorax");
}

inline void RunSetupRow(const RunRow& row) {
  SCOPED_TRACE(row.name);
  ResetPrefix(row);
  ScopedRegValue version(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Setup.exe", "Version",
                         row.windows);
  std::list<ScopedRegValue> reg;
  for (const RegLine r : row.reg)
    reg.emplace_back(r.root, r.key, r.name, r.value == "<none>" ? nullptr : r.value.c_str());
  TempDir root("media");  // the media folder, its programs' log and the files of the doubles
  const std::string media = root / (row.example ? row.example : "Kbd Media");  // with a blank
  const std::string kq = root / "kq", held = root / "held", free = root / "free";
  ScopedEnv logEnv("SETUP_TEST_LOG", root / "calls.log"), kqConfig("KQSETUP_CONFIG", kq + ".cfg");
  WriteTextFile(kq + ".cfg", row.kq);
  const std::string examples = BinDir() + "\\examples\\";
  std::vector<std::string> files = row.files;
  if (row.example) {  // the example_media target puts them there; its programs are doubles
    std::filesystem::copy(examples + row.example, media, std::filesystem::copy_options::recursive);
    files.insert(files.end(), {"Tools\\check.exe=", "Tools\\welcome.exe="});
  }
  std::istringstream names(row.example ? "" : row.scripts);
  for (std::string name; names >> name;)  // these make the media folder too
    WriteTextFile(
        media + "\\" + name,
        Fill("[Setup]\r\nProductName=Velmorax Comfort Keyboard\r\n" + row.script, media, name));
  for (const char* file : {"Setup.exe", "kqsetup.dll"})
    CopyFileOrDie(BinDir() + "\\" + file, media + "\\" + file);
  for (const std::string& f : files) {  // an .exe is the logging double, with its options beside
    auto [path, text] = Split(f, "=");
    path = path[0] == '<' ? Fill(path, "") : media + "\\" + path;
    const bool exe = path.rfind(".exe") == path.size() - 4;
    WriteTextFile(exe ? path.substr(0, path.rfind('\\')) + "\\logprog.opt" : path, text);
    if (exe) CopyFileOrDie(BinDir() + "\\logprog.exe", path);
  }
  const std::string hold = row.hold ? Fill(row.hold, "") + " " + held + " " + free : "";
  HANDLE holder = row.hold ? Start(BinDir() + "\\holdfile.exe " + hold, "") : nullptr;
  for (DWORD t = GetTickCount(); holder && !PathExists(held) && GetTickCount() - t < 5000;)
    Sleep(20);

  DWORD pid = 0;
  HANDLE setup = Start("\"" + media + "\\Setup.exe\" " + row.args, media, &pid);
  ASSERT_NE(nullptr, setup);
  for (const std::string& click : row.clicks)
    Click(pid, click, &click == &row.clicks.back() ? row.shown : nullptr);
  EXPECT_EQ(row.exitCode, FinishProcess(setup, 30000));
  ULARGE_INTEGER exit;  // wall clock, as the doubles log it
  GetSystemTimeAsFileTime(reinterpret_cast<FILETIME*>(&exit));
  WriteTextFile(free, "");
  EXPECT_EQ(0u, holder ? FinishProcess(holder, 5000) : 0) << "holdfile could not hold the file";

  // The log once the row's programs have started and every started one has ended.
  std::vector<LogLine> log;
  for (DWORD t = GetTickCount(); GetTickCount() - t < 15000; Sleep(100)) {
    log = ReadLog(root / "calls.log");
    size_t starts = 0, ends = 0;
    for (const LogLine& l : log) starts += l.kind == "START", ends += l.kind == "END";
    if (starts >= row.started.size() && ends >= starts) break;
  }
  // Programs started without waiting log in any order: `order` holds what must come first.
  std::multiset<std::string> expected, started;
  for (const std::string& s : row.started) expected.insert(Fill(s, media));
  for (const LogLine& l : log)  // a blank in the path must not start another program
    if (l.kind == "START")
      started.insert(l.cwd + "|" + l.commandLine +
                     (l.commandLine.find(l.exe) == std::string::npos ? " ran " + l.exe : ""));
  EXPECT_EQ(expected, started);
  for (const std::string& f : row.after) {
    auto [path, want] = Split(Fill(f, media), "=");
    if (f[0] != '<') path = media + "\\" + path;
    if (want[0] == '@') want = ReadTextFile(examples + "single\\" + want.substr(1));
    EXPECT_EQ(want, PathExists(path) ? ReadTextFile(path) : "<none>") << path;
  }
  for (const std::string& line : row.regAfter) {
    const RegLine r(Fill(line, media));
    const auto read = [&] { return RegText(r.root, r.key, r.name); };
    // A registry file is imported by a program Setup does not wait for.
    for (DWORD t = GetTickCount(); read() != r.value && GetTickCount() - t < 5000;) Sleep(50);
    EXPECT_EQ(r.value, read()) << r.key << "|" << r.name;
  }
  auto at = [&](const std::string& event) {  // "START a.exe": a program path's end
    auto [kind, exe] = Split(event, " ");
    const LogLine* line = FindLine(log, kind, "\\" + exe);
    EXPECT_TRUE(line || event == "EXIT") << event;
    return line ? line->timeMs : exit.QuadPart / 10000;
  };
  for (const std::string& o : row.order) {
    auto [before, later] = Split(o, " < ");
    EXPECT_LE(at(before), at(later)) << o;
  }
  ResetPrefix(row);
}

}  // namespace setup_runs
