#include "wizard/core/DialogTemplate.h"

namespace {

constexpr uint32_t kSetFont = 0x40;     // DS_SETFONT
constexpr uint32_t kShellFont = 0x48;   // DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

// Bounded little-endian reader over the resource bytes. Every read checks
// the end first; after a failed read ok() stays false.
class Reader {
 public:
  Reader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }

  uint16_t Word() {
    if (!Need(2)) return 0;
    uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  uint32_t Dword() {
    uint32_t lo = Word();
    uint32_t hi = Word();
    return lo | (hi << 16);
  }
  int16_t Short() { return static_cast<int16_t>(Word()); }
  uint8_t Byte() {
    if (!Need(1)) return 0;
    return data_[pos_++];
  }
  std::u16string String() {
    std::u16string s;
    for (;;) {
      uint16_t c = Word();
      if (!ok_ || c == 0) return s;
      s.push_back(static_cast<char16_t>(c));
    }
  }
  TemplateName Name() {
    TemplateName n;
    uint16_t first = Word();
    if (!ok_ || first == 0) return n;
    if (first == 0xFFFF) {
      n.isOrdinal = true;
      n.ordinal = Word();
      return n;
    }
    n.text.push_back(static_cast<char16_t>(first));
    n.text += String();
    return n;
  }
  void AlignDword() {
    std::size_t aligned = (pos_ + 3) & ~static_cast<std::size_t>(3);
    if (aligned > size_) {
      // The last control may end the resource without padding.
      pos_ = size_;
      return;
    }
    pos_ = aligned;
  }
  void Skip(std::size_t n) {
    if (Need(n)) pos_ += n;
  }

 private:
  bool Need(std::size_t n) {
    if (!ok_ || size_ - pos_ < n) {
      ok_ = false;
      return false;
    }
    return true;
  }
  const uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

void ReadHeader(Reader& r, DialogTemplate& t, uint16_t& count) {
  uint16_t first = r.Word();
  uint16_t second = r.Word();
  t.extended = (first == 1 && second == 0xFFFF);
  if (t.extended) {
    r.Dword();  // help id
    t.exStyle = r.Dword();
    t.style = r.Dword();
  } else {
    t.style = first | (static_cast<uint32_t>(second) << 16);
    t.exStyle = r.Dword();
  }
  count = r.Word();
  t.x = r.Short();
  t.y = r.Short();
  t.cx = r.Short();
  t.cy = r.Short();
  t.menu = r.Name();
  t.windowClass = r.Name();
  t.caption = r.String();
  t.hasFont = (t.style & kSetFont) != 0 || (t.style & kShellFont) == kShellFont;
  if (!t.hasFont) return;
  t.pointSize = r.Word();
  if (t.extended) {
    r.Word();  // weight
    r.Byte();  // italic
    r.Byte();  // character set
  }
  t.faceName = r.String();
}

DialogControl ReadControl(Reader& r, bool extended) {
  DialogControl c;
  r.AlignDword();
  if (extended) {
    r.Dword();  // help id
    c.exStyle = r.Dword();
    c.style = r.Dword();
  } else {
    c.style = r.Dword();
    c.exStyle = r.Dword();
  }
  c.x = r.Short();
  c.y = r.Short();
  c.cx = r.Short();
  c.cy = r.Short();
  c.id = extended ? r.Dword() : r.Word();
  c.className = r.Name();
  c.text = r.Name();
  uint16_t extra = r.Word();
  r.Skip(extra);
  return c;
}

}  // namespace

int ParseDialogTemplate(const uint8_t* data, std::size_t size, DialogTemplate& out) {
  out = DialogTemplate();
  if (data == nullptr) return 0;
  Reader r(data, size);
  uint16_t count = 0;
  ReadHeader(r, out, count);
  for (uint16_t i = 0; i < count && r.ok(); ++i) out.controls.push_back(ReadControl(r, out.extended));
  if (!r.ok()) {
    out = DialogTemplate();
    return 0;
  }
  return 1;
}

int CountStringPlaces(const std::u16string& text) {
  int places = 0;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'%') continue;
    if (text[i + 1] == u's') ++places;
    ++i;  // "%%" and "%s" both consume the next character
  }
  return places;
}

namespace {

// Position after each single "&", calling f(index of the mnemonic).
template <typename F>
void ForEachMnemonic(const std::u16string& text, F f) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (i + 1 < text.size() && text[i + 1] == u'&') {
      ++i;
      continue;
    }
    if (i + 1 < text.size()) f(i + 1);
  }
}

}  // namespace

char16_t MnemonicOf(const std::u16string& text) {
  char16_t found = 0;
  ForEachMnemonic(text, [&](std::size_t i) {
    if (found == 0) found = text[i];
  });
  return found;
}

int CountMnemonics(const std::u16string& text) {
  int n = 0;
  ForEachMnemonic(text, [&](std::size_t) { ++n; });
  return n;
}
