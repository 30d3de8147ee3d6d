// Builds PCX files for tests: header fields, run-length encoded scan lines
// and the optional 768-byte palette at the end.
#pragma once
#include <cstdint>
#include <vector>

namespace pcx_fixture {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
  std::uint8_t r, g, b;
};

struct PcxSpec {
  std::uint8_t bitsPerPixel = 8;
  std::uint8_t planes = 1;
  std::uint16_t xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  std::uint16_t dpi = 72;
  std::uint16_t bytesPerLine = 0;
  std::vector<Rgb> palette;  // into the header for 16 colours, else at the end
  bool tailPalette = true;   // write the 768 bytes at the end
};

inline void PutWord(Bytes& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// Run-length encodes one scan line the usual way: runs of up to 63 equal
// bytes, and every byte of 0xC0 or more as a run of one.
inline void EncodeLine(Bytes& out, const Bytes& line) {
  std::size_t i = 0;
  while (i < line.size()) {
    std::size_t n = 1;
    while (i + n < line.size() && line[i + n] == line[i] && n < 63) ++n;
    if (n > 1 || line[i] >= 0xC0) out.push_back(static_cast<std::uint8_t>(0xC0 | n));
    out.push_back(line[i]);
    i += n;
  }
}

inline Bytes Header(const PcxSpec& s) {
  Bytes b(128, 0);
  b[0] = 10;
  b[1] = 5;
  b[2] = 1;
  b[3] = s.bitsPerPixel;
  PutWord(b, 4, s.xmin);
  PutWord(b, 6, s.ymin);
  PutWord(b, 8, s.xmax);
  PutWord(b, 10, s.ymax);
  PutWord(b, 12, s.dpi);
  PutWord(b, 14, s.dpi);
  if (s.bitsPerPixel == 4)
    for (std::size_t i = 0; i < s.palette.size() && i < 16; ++i) {
      b[16 + i * 3] = s.palette[i].r;
      b[17 + i * 3] = s.palette[i].g;
      b[18 + i * 3] = s.palette[i].b;
    }
  b[65] = s.planes;
  PutWord(b, 66, s.bytesPerLine);
  return b;
}

inline void AppendTailPalette(Bytes& b, const PcxSpec& s) {
  b.push_back(12);
  Bytes tail(768, 0);
  for (std::size_t i = 0; i < s.palette.size() && i < 256; ++i) {
    tail[i * 3] = s.palette[i].r;
    tail[i * 3 + 1] = s.palette[i].g;
    tail[i * 3 + 2] = s.palette[i].b;
  }
  b.insert(b.end(), tail.begin(), tail.end());
}

// A whole file: header, the given scan lines encoded, then the palette.
inline Bytes MakePcx(const PcxSpec& s, const std::vector<Bytes>& lines) {
  Bytes b = Header(s);
  for (const Bytes& line : lines) EncodeLine(b, line);
  if (s.tailPalette && s.bitsPerPixel != 4) AppendTailPalette(b, s);
  return b;
}

}  // namespace pcx_fixture
