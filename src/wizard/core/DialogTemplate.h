// Reads a dialog template resource (the classic DLGTEMPLATE layout or the
// extended DLGTEMPLATEEX one) into plain data, so that the templates of
// every language can be compared control by control. Portable: no Windows
// header; texts stay UTF-16 as the resource stores them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A name-or-number field of a template: menu, class, text.
struct TemplateName {
  bool isOrdinal = false;
  uint16_t ordinal = 0;  // when isOrdinal
  std::u16string text;   // otherwise (empty for "none")
};

struct DialogControl {
  uint32_t id = 0;  // classic templates hold 16 bits: -1 reads as 0xFFFF
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  TemplateName className;  // ordinal 0x80 button, 0x81 edit, 0x82 static, 0x83 list box...
  TemplateName text;       // ordinal for an image control's resource
};

struct DialogTemplate {
  bool extended = false;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  TemplateName menu;
  TemplateName windowClass;
  std::u16string caption;
  bool hasFont = false;
  uint16_t pointSize = 0;
  std::u16string faceName;
  std::vector<DialogControl> controls;
};

// Parses size bytes at data. Returns 1 and fills out when the whole
// template, with every control it announces, lies inside the bytes;
// returns 0 for anything truncated or malformed.
int ParseDialogTemplate(const uint8_t* data, std::size_t size, DialogTemplate& out);

// Number of "%s" in a text ("%%" is a literal percent sign and no place).
int CountStringPlaces(const std::u16string& text);

// The mnemonic of a control text: the character after a single "&" ("&&"
// shows an ampersand). 0 when the text has none.
char16_t MnemonicOf(const std::u16string& text);

// Number of single "&" in a text: a text should have at most one mnemonic.
int CountMnemonics(const std::u16string& text);
