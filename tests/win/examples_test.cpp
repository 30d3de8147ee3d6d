// The example media of examples/ installed silently by the real Setup.exe
// under each Windows version: what a vendor's script of that shape gets.
#include "setup_runs.h"

using setup_runs::RunRow;

namespace {

const std::string kVersion = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion|VersionNumber";
// Wine's newdev reports success for any device: without it ME falls back as on Windows.
const std::string kNewdev = "HKCU\\Software\\Wine\\AppDefaults\\Setup.exe\\DllOverrides|newdev";
const std::string kPreload =
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run|Keyboard Preload Check";
const std::string kKey = "\\Software\\Velmorax\\Keyboard";
const std::string kRecord = std::string("HKLM\\") + testing_support::kUninstallRoot + "VelmoraxKeyboard";

std::vector<std::string> Plus(std::vector<std::string> list, const std::vector<std::string>& more) {
  list.insert(list.end(), more.begin(), more.end());
  return list;
}

// An English user; Wine tells ME from 98 by VersionNumber only.
const std::vector<std::string> kPrefix = {
    "HKCU\\Control Panel\\International|Locale=00000409",
    "HKCU\\Control Panel\\Desktop\\ResourceLocale|=00000409", kVersion, kNewdev, kPreload};
const std::vector<std::string> kFiles = {"<SYS>\\keyb.txt=@keyb.txt",
                                         "<WIN>\\Help\\keybhelp.txt=@keybhelp.txt",
                                         "<WIN>\\KEYBREAD.TXT=@Docs\\readme.txt"};
const std::vector<std::string> kLegacyInf = {"<WIN>\\inf\\VFILT.INF=@Driver\\VFILT95.INF"};
// What every example records, and what the full one writes besides.
const std::vector<std::string> kRecorded = {
    "HKLM" + kKey + "|Path=<SYS>\\keyb.txt", kRecord + "\\DeleteFiles|keyb.txt=<SYS>",
    kRecord + "\\DeleteFiles|KEYBREAD.TXT=<WIN>",
    kRecord + "\\DeleteRegs\\HKEY_LOCAL_MACHINE|Software\\Velmorax\\Keyboard\\\\Path=Path"};
const std::vector<std::string> kWritten = Plus(
    kRecorded, {kRecord + "|DisplayName=Velmorax Comfort Keyboard Driver",
                "HKCU" + kKey + "\\Layout|Name=US English",  // the registry file for the locale
                "HKCU" + kKey + "|=Velmorax Comfort Keyboard, USB", "HKCU" + kKey + "|LastLayout=",
                "HKCU" + kKey + "|RepeatDelay=4:1e000000",
                "HKCU" + kKey + "|RepeatRate=4:ffffffff",  // a lone byte is signed
                "HKCU" + kKey + "|HotKeys=3:5b002a00", "HKCR\\.vkl|=Velmorax.Layout",
                "HKU\\.DEFAULT" + kKey + "|Installed=yes"});
const std::vector<std::string> kTools = {"Tools\\check.exe=", "Tools\\welcome.exe="};
const std::string kCheck =
    "<M>|\"<M>\\Tools\\check.exe\" /check /from=Comfort Keyboard Setup /skip=USB, PS2";
const std::string kWelcome = "<M>\\Tools|\"<M>\\Tools\\welcome.exe\" \"Comfort Keyboard Setup ready\"";

// The device library's install call for the keyboard line, from the INF on
// the media or from the copy Windows made, with CallConfigMg.
std::string Install(const char* inf, const char* callConfigMg, const char* answer) {
  return std::string("InstallPnPDeviceDriver(Keyboard|") + inf +
         "\\VKBD.INF|USB\\VID_2F1A&PID_0101|VELMORAX|KBD|1|" + callConfigMg + ")=" + answer +
         " GetConnectedDeviceNumber(Keyboard|USB\\VID_2F1A&PID_0101|VELMORAX)=";
}
const std::string kFilter =
    " RemoveAndReenumerateDevice(|ROOT\\VFILT)=1 FindExistingDevice(|ROOT\\VFILT)=1";

// clang-format off
const RunRow kExamples[] = {
    {.name = "95", .windows = "win95", .args = "/S /TYPE:USB", .files = kTools, .reg = kPrefix,
     .media = "single", .example = true, .kq = "install=0", .started = {kCheck, kWelcome},
     .after = Plus(kFiles, kLegacyInf), .regAfter = Plus(kWritten, {"HKLM" + kKey + "|Script=SETUP95.INI"}),
     .driverCalls = Install("<M>\\Driver", "1", "0") + "1" + kFilter},
    // The interface is left to the wizard: a silent run takes its USB, no restart.
    {.name = "98", .windows = "win98", .args = "/S /NR", .files = kTools, .reg = kPrefix,
     .media = "single", .example = true, .kq = "connected=0", .started = {kCheck, kWelcome},
     .after = Plus(kFiles, kLegacyInf), .regAfter = Plus(kWritten, {"HKLM" + kKey + "|Script=SETUP98.INI"}),
     .driverCalls = Install("<M>\\Driver", "1", "1") + "0" + kFilter},
    // Preload: the drivers are left to Preload.exe at the next logon, no program is run.
    {.name = "ME", .windows = "winme", .args = "/S /TYPE:USB /PRELOAD", .files = kTools,
     .reg = Plus(kPrefix, {kVersion + "=4.90.3000", kNewdev + "="}), .media = "single", .example = true,
     .started = {kCheck}, .after = Plus(kFiles, {"<WIN>\\inf\\VFILT.INF"}),
     .regAfter = Plus(kWritten, {"HKLM" + kKey + "|Script=SETUPME.INI", kPreload +
                      "=<M>\\Preload.exe /DEVID:ROOT\\VFILT /CLASS:Unknown /RunValue:\"Keyboard Preload Check\""})},
    {.name = "NT 4", .windows = "nt40", .args = "/S /TYPE:PS2 /NR", .files = kTools, .reg = kPrefix,
     .media = "single", .example = true, .kq = "install=0", .exitCode = 3010, .started = {kCheck, kWelcome},
     .after = Plus(kFiles, kLegacyInf), .regAfter = Plus(kWritten, {"HKLM" + kKey + "|Script=SETUPNT.INI"}),
     .driverCalls = Install("<M>\\Driver", "0", "0") + "1" + kFilter},
    {.name = "2000", .windows = "win2k", .args = "/H /TYPE:USB", .files = kTools, .reg = kPrefix,
     .media = "single", .example = true, .kq = "install=0", .started = {kCheck, kWelcome},
     .after = kFiles, .regAfter = Plus(kWritten, {"HKLM" + kKey + "|Script=SETUP2K.INI"}),
     .driverCalls = Install("<M>\\Driver", "1", "0") + "1 " + Install("<WIN>\\inf", "1", "0") + "1" + kFilter},
    {.name = "XP, the cabinet", .reg = kPrefix, .media = "cabinet", .example = true, .after = kFiles,
     .regAfter = Plus(kRecorded, {"HKLM" + kKey + "|Script", kRecord + "|DisplayName=Velmorax Comfort Keyboard"})},
};
// clang-format on

}  // namespace

TEST(ExampleMedia, SilentInstallOnEachWindowsVersion) {
  for (const RunRow& row : kExamples) setup_runs::RunSetupRow(row);
}
