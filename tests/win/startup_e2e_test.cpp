// The real Setup.exe end to end under each Windows version Wine emulates.
#include "setup_runs.h"

using setup_runs::RunRow;

namespace {

const std::string kAllScripts = "SETUP95.INI SETUP98.INI SETUPME.INI SETUPNT.INI SETUP2K.INI";
const std::string kVersionNumber = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\VersionNumber=";
// The first stage a 32-bit Setup starts on 64-bit Windows, signalling.
const std::string kStage1 = "Stage1\\setup_x64.exe=--signal=100", kStage2 = "Stage2\\Setup.exe=";
const std::string kStages = "DirName1=Stage1\r\nDirName2=Stage2\r\n";
const std::string kCopy = "[Copy Files]\r\nkeyb.txt=<M>\\dest\r\n", kPayload = "keyb.txt=installed",
                  kDest = "dest\\keep.txt=", kInstalled = "dest\\keyb.txt=installed", kNotInstalled = "dest\\keyb.txt";

// Which script a Windows version reads: its one pre-run line names it.
RunRow Choice(const char* windows, const char* scripts, const char* chosen, std::vector<std::string> reg = {}) {
  RunRow r{.name = windows, .windows = windows, .scripts = scripts,
           .script = "DirName1=NoStage\r\n[PreRun Programs]\r\nprobe.exe=%1%\\Tools,<script>,1\r\n",
           .files = {"Tools\\probe.exe="}, .reg = reg};
  if (*chosen) r.started = {std::string("<M>|\"<M>\\Tools\\probe.exe\" ") + chosen};
  return r;
}

const RunRow kRuns[] = {
    Choice("win95", kAllScripts.c_str(), "SETUP95.INI"),
    Choice("win98", kAllScripts.c_str(), "SETUP98.INI", {kVersionNumber + "4.10.2222"}),
    Choice("winme", kAllScripts.c_str(), "SETUPME.INI", {kVersionNumber + "4.90.3000"}),
    Choice("winme", "SETUPME.INI SETUP98.INI", "SETUP98.INI", {kVersionNumber + "4.10.2222"}),  // ME by the number
    Choice("nt40", kAllScripts.c_str(), "SETUPNT.INI"),
    Choice("win2k", kAllScripts.c_str(), "SETUP2K.INI"),
    [] {  // no script for it: the warning, even when silent
      RunRow r = Choice("winxp", "SETUP95.INI SETUP98.INI", "");
      r.box = "Current O.S. is not supported by this software, please refer to the user's manual or readme.txt "
              "for more information.";
      return r;
    }(),

    // In Setup's folder, in order, waiting where asked; a line too long for
    // a command line is skipped, not cut; a repeated name runs the first value.
    {.name = "pre-run programs",
     .script = "DirName1=NoStage\r\n[PreRun Programs]\r\nprobe.exe=%1%\\Tools,--sleep=200 first,1\r\n"
               "second.exe=%1%\\Tools,  \"quoted, arg\" %Extra%,1\r\nsecond.exe=%1%\\Tools,other\r\n"
               "probe.exe2=%1%\\Tools,missing program,1\r\nlong.exe=%1%\\Tools," + std::string(250, 'a') +
               ",1\r\nthird.exe=%1%\\Tools,--sleep=500 no wait,0\r\n[Strings]\r\nExtra=%1%-literal\r\n",
     .args = "/S/H",
     .files = {"Tools\\probe.exe=", "Tools\\second.exe=", "Tools\\long.exe=", "Tools\\third.exe="},
     .started = {"<M>|\"<M>\\Tools\\probe.exe\" --sleep=200 first",
                 "<M>|\"<M>\\Tools\\second.exe\" quoted, arg %1%-literal",
                 "<M>|\"<M>\\Tools\\second.exe\" quoted, arg %1%-literal",
                 "<M>|\"<M>\\Tools\\third.exe\" --sleep=500 no wait"},
     .order = {"END Tools\\probe.exe < START Tools\\second.exe", "EXIT < END Tools\\third.exe"}},

    // Two stages: what each is handed, the second only after the first's
    // signal, and never the program at the first blank of the path.
    {.name = "two stages", .script = kStages, .args = "/s /v /qn", .files = {kStage1, kStage2},
     .started = {"<M>|<M>\\Stage1\\setup_x64.exe /s /v/qn", "<M>|<M>\\Stage2\\Setup.exe /h /s"},
     .order = {"SIGNAL Stage1\\setup_x64.exe < START Stage2\\Setup.exe", "SIGNAL Stage1\\setup_x64.exe < EXIT"}},
    {.name = "two stages, a blank in the path", .script = kStages, .args = "/H/V/QN/NR",
     .files = {kStage1, kStage2, "..\\Kbd.exe="}, .media = "Kbd Media",
     .started = {"<M>|<M>\\Stage1\\setup_x64.exe /s /v/qn", "<M>|<M>\\Stage2\\Setup.exe /h /s /nr"}},
    {.name = "first stage missing", .script = "DirName1=Missing\r\nDirName2=Stage2\r\n" + kCopy,
     .files = {kStage2, kPayload, kDest}, .after = {kNotInstalled}},
    {.name = "first stage only", .script = "DirName1=Stage1\r\n" + kCopy, .files = {kStage1, kPayload, kDest},
     .started = {"<M>|<M>\\Stage1\\setup_x64.exe /s"}, .after = {kNotInstalled}},

    // No first stage named: setup_x64.exe beside Setup, or else Setup's own
    // installation, then the second stage unless it was cancelled.
    {.name = "setup_x64.exe beside", .script = kCopy, .files = {"setup_x64.exe=--signal=100", kPayload, kDest},
     .started = {"<M>|<M>\\setup_x64.exe /s"}, .after = {kNotInstalled}},
    {.name = "single stage, then the second", .script = "DirName2=Stage2\r\n" + kCopy,
     .files = {kStage2, kPayload, kDest}, .started = {"<M>|<M>\\Stage2\\Setup.exe /s"}, .after = {kInstalled}},
    {.name = "single stage fails",
     .script = "DirName2=Stage2\r\nCabFile=TRUE\r\nCabFileName=missing.cab\r\n" + kCopy, .args = "/H",
     .files = {kStage2, kPayload, kDest}, .exitCode = 1603, .started = {"<M>|<M>\\Stage2\\Setup.exe /h /s"},
     .after = {kNotInstalled}},
    {.name = "single stage: files, registry, programs",
     .script = kCopy + "[Add Registry]\r\nline=HKCU,Software\\VelmoraxSetupTest,Installed,0,yes\r\n"
                       "[Run Programs]\r\nafter.exe=%1%\\Tools,first run\r\n",
     .files = {"Tools\\after.exe=", kPayload, kDest},
     .started = {"<M>\\Tools|\"<M>\\Tools\\after.exe\" \"first run\""}, .after = {kInstalled},
     .regAfter = {"HKCU\\Software\\VelmoraxSetupTest\\Installed=yes"}},
};

}  // namespace

TEST(SetupRuns, EndToEnd) {
  for (const RunRow& row : kRuns) setup_runs::RunSetupRow(row);
}
