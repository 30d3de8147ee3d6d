#include "ListFields.h"

#include <cstring>

#include "common/core/Text.h"

namespace {

enum class Builtin { None, System, Windows, Install, Module, Drivers, Inf, Help };

// Names are texts, not numbers: "011" is not "11".
Builtin BuiltinFor(const char* name) {
  if (EqualsNoCase(name, "11")) return Builtin::System;
  if (EqualsNoCase(name, "10")) return Builtin::Windows;
  if (EqualsNoCase(name, "99")) return Builtin::Install;
  if (EqualsNoCase(name, "1")) return Builtin::Module;
  if (EqualsNoCase(name, "12")) return Builtin::Drivers;
  if (EqualsNoCase(name, "17")) return Builtin::Inf;
  if (EqualsNoCase(name, "18")) return Builtin::Help;
  return Builtin::None;
}

void Expansion(const char* name, char (&text)[kTextSize], PathTokenSource& source) {
  text[0] = '\0';
  switch (BuiltinFor(name)) {
    case Builtin::System: source.SystemDirectory(text, sizeof text); break;
    case Builtin::Windows: source.WindowsDirectory(text, sizeof text); break;
    case Builtin::Install: source.InstallDir(text, sizeof text); break;
    case Builtin::Module: source.ModuleDir(text, sizeof text); break;
    case Builtin::Drivers:
      source.WindowsDirectory(text, sizeof text);
      AppendText(text, "\\System32\\Drivers");
      break;
    case Builtin::Inf:
      source.WindowsDirectory(text, sizeof text);
      AppendText(text, "\\Inf");
      break;
    case Builtin::Help:
      source.WindowsDirectory(text, sizeof text);
      AppendText(text, "\\Help");
      break;
    case Builtin::None: source.StringsValue(name, text, sizeof text); break;
  }
  text[kTextSize - 1] = '\0';  // a careless source must not run us off the end
}

}  // namespace

std::size_t ExpandPathTokenWith(const char* name, char* dest, std::size_t cap,
                                PathTokenSource& source) {
  char text[kTextSize];
  Expansion(name, text, source);
  if (text[0] == '\0' || cap == 0) return 0;
  CopyText(dest, cap, text);
  return std::strlen(dest);
}

std::size_t SplitFieldWith(const char* value, std::size_t offset, char* out, std::size_t cap,
                           PathTokenSource& source) {
  if (cap == 0) return offset + std::strlen(value + offset);
  std::size_t in = offset;
  std::size_t pos = 0;
  auto put = [&](char c) {
    if (pos + 1 < cap) out[pos++] = c;
  };
  out[0] = '\0';
  while (value[in] == ' ' || value[in] == '\t') ++in;

  while (value[in] != '\0') {
    char c = value[in];
    if (c == '"') {
      ++in;
      while (value[in] != '\0' && value[in] != '"') put(value[in++]);
      if (value[in] == '\0') break;  // unterminated: the rest is this field
      ++in;
    } else if (c == '%') {
      char name[kTokenNameChars + 1];
      std::size_t n = 0;
      ++in;
      while (value[in] != '\0' && value[in] != '%') {
        if (n < kTokenNameChars) name[n++] = value[in];
        ++in;
      }
      name[n] = '\0';
      if (value[in] == '\0') break;  // unterminated: the token is dropped
      ++in;
      pos += ExpandPathTokenWith(name, out + pos, cap - pos, source);
    } else if (c == ',') {
      break;
    } else {
      put(c);
      ++in;
    }
  }
  out[pos] = '\0';
  return in;
}
