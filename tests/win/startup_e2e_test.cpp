// The real Setup.exe end to end under each Windows version Wine emulates.
#include "setup_runs.h"

using setup_runs::RunRow;

namespace {

const std::string kNumber = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion|VersionNumber=";
// A pre-run line that names the script read; the first stage is not there.
const std::string kProbe = "DirName1=NoStage\r\n[PreRun Programs]\r\nprobe.exe=%1%\\Tools,<script>,1\r\n";
const std::string kRead = "<M>|\"<M>\\Tools\\probe.exe\" ";
// The first stage a 32-bit Setup starts on 64-bit Windows, signalling.
const std::string kStage1 = "Stage1\\setup_x64.exe=--signal=100", kStage2 = "Stage2\\Setup.exe=";
// Blanks and one pair of outer quotes are not part of a value.
const std::string kStages = "DirName1=  \"Stage1\"  \r\nDirName2= 'Stage2' \r\n";
const std::string kCopy = "[Copy Files]\r\nkeyb.txt=<M>\\dest\r\n", kKeyb = "keyb.txt=installed",
                  kDest = "dest\\x=";
const std::string kInstalled = "dest\\keyb.txt=installed", kNotInstalled = "dest\\keyb.txt";
const std::string kLong = "long.exe=%1%\\Tools," + std::string(250, 'a') + ",1\r\n";

// clang-format off
const RunRow kRuns[] = {
    // The script a Windows version reads, through the real platform
    // detection (the examples run one for each version).
    {.name = "ME is told by VersionNumber", .windows = "winme", .scripts = "SETUPME.INI SETUP98.INI",
     .script = kProbe, .files = {"Tools\\probe.exe="}, .reg = {kNumber + "4.10.2222"},
     .started = {kRead + "SETUP98.INI"}},
    {.name = "XP without a script for it, silent", .scripts = "SETUP95.INI SETUP98.INI", .script = kProbe,
     .files = {"Tools\\probe.exe="}, .box = "Current O.S. is not supported by this software, please refer to "
                                           "the user's manual or readme.txt for more information."},

    // In Setup's folder, in order, waiting where asked, with the folder tokens;
    // a line too long for a command line is skipped, not cut; a repeated name
    // runs the first value.
    {.name = "pre-run programs",
     .script = "DirName1=NoStage\r\n[PreRun Programs]\r\nprobe.exe=%1%\\Tools,--sleep=200 %11% %10% %17%,1\r\n"
               "second.exe=%1%\\Tools,  \"quoted, arg\" %Extra%,1\r\nsecond.exe=%1%\\Tools,other\r\n"
               "probe.exe2=%1%\\Tools,missing program,1\r\n" + kLong +
               "third.exe=%1%\\Tools,--sleep=800 no wait,0\r\n[Strings]\r\nExtra=%1%-literal\r\n", .args = "/S/H",
     .files = {"Tools\\probe.exe=", "Tools\\second.exe=", "Tools\\long.exe=", "Tools\\third.exe="},
     .started = {kRead + "--sleep=200 <SYS> <WIN> <WIN>\\Inf", "<M>|\"<M>\\Tools\\second.exe\" quoted, arg %1%-literal",
                 "<M>|\"<M>\\Tools\\second.exe\" quoted, arg %1%-literal",
                 "<M>|\"<M>\\Tools\\third.exe\" --sleep=800 no wait"},
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
     .files = {kStage2, kKeyb, kDest}, .after = {kNotInstalled}},

    // No first stage named: setup_x64.exe beside Setup, or else Setup's own
    // installation, then the second stage unless it was cancelled.
    {.name = "setup_x64.exe beside", .script = kCopy, .files = {"setup_x64.exe=--signal=100", kKeyb, kDest},
     .started = {"<M>|<M>\\setup_x64.exe /s"}, .after = {kNotInstalled}},
    {.name = "single stage, then the second", .script = "DirName2=Stage2\r\n" + kCopy,
     .files = {kStage2, kKeyb, kDest}, .started = {"<M>|<M>\\Stage2\\Setup.exe /s"}, .after = {kInstalled}},
    {.name = "single stage fails", .script = "DirName2=Stage2\r\nCabFile=TRUE\r\nCabFileName=none.cab\r\n" + kCopy,
     .args = "/H", .files = {kStage2, kKeyb, kDest}, .exitCode = 1603,
     .started = {"<M>|<M>\\Stage2\\Setup.exe /h /s"}, .after = {kNotInstalled}},
};
// clang-format on

}  // namespace

TEST(SetupRuns, EndToEnd) {
  for (const RunRow& row : kRuns) setup_runs::RunSetupRow(row);
}
