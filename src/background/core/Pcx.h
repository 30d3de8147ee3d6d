// PCX logo files (ZSoft, run-length encoded, one plane, 1 to 8 bits per
// pixel): header fields, palette source, and decoding into bottom-up DIB
// rows. Every read is bounded by the file's size, since the logo comes with
// the installation media and is not to be trusted. Portable: no Windows header.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr std::size_t kPcxHeaderSize = 128;
constexpr std::size_t kPcxTailPaletteSize = 768;  // 256 triples at the end of the file
constexpr std::uint8_t kPcxManufacturer = 10;
// Decoded rows larger than this are refused: a logo is small, and the size
// must not overflow on a 32-bit process.
constexpr std::size_t kPcxMaxDecodedSize = 64u * 1024u * 1024u;

struct PcxHeader {
  std::uint8_t BitsPerPixel;
  std::uint16_t Xmin, Ymin, Xmax, Ymax;
  std::uint16_t HorizontalDpi, VerticalDpi;
  std::uint8_t HeaderPalette[48];  // 16 triples of red, green, blue
  std::uint8_t Planes;
  std::uint16_t BytesPerLine;
};

// 0 when the file is shorter than the header or its first byte is not 10.
int ReadPcxHeader(const std::uint8_t* data, std::size_t size, PcxHeader& out);

// 2 to the power of the bits per pixel for 1 to 8 bits and one plane, else 0.
std::uint16_t PcxColorCount(const PcxHeader& h);
// Xmax - Xmin + 1 and Ymax - Ymin + 1; not positive for a broken header.
std::int32_t PcxWidth(const PcxHeader& h);
std::int32_t PcxHeight(const PcxHeader& h);

// The palette's first triple: the header's for 16 colours, else the last
// 768 bytes of the file. nullptr when the colour count is 0 or the file is
// too short to hold the header and that palette.
const std::uint8_t* PcxPaletteTriples(const std::uint8_t* data, std::size_t size, const PcxHeader& h);

// Bytes per scan line rounded up to a multiple of 4, as DIB rows are.
std::size_t PcxRowLength(const PcxHeader& h);

// Size of the decoded rows (row length x height), or 0 when the image is
// refused: no colours, no width or height, scan lines too short for the
// width (a DIB of that width would be read past its rows), or too large.
std::size_t PcxDecodedSize(const PcxHeader& h);

// Decodes the run-length data from offset 128 into out (PcxDecodedSize
// bytes, zeroed by the caller), first file row into the bottom DIB row.
// Runs are cut at the scan line's end. When the data end early, the rows
// not reached stay 0.
void DecodePcxRows(const std::uint8_t* data, std::size_t size, const PcxHeader& h, std::uint8_t* out,
                   std::size_t outSize);

// What the DIB description holds, ready to copy into BITMAPINFO.
struct PcxDibInfo {
  std::int32_t Width, Height;  // height positive: rows bottom-up
  std::uint16_t BitCount;
  std::int32_t XPelsPerMeter, YPelsPerMeter;  // dots per inch x 39
  std::uint32_t ColorsUsed;
  std::uint8_t ColorTable[256][4];  // blue, green, red, 0
};

// 0 when the image has no palette (see PcxPaletteTriples).
int MakePcxDibInfo(const std::uint8_t* data, std::size_t size, const PcxHeader& h, PcxDibInfo& out);
