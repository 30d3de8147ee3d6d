// Reading the list sections of the setup script: every key name of the
// section in order, its value, and the value cut into fields.
#pragma once
#include <cstddef>

#include "common/core/Text.h"

constexpr std::size_t kKeyNameListSize = 1024;

// Writes the expansion of a %name% token at dest (at most cap bytes with
// the NUL) and returns its length; 0 when the token expands to nothing.
std::size_t ExpandPathToken(const char* name, char* dest, std::size_t cap = kTextSize);

// Copies the field at value[offset] into out and returns the offset of the
// comma or NUL that ended it.
std::size_t SplitField(const char* value, std::size_t offset, char* out,
                       std::size_t cap = kTextSize);

// Empties count field buffers, then fills them from value in order; fields
// that the value does not supply stay empty. Returns how many it supplied.
int SplitFields(const char* value, char (*fields)[kTextSize], int count);

using ListLineAction = void (*)(const char* keyName, const char* value, void* ctx);

// Runs action for every line of section in ScriptPath, in file order. The
// key names are listed into nameListSize bytes (at most 1024); names past
// that are not seen.
void ReadListSection(const char* section, ListLineAction action, void* ctx,
                     std::size_t nameListSize = kKeyNameListSize);

template <typename F>
void ReadListSection(const char* section, F&& action, std::size_t nameListSize = kKeyNameListSize) {
  ReadListSection(
      section,
      [](const char* keyName, const char* value, void* ctx) {
        (*static_cast<F*>(ctx))(keyName, value);
      },
      &action, nameListSize);
}
