#include "SetupScript.h"

#include "common/Handles.h"
#include "Language.h"
#include "startup/core/SetupKeys.h"
#include "startup/core/Settings.h"

// By its attributes: a directory search would read the whole folder, and
// the copy asks this of every row.
int FileExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

char* ModuleFolder(char* buffer, std::size_t size) {
  if (size == 0) return buffer;
  DWORD n = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(size));
  if (n >= size) n = 0;  // cut: its folder part would name another folder
  buffer[n] = '\0';
  while (n > 0 && buffer[n - 1] != '\\') buffer[--n] = '\0';
  return buffer;
}

void ReadScriptValue(const char* section, const char* key, const char* def, char* out,
                     std::size_t cap) {
  if (cap == 0) return;
  GetPrivateProfileStringA(section, key, def, out, static_cast<DWORD>(cap), Settings.ScriptPath);
}

namespace {

class ScriptSection : public SetupSectionSource {
 public:
  void ReadKey(const char* key, const char* def, char* out, std::size_t cap) override {
    ReadScriptValue("Setup", key, def, out, cap);
  }
  void ChooseLicense(SettingsRecord&) override { ChooseLicenseFile(); }
};

int ExistsBesideProgram(const char* name, void*) {
  char path[kTextSize];
  CopyText(path, Settings.ModuleDir);
  AppendText(path, "\\");
  if (!AppendText(path, name)) return 0;
  return FileExists(path);
}

}  // namespace

int LoadSetupScript() {
  const char* name = ChooseScriptName(Settings, ExistsBesideProgram, nullptr);
  if (name == nullptr) return 0;
  CopyText(Settings.ScriptPath, Settings.ModuleDir);
  AppendText(Settings.ScriptPath, "\\");
  AppendText(Settings.ScriptPath, name);
  ScriptSection section;
  ReadSetupSection(Settings, section);
  return 1;
}
