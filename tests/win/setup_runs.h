// Runs of the real Setup.exe as rows of a table: {Windows version, setup
// script, switches, files and registry values present} -> {programs started
// with their folders and command lines, files, registry values, message
// box, exit code}. In every text <M> is the media folder, <SYS> and <WIN>
// the system and Windows folders.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "TestSupport.h"
#include "UiDriver.h"

namespace setup_runs {

using namespace testing_support;

struct RunRow {
  const char* name;
  const char* windows = "winxp";        // what Wine tells Setup.exe
  const char* scripts = "SETUP2K.INI";  // the names the script is written under
  std::string script = "";              // after [Setup] and ProductName; <script> is the file's name
  const char* args = "/S";
  std::vector<std::string> files = {};  // "path=text"; an .exe is the logging double, text its options
  std::vector<std::string> reg = {};    // "HKLM\key\name=value", put back after
  const char* media = "media";
  DWORD exitCode = 0;
  std::vector<std::string> started = {};   // "folder|command line" in the order started
  std::vector<std::string> after = {};     // "path=text", or "path" for none
  std::vector<std::string> regAfter = {};  // as reg; the key is removed after the run
  const char* box = nullptr;               // the message box's text, answered OK
  std::vector<std::string> order = {};     // "END a.exe < START b.exe" in the double's log; EXIT: Setup's end
};

inline std::string Fill(std::string text, const std::string& media, const std::string& script = "") {
  for (auto [mark, value] : {std::pair<std::string, std::string>{"<M>", media},
                             {"<script>", script},
                             {"<SYS>", SystemDir()},
                             {"<WIN>", WindowsDir()}})
    for (size_t at; (at = text.find(mark)) != std::string::npos;) text.replace(at, mark.size(), value);
  return text;
}

// "HKCU\key\name=value" (or HKLM).
struct RegLine {
  RegLine(const std::string& line)
      : root(line.compare(0, 4, "HKCU") ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER),
        key(line.substr(5, line.rfind('\\', line.find('=')) - 5)),
        name(line.substr(key.size() + 6, line.find('=') - key.size() - 6)),
        value(line.substr(line.find('=') + 1)) {}
  HKEY root;
  std::string key, name, value;
};

inline unsigned long long EventTime(const std::vector<LogLine>& log, const std::string& event,
                                    unsigned long long exit) {
  if (event == "EXIT") return exit;
  size_t blank = event.find(' ');
  const LogLine* line = FindLine(log, event.substr(0, blank), "\\" + event.substr(blank + 1));
  EXPECT_NE(nullptr, line) << event;
  return line ? line->timeMs : 0;
}

inline void RunSetupRow(const RunRow& row) {
  SCOPED_TRACE(row.name);
  ScopedWineVersion version("Setup.exe", row.windows);
  std::vector<std::unique_ptr<ScopedRegValue>> reg;
  for (const RegLine r : row.reg)
    reg.push_back(std::make_unique<ScopedRegValue>(r.root, r.key, r.name, r.value.c_str()));
  SetupMedia m(row.media);
  std::istringstream names(row.scripts);
  for (std::string name; names >> name;)
    m.Write(name, Fill("[Setup]\r\nProductName=Velmorax Comfort Keyboard\r\n" + row.script, m.media(), name));
  for (const std::string& f : row.files) {
    std::string path = f.substr(0, f.find('=')), text = f.substr(f.find('=') + 1);
    path.rfind(".exe") == path.size() - 4 ? m.AddDouble(path, text) : m.Write(path, text);
  }

  DWORD pid = 0;
  HANDLE setup = Start("\"" + m.setupPath() + "\" " + row.args, m.media(), &pid);
  ASSERT_NE(nullptr, setup);
  if (row.box) {
    HWND box = ui::FindTopWindow("#32770", "Setup Warning", 20000, pid);
    ASSERT_NE(nullptr, box) << "no message box";
    std::string texts;
    for (const ui::Control& c : ui::Children(box))
      texts += c.visible && !c.text.empty() ? "[" + c.text + "]" : "";
    EXPECT_EQ("[OK][" + std::string(row.box) + "]", texts) << "its text and one button";
    EXPECT_EQ(nullptr, GetWindow(box, GW_OWNER));
    EXPECT_TRUE(ui::PressButton(box, "OK"));
  }
  EXPECT_EQ(row.exitCode, FinishProcess(setup, 30000));
  const unsigned long long exit = NowMs();

  std::vector<LogLine> log = m.WaitForEnds(row.started.size());
  std::vector<std::string> expected, started;
  for (const std::string& s : row.started) expected.push_back(Fill(s, m.media()));
  for (const LogLine& l : Starts(log)) {
    started.push_back(l.cwd + "|" + l.commandLine);
    EXPECT_NE(std::string::npos, l.commandLine.find(l.exe)) << l.exe << " ran, not the program named";
  }
  EXPECT_EQ(expected, started);
  for (const std::string& f : row.after) {
    std::string path = m.media() + "\\" + f.substr(0, f.find('='));
    EXPECT_EQ(f.find('=') == std::string::npos ? "<none>" : f.substr(f.find('=') + 1),
              PathExists(path) ? ReadTextFile(path) : "<none>")
        << path;
  }
  for (const RegLine r : row.regAfter) {
    EXPECT_EQ(r.value, RegText(r.root, r.key, r.name)) << r.key << "\\" << r.name;
    DeleteRegTree(r.root, r.key);
  }
  for (const std::string& o : row.order)
    EXPECT_LE(EventTime(log, o.substr(0, o.find(" < ")), exit),
              EventTime(log, o.substr(o.find(" < ") + 3), exit))
        << o;
}

}  // namespace setup_runs
