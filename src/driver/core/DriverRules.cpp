#include "DriverRules.h"

#include "ListToken.h"

void ParseDriverLine(const char* line, DriverLine& out) {
  char* fields[] = {out.DeviceClass, out.InfName,   out.DeviceArg3, out.DeviceArg4, out.DeviceArg5,
                    out.Unused6,     out.LegacyInf, out.ForceText,  out.HardwareId, out.InfFolder};
  for (int i = 0; i < 10; ++i) GetListField(line, i + 1, fields[i], kTextSize, ',');
  out.Force = ForceFromText(out.ForceText);
}

int ForceFromText(const char* text) {
  return EqualsNoCase(text, "1") || EqualsNoCase(text, "TRUE");
}

int IsUnknownClass(const char* deviceClass) { return EqualsNoCase(deviceClass, "Unknown"); }

FirstWay ChooseFirstWay(const DriverPlatform& platform, const char* deviceClass) {
  if (platform.IsWinME) return FirstWay::Newdev;
  if (IsUnknownClass(deviceClass)) return FirstWay::None;
  // 2000 and later install only keyboards directly; other classes go
  // through the OEM INF copy first.
  if (platform.IsWin2000OrLater && !EqualsNoCase(deviceClass, "Keyboard")) return FirstWay::None;
  return FirstWay::DriverLibrary;
}

Fallback ChooseFallback(const DriverPlatform& platform, int firstResult) {
  if (firstResult != 0) return Fallback::EndLine;
  if (platform.IsWinME || platform.IsWin2000OrLater)
    return platform.Preload ? Fallback::PreloadRegistration : Fallback::OemInfCopy;
  return Fallback::LegacyCopy;
}

AfterOemCopy ChooseAfterOemCopy(const DriverPlatform& platform, const char* deviceClass) {
  if (IsUnknownClass(deviceClass)) return AfterOemCopy::Reenumerate;
  return platform.IsWin2000OrLater ? AfterOemCopy::InstallWithOemInf : AfterOemCopy::Nothing;
}

int PausesAfter(int result) { return result > 0; }

int BuildPreloadCommand(const char* sourceFolder, const char* hardwareId, const char* deviceClass,
                        char* out, std::size_t cap) {
  if (cap == 0) return 0;
  out[0] = '\0';
  // Quoted: unquoted, a blank in the folder would have Windows try C:\Program.exe and the like.
  const char* pieces[] = {"\"",     sourceFolder, "\\Preload.exe\" /DEVID:", hardwareId,
                          " /CLASS:", deviceClass,  " /RunValue:\"",           kPreloadRunValue,
                          "\""};
  int fits = 1;
  for (const char* piece : pieces) fits &= AppendText(out, cap, piece);
  return fits;
}
