#include "Pcx.h"

#include <cstring>

namespace {

std::uint16_t Word(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Row stride of a DIB of this width and bit count.
std::uint64_t DibStride(std::int32_t width, std::uint8_t bits) {
  return (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
}

}  // namespace

int ReadPcxHeader(const std::uint8_t* data, std::size_t size, PcxHeader& out) {
  if (data == nullptr || size < kPcxHeaderSize || data[0] != kPcxManufacturer) return 0;
  out.BitsPerPixel = data[3];
  out.Xmin = Word(data + 4);
  out.Ymin = Word(data + 6);
  out.Xmax = Word(data + 8);
  out.Ymax = Word(data + 10);
  out.HorizontalDpi = Word(data + 12);
  out.VerticalDpi = Word(data + 14);
  std::memcpy(out.HeaderPalette, data + 16, sizeof out.HeaderPalette);
  out.Planes = data[65];
  out.BytesPerLine = Word(data + 66);
  return 1;
}

std::uint16_t PcxColorCount(const PcxHeader& h) {
  if (h.BitsPerPixel < 1 || h.BitsPerPixel > 8 || h.Planes != 1) return 0;
  return static_cast<std::uint16_t>(1u << h.BitsPerPixel);
}

std::int32_t PcxWidth(const PcxHeader& h) { return std::int32_t{h.Xmax} - h.Xmin + 1; }
std::int32_t PcxHeight(const PcxHeader& h) { return std::int32_t{h.Ymax} - h.Ymin + 1; }

const std::uint8_t* PcxPaletteTriples(const std::uint8_t* data, std::size_t size, const PcxHeader& h) {
  std::uint16_t count = PcxColorCount(h);
  if (count == 0) return nullptr;
  if (count == 16) return data + 16;
  if (size < kPcxHeaderSize + kPcxTailPaletteSize) return nullptr;
  return data + size - kPcxTailPaletteSize;
}

std::size_t PcxRowLength(const PcxHeader& h) {
  return (static_cast<std::size_t>(h.BytesPerLine) + 3) & ~static_cast<std::size_t>(3);
}

std::size_t PcxDecodedSize(const PcxHeader& h) {
  std::int32_t width = PcxWidth(h);
  std::int32_t height = PcxHeight(h);
  if (PcxColorCount(h) == 0 || width <= 0 || height <= 0) return 0;
  std::uint64_t rowLength = PcxRowLength(h);
  if (rowLength < DibStride(width, h.BitsPerPixel)) return 0;
  std::uint64_t total = rowLength * static_cast<std::uint64_t>(height);
  if (total > kPcxMaxDecodedSize) return 0;
  return static_cast<std::size_t>(total);
}

void DecodePcxRows(const std::uint8_t* data, std::size_t size, const PcxHeader& h, std::uint8_t* out,
                   std::size_t outSize) {
  std::size_t rows = static_cast<std::size_t>(PcxHeight(h) > 0 ? PcxHeight(h) : 0);
  std::size_t rowLength = PcxRowLength(h);
  std::size_t lineBytes = h.BytesPerLine;
  if (outSize < rowLength * rows) return;
  std::size_t in = kPcxHeaderSize;
  for (std::size_t r = 0; r < rows; ++r) {
    std::uint8_t* row = out + (rows - 1 - r) * rowLength;
    std::size_t written = 0;
    while (written < lineBytes) {
      if (in >= size) return;  // data ended early: the rest stays 0
      std::uint8_t b = data[in++];
      if (b >= 0xC0) {
        if (in >= size) return;
        std::size_t count = b & 0x3F;
        std::uint8_t value = data[in++];
        while (count-- > 0 && written < lineBytes) row[written++] = value;
      } else {
        row[written++] = b;
      }
    }
  }
}

int MakePcxDibInfo(const std::uint8_t* data, std::size_t size, const PcxHeader& h, PcxDibInfo& out) {
  const std::uint8_t* triples = PcxPaletteTriples(data, size, h);
  if (triples == nullptr) return 0;
  std::memset(&out, 0, sizeof out);
  out.Width = PcxWidth(h);
  out.Height = PcxHeight(h);
  out.BitCount = h.BitsPerPixel;
  out.XPelsPerMeter = std::int32_t{h.HorizontalDpi} * 39;
  out.YPelsPerMeter = std::int32_t{h.VerticalDpi} * 39;
  out.ColorsUsed = PcxColorCount(h);
  for (std::uint32_t i = 0; i < out.ColorsUsed; ++i) {
    out.ColorTable[i][0] = triples[i * 3 + 2];
    out.ColorTable[i][1] = triples[i * 3 + 1];
    out.ColorTable[i][2] = triples[i * 3];
  }
  return 1;
}
