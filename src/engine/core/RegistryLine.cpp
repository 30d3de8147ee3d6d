#include "RegistryLine.h"

#include <cstring>

namespace {

RegistryRoot RootFromText(const char* text) {
  if (EqualsNoCase(text, "HKLM")) return RegistryRoot::LocalMachine;
  if (EqualsNoCase(text, "HKCU")) return RegistryRoot::CurrentUser;
  if (EqualsNoCase(text, "HKCR")) return RegistryRoot::ClassesRoot;
  return RegistryRoot::Users;
}

}  // namespace

uint32_t ParseHexNumber(const char* text) {
  uint32_t number = 0;
  for (;; ++text) {
    const char c = *text;
    uint32_t digit;
    if (c >= '0' && c <= '9')
      digit = uint32_t(c - '0');
    else if (c >= 'a' && c <= 'f')
      digit = uint32_t(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F')
      digit = uint32_t(c - 'A' + 10);
    else
      return number;
    number = number * 16u + digit;
  }
}

void ParseRegistryLine(const char* value, FieldSplitter split, RegistryLine& line) {
  std::memset(&line, 0, sizeof line);
  LineCursor cursor = StartLine(value, split);
  char root[kTextSize];
  NextField(cursor, root, sizeof root);
  line.Root = RootFromText(root);
  NextField(cursor, line.KeyPath, sizeof line.KeyPath);

  line.Kind = RegistryKind::Key;
  if (!NextField(cursor, line.ValueName, sizeof line.ValueName)) return;
  line.Kind = RegistryKind::Text;
  char selector[kTextSize];
  if (!NextField(cursor, selector, sizeof selector)) return;
  if (selector[0] == '\0' || std::strcmp(selector, "0") == 0) {
    NextField(cursor, line.Text, sizeof line.Text);  // later fields are ignored
    return;
  }

  char field[kTextSize];
  while (line.ByteCount < kRegistryBytes && NextField(cursor, field, sizeof field))
    line.Bytes[line.ByteCount++] = uint8_t(ParseHexNumber(field) & 0xffu);
  if (line.ByteCount >= 2) {
    line.Kind = RegistryKind::Binary;
    return;
  }
  // A lone byte is taken as signed: 80 to ff give ffffff80 to ffffffff.
  line.Kind = RegistryKind::Dword;
  line.Dword = uint32_t(int32_t(int8_t(line.Bytes[0])));
}

const void* RegistryData(const RegistryLine& line, uint32_t* size) {
  switch (line.Kind) {
    case RegistryKind::Text:
      *size = uint32_t(BoundedLength(line.Text, sizeof line.Text - 1) + 1);
      return line.Text;
    case RegistryKind::Dword:
      *size = sizeof line.Dword;
      return &line.Dword;
    case RegistryKind::Binary:
      *size = uint32_t(line.ByteCount);
      return line.Bytes;
    case RegistryKind::Key:
      break;
  }
  *size = 0;
  return nullptr;
}

int RegistryFileRuns(const char* localeField, const char* localeId) {
  return localeField[0] != '\0' && EqualsNoCase(localeField, localeId);
}

int RegeditCommandLine(const char* path, char (&out)[kTextSize]) {
  int fits = CopyText(out, "regedit /S \"");
  fits &= AppendText(out, path);
  fits &= AppendText(out, "\"");
  if (!fits) out[0] = '\0';  // a cut path would import another file
  return fits;
}
