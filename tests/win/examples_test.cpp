// The real Setup.exe end to end under the Windows versions Wine emulates:
// the example media installed silently, hidden, through the wizard, cancelled, failing
// and with a file in use; then the script read, pre-run programs and the stages.
#include "setup_runs.h"

namespace {

const std::string kCurrent = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kVersion = kCurrent + "|VersionNumber";
// Wine's newdev reports success for any device: without it ME falls back as on Windows.
const std::string kNewdev = "HKCU\\Software\\Wine\\AppDefaults\\Setup.exe\\DllOverrides|newdev";
const std::string kPreload = kCurrent + "\\Run|Keyboard Preload Check";
const std::string kPending =
    "HKLM\\System\\CurrentControlSet\\Control\\Session Manager|PendingFileRenameOperations";
const std::string kKey = "\\Software\\Velmorax\\Keyboard", kScript = "HKLM" + kKey + "|Script=";
const std::string kRecord = kCurrent + "\\Uninstall\\VelmoraxKeyboard";

std::vector<std::string> Plus(std::vector<std::string> list, const std::vector<std::string>& more) {
  list.insert(list.end(), more.begin(), more.end());
  return list;
}

// An English user; Wine tells ME from 98 by VersionNumber only. No value twice
// in a row: the first put back would not be the last.
const std::vector<std::string> kEnglish = {"HKCU\\Control Panel\\International|Locale=00000409",
                                           "HKCU\\Control Panel\\Desktop\\ResourceLocale|=00000409",
                                           kPreload};
const std::vector<std::string> kPrefix = Plus(kEnglish, {kVersion, kNewdev});
const std::vector<std::string> kFiles = {"<SYS>\\keyb.txt=@keyb.txt",
                                         "<WIN>\\Help\\keybhelp.txt=@keybhelp.txt",
                                         "<WIN>\\KEYBREAD.TXT=@Docs\\readme.txt"};
// The drivers' INFs Windows keeps: the step ran (its calls are the driver test's).
const std::string kInf = "<WIN>\\inf\\", kNtFilter = kInf + "VFILT.INF=@Driver\\VFILT.INF";
const std::vector<std::string> kLegacyInf = {kInf + "VFILT.INF=@Driver\\VFILT95.INF"};
// What every example records, and what the full one writes besides (each kind of value is
// the worker's test): a token, the records (a renamed file under its new name), a registry
// file for the user's locale imported, another user's key.
const std::vector<std::string> kRecorded = {"HKLM" + kKey + "|Path=<SYS>\\keyb.txt",
                                            kRecord + "\\DeleteFiles|keyb.txt=<SYS>",
                                            kRecord + "\\DeleteFiles|KEYBREAD.TXT=<WIN>"};
const std::vector<std::string> kWritten =
    Plus(kRecorded,
         {kRecord + "|DisplayName=Velmorax Comfort Keyboard Driver",
          "HKCU" + kKey + "\\Layout|Name=US English", "HKU\\.DEFAULT" + kKey + "|Installed=yes"});
const std::string kCheck =
    "<M>|\"<M>\\Tools\\check.exe\" /check /from=Comfort Keyboard Setup /skip=USB, PS2";
const std::string kWelcome =
    "<M>\\Tools|\"<M>\\Tools\\welcome.exe\" \"Comfort Keyboard Setup ready\"";

// A pre-run line that names the script read; the first stage is not there, which fails the run.
const std::string kProbe =
    "DirName1=NoStage\r\n[PreRun Programs]\r\nprobe.exe=%1%\\Tools,<script>,1\r\n";
const std::string kRead = "<M>|\"<M>\\Tools\\probe.exe\" ";
// The first stage a 32-bit Setup starts on 64-bit Windows, signalling.
const std::string kStage1 = "Stage1\\setup_x64.exe=--signal=100", kStage2 = "Stage2\\Setup.exe=";
const std::string kCopy = "[Copy Files]\r\nkeyb.txt=<M>\\dest\r\n", kKeyb = "keyb.txt=installed",
                  kDest = "dest\\x=", kNotInstalled = "dest\\keyb.txt";
// A file in use in the Windows folder: kept, the new one beside it for the restart.
const std::string kCopyToWin = "[Copy Files]\r\nkeyb.txt=%10%\r\n", kOld = "<WIN>\\keyb.txt=old",
                  kNew = "<WIN>\\keyb.0=installed";

// Pre-run lines of which the key names fill more than 1024 bytes.
std::string ManyPrograms() {
  std::string lines;
  for (int i = 1000; i < 1200; ++i) lines += "name" + std::to_string(i) + ".exe=%1%\\Tools,,1\r\n";
  return lines;
}

// clang-format off
const setup_runs::RunRow kRuns[] = {
    {.name = "95", .windows = "win95", .args = "/S /TYPE:USB", .reg = kPrefix, .example = "single", .kq = "install=0",
     .started = {kCheck, kWelcome}, .after = Plus(kFiles, kLegacyInf), .regAfter = Plus(kWritten, {kScript + "SETUP95.INI"})},
    // The interface is left to the wizard: a silent run takes its USB, no restart.
    {.name = "98", .windows = "win98", .args = "/S /NR", .reg = kPrefix, .example = "single", .kq = "connected=0",
     .started = {kCheck, kWelcome}, .after = Plus(kFiles, kLegacyInf), .regAfter = Plus(kWritten, {kScript + "SETUP98.INI"})},
    // Preload: the drivers are left to Preload.exe at the next logon, no program is run.
    {.name = "ME", .windows = "winme", .args = "/S /TYPE:USB /PRELOAD",
     .reg = Plus(kEnglish, {kVersion + "=4.90.3000", kNewdev + "="}), .example = "single",
     .started = {kCheck}, .after = Plus(kFiles, {"<WIN>\\inf\\VFILT.INF"}),
     .regAfter = Plus(kWritten, {kScript + "SETUPME.INI", kPreload +
                      "=\"<M>\\Preload.exe\" /DEVID:ROOT\\VFILT /CLASS:Unknown /RunValue:\"Keyboard Preload Check\""})},
    {.name = "NT 4", .windows = "nt40", .args = "/S /TYPE:PS2 /NR", .reg = kPrefix, .example = "single", .kq = "install=0",
     .exitCode = 3010, .started = {kCheck, kWelcome}, .after = Plus(kFiles, kLegacyInf),
     .regAfter = Plus(kWritten, {kScript + "SETUPNT.INI"})},
    {.name = "2000, hidden", .windows = "win2k", .args = "/H /TYPE:USB", .reg = kPrefix, .example = "single",
     .kq = "install=0", .started = {kCheck, kWelcome}, .after = Plus(kFiles, {kInf + "VKBD.INF=@Driver\\VKBD.INF", kNtFilter}),
     .regAfter = Plus(kWritten, {kScript + "SETUP2K.INI"})},
    {.name = "XP, the cabinet", .reg = kPrefix, .example = "cabinet", .after = kFiles,
     .regAfter = Plus(kRecorded, {kScript + "<no value>", kRecord + "|DisplayName=Velmorax Comfort Keyboard"})},
    {.name = "7, the wizard", .windows = "win7", .args = "", .reg = kPrefix, .example = "single",
     .clicks = {"Welcome>Next >", "Software License Agreement>Next >", "Hardware Interface Selection>Next >",
                "Choose Destination Location>Next >", "Start Installation>Next >", "Setup Result>Finish"},
     .shown = "[Setup has successfully installed Velmorax Comfort Keyboard.\n\nClick Finish to complete Setup.]",
     .started = {kCheck, kWelcome}, .after = Plus(kFiles, {kNtFilter}),
     .regAfter = Plus(kWritten, {kScript + "SETUP2K.INI"})},
    // Setup's own installation cancelled, failing, or with a file in use (95's wininit.ini: engine).
    {.name = "98, cancelled", .windows = "win98", .args = "", .reg = kPrefix, .example = "single",
     .clicks = {"Welcome>Cancel", "Exit Setup>Exit Setup"}, .exitCode = 1602, .started = {kCheck},
     .after = {"<SYS>\\keyb.txt", "<WIN>\\KEYBREAD.TXT"}, .regAfter = {kScript + "<no key>", kRecord + "|DisplayName=<no key>"}},
    {.name = "XP fails, then the second stage", .script = "DirName2=Stage2\r\nCabFile=TRUE\r\nCabFileName=none.cab\r\n" + kCopy,
     .args = "/H", .files = {kStage2, kKeyb, kDest}, .exitCode = 1603,
     .started = {"<M>|<M>\\Stage2\\Setup.exe /h /s"}, .after = {kNotInstalled}},
    {.name = "7, a file in use", .windows = "win7", .script = kCopyToWin, .args = "/S /NR", .files = {kOld, kKeyb},
     .reg = {kPending}, .hold = "<WIN>\\keyb.txt", .exitCode = 3010, .after = {kOld, kNew},
     .regAfter = {kPending + "=\\??\\<WIN>\\keyb.0|!\\??\\<WIN>\\keyb.txt|"}},

    // The script chosen through the real platform detection (the examples run one per version).
    {.name = "ME is told by VersionNumber", .windows = "winme", .scripts = "SETUPME.INI SETUP98.INI",
     .script = kProbe, .files = {"Tools\\probe.exe="}, .reg = {kVersion + "=4.10.2222"},
     .exitCode = 1603, .started = {kRead + "SETUP98.INI"}},
    {.name = "XP without a script for it", .scripts = "SETUP95.INI SETUP98.INI", .script = kProbe,
     .files = {"Tools\\probe.exe="}, .clicks = {"Setup Warning>OK"}, .shown = "[OK][Current O.S. is not supported "
     "by this software, please refer to the user's manual or readme.txt for more information.]"},

    // In Setup's folder, in order, waiting where asked, with the folder tokens; a line too long for
    // a command line is skipped, not cut; a repeated name runs the first value; names past the
    // list's 1024 bytes are not seen and a long value is cut: nothing is overrun.
    {.name = "pre-run programs",
     .script = "DirName1=NoStage\r\nUninstallKey=" + std::string(300, 'k') + "\r\n[PreRun Programs]\r\n"
               "probe.exe=%1%\\Tools,--sleep=200 %11% %10% %17%,1\r\n"
               "second.exe=%1%\\Tools,  \"quoted, arg\" %Extra%,1\r\nsecond.exe=%1%\\Tools,other\r\n"
               "probe.exe2=%1%\\Tools,missing program,1\r\nlong.exe=%1%\\Tools," + std::string(250, 'a') + ",1\r\n"
               "third.exe=%1%\\Tools,--sleep=800 no wait,0\r\n" + ManyPrograms() + "[Strings]\r\nExtra=%1%-literal\r\n",
     .args = "/S/H",
     .files = {"Tools\\probe.exe=", "Tools\\second.exe=", "Tools\\long.exe=", "Tools\\third.exe=", "Tools\\name1010.exe=",
               "Tools\\name1190.exe="},
     .exitCode = 1603, .started = {kRead + "--sleep=200 <SYS> <WIN> <WIN>\\Inf", "<M>|\"<M>\\Tools\\second.exe\" quoted, arg %1%-literal",
                 "<M>|\"<M>\\Tools\\second.exe\" quoted, arg %1%-literal", "<M>|\"<M>\\Tools\\third.exe\" --sleep=800 no wait",
                 "<M>|\"<M>\\Tools\\name1010.exe\" "},
     .order = {"END Tools\\probe.exe < START Tools\\second.exe", "EXIT < END Tools\\third.exe"}},

    // Two stages: what each is handed, the second only after the first's signal, and never
    // the program at the first blank of the path. Blanks and outer quotes are not in a value.
    {.name = "two stages", .script = "DirName1=  \"Stage1\"  \r\nDirName2= 'Stage2' \r\n", .args = "/s/V /QN /nr",
     .files = {kStage1, kStage2, "..\\Kbd.exe="},
     .started = {"<M>|<M>\\Stage1\\setup_x64.exe /s /v/qn", "<M>|<M>\\Stage2\\Setup.exe /h /s /nr"},
     .order = {"SIGNAL Stage1\\setup_x64.exe < START Stage2\\Setup.exe", "SIGNAL Stage1\\setup_x64.exe < EXIT"}},
    {.name = "first stage missing", .script = "DirName1=Missing\r\nDirName2=Stage2\r\n" + kCopy,
     .files = {kStage2, kKeyb, kDest}, .exitCode = 1603, .after = {kNotInstalled}},
    {.name = "no first stage named, setup_x64.exe beside", .script = kCopy,
     .files = {"setup_x64.exe=--signal=100", kKeyb, kDest}, .started = {"<M>|<M>\\setup_x64.exe /s"}, .after = {kNotInstalled}},
};
// clang-format on

}  // namespace

TEST(SetupRuns, EndToEnd) {
  for (const auto& row : kRuns) setup_runs::RunSetupRow(row);
}
