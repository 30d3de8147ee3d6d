#include "SetupKeys.h"

int IsTrueText(const char* value) { return EqualsNoCase(value, "TRUE"); }
int IsFalseText(const char* value) { return EqualsNoCase(value, "FALSE"); }

const char* ChooseScriptName(const SettingsRecord& s, int (*exists)(const char*, void*), void* ctx) {
  // No folder of our own (a program path too long to read): the scripts
  // would be looked for in the root of the current drive instead.
  if (s.ModuleDir[0] == '\0') return nullptr;
  const char* name;
  if (s.IsWin9x) {
    if (s.IsWinME && exists("SETUPME.INI", ctx))
      name = "SETUPME.INI";
    else if (s.IsWin98OrLater && exists("SETUP98.INI", ctx))
      name = "SETUP98.INI";
    else
      name = "SETUP95.INI";
  } else {  // the NT family, and anything that is neither
    name = (s.IsWin2000OrLater && exists("SETUP2K.INI", ctx)) ? "SETUP2K.INI" : "SETUPNT.INI";
  }
  return exists(name, ctx) ? name : nullptr;
}

namespace {

void ReadInto(SetupSectionSource& src, const char* key, const char* def, char (&out)[kTextSize]) {
  src.ReadKey(key, def, out, kTextSize);
}

}  // namespace

void ApplyInterfaceRules(SettingsRecord& s, SetupSectionSource& source) {
  if (s.PS2Type == 0 || s.USBType == 0) s.AskType = 0;
  if (s.AskType == 1) return;  // the interface page decides later

  if (s.PS2Type == 0) {
    s.InterfaceType = kInterfacePS2;
  } else if (s.USBType == 0) {
    s.InterfaceType = kInterfaceUSB;
  } else {
    char value[kTextSize];
    ReadInto(source, "DefaultType", "", value);
    if (value[0] != '\0') {
      s.InterfaceType = (value[0] == 'P' || value[0] == 'p') ? kInterfacePS2 : kInterfaceUSB;
    } else {
      ReadInto(source, "PS2DriverName", "", value);
      s.InterfaceType = value[0] != '\0' ? kInterfacePS2 : kInterfaceUSB;
    }
  }

  if (s.InterfaceType == kInterfacePS2) {
    s.Restart = s.IsNT ? 1 : 0;
    s.CallConfigMg = s.IsNT ? 0 : 1;
  } else {
    s.CallConfigMg = 1;
    s.Restart = 0;
  }
}

void ReadSetupSection(SettingsRecord& s, SetupSectionSource& source) {
  char value[kTextSize];

  ReadInto(source, "ProductName", "", s.ProductName);
  ReadInto(source, "UninstallDisplayName", "", s.UninstallDisplayName);

  // The product name may fill the buffer; the default must be a copy.
  char productName[kTextSize];
  CopyText(productName, s.ProductName);
  ReadInto(source, "SetupTitle", productName, s.SetupTitle);
  AppendText(s.SetupTitle, " ");
  AppendText(s.SetupTitle, s.TitleSuffix);

  ReadInto(source, "Version", "1.0", s.Version);
  ReadInto(source, "DirName1", "", s.DirName1);
  ReadInto(source, "DirName2", "", s.DirName2);
  CopyText(s.SetupProgramName, s.IsX64 ? "setup_x64.exe" : "Setup.exe");
  ReadInto(source, "BkgLogo", "", s.BkgLogo);

  ReadInto(source, "CabFile", "FALSE", value);
  if (IsTrueText(value)) {
    s.CabFile = 1;
    ReadInto(source, "CabFileName", "", value);
    CopyText(s.CabFileName, s.ModuleDir);
    AppendText(s.CabFileName, "\\");
    AppendText(s.CabFileName, value);
  }

  ReadInto(source, "AskType", "TRUE", value);
  if (IsFalseText(value)) s.AskType = 0;

  ReadInto(source, "UninstallKey", "", s.UninstallKey);

  ReadInto(source, "CallConfigMg", "TRUE", value);
  if (IsTrueText(value)) s.CallConfigMg = 1;

  ReadInto(source, "AskPath", "FALSE", value);
  if (IsTrueText(value)) s.AskPath = 1;

  ReadInto(source, "AskLicense", "FALSE", value);
  if (IsTrueText(value)) {
    s.AskLicense = 1;
    CopyText(s.LicenseFile, s.ModuleDir);
    ReadInto(source, "LicenseFolder", "", value);
    if (value[0] != '\0') {
      AppendText(s.LicenseFile, "\\");
      AppendText(s.LicenseFile, value);
    }
    source.ChooseLicense(s);
  }

  ReadInto(source, "AskProgramFolder", "FALSE", value);
  if (IsTrueText(value)) s.AskProgramFolder = 1;

  ReadInto(source, "USBType", "TRUE", value);
  if (IsFalseText(value)) s.USBType = 0;
  ReadInto(source, "PS2Type", "TRUE", value);
  if (IsFalseText(value)) s.PS2Type = 0;

  ApplyInterfaceRules(s, source);

  ReadInto(source, "Restart", "", value);
  if (IsFalseText(value))
    s.Restart = 0;
  else if (IsTrueText(value))
    s.Restart = 1;
}
