#include <gtest/gtest.h>

#include <vector>

#include "PcxFixture.h"
#include "background/core/Pcx.h"

using namespace pcx_fixture;

namespace {

PcxHeader Parse(const Bytes& file) {
  PcxHeader h{};
  EXPECT_EQ(1, ReadPcxHeader(file.data(), file.size(), h));
  return h;
}

// Decodes into a block of exactly the decoded size, so that ASan catches a
// write past it; the input is copied into a block of exactly its size too.
Bytes Decode(const Bytes& file) {
  PcxHeader h = Parse(file);
  Bytes out(PcxDecodedSize(h), 0);
  Bytes in(file);
  DecodePcxRows(in.data(), in.size(), h, out.data(), out.size());
  return out;
}

PcxSpec Spec8(std::uint16_t width, std::uint16_t height, std::uint16_t bytesPerLine) {
  PcxSpec s;
  s.xmax = static_cast<std::uint16_t>(width - 1);
  s.ymax = static_cast<std::uint16_t>(height - 1);
  s.bytesPerLine = bytesPerLine;
  return s;
}

}  // namespace

TEST(PcxHeaderTest, RefusesShortFilesAndOtherMakers) {
  PcxHeader h{};
  Bytes file = Header(Spec8(4, 1, 4));
  EXPECT_EQ(0, ReadPcxHeader(file.data(), 127, h)) << "shorter than the header";
  EXPECT_EQ(0, ReadPcxHeader(nullptr, 0, h));
  file[0] = 11;
  EXPECT_EQ(0, ReadPcxHeader(file.data(), file.size(), h)) << "first byte not 10";
  file[0] = 10;
  EXPECT_EQ(1, ReadPcxHeader(file.data(), file.size(), h));
}

TEST(PcxHeaderTest, ReadsLittleEndianFieldsAndSize) {
  PcxSpec s;
  s.xmin = 0;
  s.ymin = 0;
  s.xmax = 99;
  s.ymax = 49;
  s.bytesPerLine = 0x0164;
  s.dpi = 0x0148;
  PcxHeader h = Parse(Header(s));
  EXPECT_EQ(100, PcxWidth(h));
  EXPECT_EQ(50, PcxHeight(h));
  EXPECT_EQ(0x0164, h.BytesPerLine);
  EXPECT_EQ(0x0148, h.HorizontalDpi);
  EXPECT_EQ(0x0148, h.VerticalDpi);

  s.xmin = 300;
  s.xmax = 557;  // words above 255 in both bytes
  s.ymin = 10;
  s.ymax = 9;
  h = Parse(Header(s));
  EXPECT_EQ(258, PcxWidth(h));
  EXPECT_EQ(0, PcxHeight(h)) << "Ymax below Ymin";
}

TEST(PcxHeaderTest, ColorCountFromBitsAndPlanes) {
  struct Case {
    std::uint8_t bits, planes;
    std::uint16_t count;
  } cases[] = {{1, 1, 2}, {2, 1, 4}, {4, 1, 16}, {8, 1, 256}, {0, 1, 0},
               {9, 1, 0}, {8, 3, 0}, {1, 4, 0}, {8, 0, 0}};
  for (const Case& c : cases) {
    PcxSpec s = Spec8(4, 1, 4);
    s.bitsPerPixel = c.bits;
    s.planes = c.planes;
    EXPECT_EQ(c.count, PcxColorCount(Parse(Header(s)))) << int(c.bits) << " bits, " << int(c.planes)
                                                       << " planes";
  }
}

TEST(PcxPaletteTest, SixteenColoursFromHeaderOthersFromTheEnd) {
  PcxSpec s = Spec8(4, 1, 4);
  s.bitsPerPixel = 4;
  s.palette = {{1, 2, 3}, {4, 5, 6}};
  Bytes file = MakePcx(s, {Bytes(4, 0)});
  const std::uint8_t* p = PcxPaletteTriples(file.data(), file.size(), Parse(file));
  ASSERT_EQ(file.data() + 16, p);
  EXPECT_EQ(4, p[3]);

  for (std::uint8_t bits : {8, 1}) {  // 256 and 2 colours: the last 768 bytes
    s.bitsPerPixel = bits;
    s.palette = {{10, 20, 30}, {40, 50, 60}};
    file = MakePcx(s, {Bytes(4, 0)});
    p = PcxPaletteTriples(file.data(), file.size(), Parse(file));
    ASSERT_EQ(file.data() + file.size() - 768, p) << int(bits) << " bits";
    EXPECT_EQ(40, p[3]);
    EXPECT_EQ(60, p[5]);
  }
}

TEST(PcxPaletteTest, FileTooShortForTheEndPaletteHasNone) {
  PcxSpec s = Spec8(4, 1, 4);
  s.tailPalette = false;
  Bytes file = MakePcx(s, {Bytes(4, 0)});
  file.resize(128 + 767, 0);
  EXPECT_EQ(nullptr, PcxPaletteTriples(file.data(), file.size(), Parse(file)));
  PcxDibInfo info;
  EXPECT_EQ(0, MakePcxDibInfo(file.data(), file.size(), Parse(file), info));
  file.push_back(0);
  EXPECT_NE(nullptr, PcxPaletteTriples(file.data(), file.size(), Parse(file)));

  s.bitsPerPixel = 4;  // 16 colours need nothing past the header
  file = Header(s);
  EXPECT_EQ(file.data() + 16, PcxPaletteTriples(file.data(), file.size(), Parse(file)));
  s.bitsPerPixel = 8;
  s.planes = 3;
  file = MakePcx(s, {Bytes(4, 0)});
  EXPECT_EQ(nullptr, PcxPaletteTriples(file.data(), file.size(), Parse(file))) << "3 planes";
}

TEST(PcxDecodeTest, RunsLiteralsAndCutRuns) {
  // Line 0: a run 0xC5 0x07 (five 7s), then literal 0xBF, then a run of
  // nine 2s that passes the line's end (8 bytes): cut after two.
  // Line 1 starts with the byte after that run's data byte.
  PcxSpec s = Spec8(8, 2, 8);
  Bytes file = Header(s);
  Bytes data = {0xC5, 0x07, 0xBF, 0xC9, 0x02, 0x11, 0x12, 0xC6, 0x13};
  file.insert(file.end(), data.begin(), data.end());
  AppendTailPalette(file, s);
  Bytes out = Decode(file);
  ASSERT_EQ(16u, out.size());
  Bytes bottom(out.begin(), out.begin() + 8), top(out.begin() + 8, out.end());
  EXPECT_EQ((Bytes{7, 7, 7, 7, 7, 0xBF, 2, 2}), top) << "first file row is the last DIB row";
  EXPECT_EQ((Bytes{0x11, 0x12, 0x13, 0x13, 0x13, 0x13, 0x13, 0x13}), bottom);
}

TEST(PcxDecodeTest, RowsPaddedToFourBytesWithZeros) {
  PcxSpec s = Spec8(101, 2, 101);
  PcxHeader h = Parse(Header(s));
  EXPECT_EQ(104u, PcxRowLength(h));
  EXPECT_EQ(208u, PcxDecodedSize(h));
  Bytes out = Decode(MakePcx(s, {Bytes(101, 0xAA), Bytes(101, 0x55)}));
  ASSERT_EQ(208u, out.size());
  for (int row = 0; row < 2; ++row) {
    std::uint8_t expected = row == 0 ? 0x55 : 0xAA;
    for (int x = 0; x < 101; ++x) ASSERT_EQ(expected, out[row * 104 + x]) << row << "," << x;
    for (int x = 101; x < 104; ++x) EXPECT_EQ(0, out[row * 104 + x]) << "padding " << row << "," << x;
  }
}

TEST(PcxDecodeTest, TruncatedDataLeavesTheRestZero) {
  PcxSpec s = Spec8(4, 3, 4);
  Bytes file = MakePcx(s, {Bytes(4, 9), Bytes(4, 8), Bytes(4, 7)});
  file.resize(128 + 2 + 1);  // first line (a run: 2 bytes), then a run byte alone
  file.back() = 0xC4;
  Bytes out = Decode(file);
  EXPECT_EQ((Bytes{0, 0, 0, 0, 0, 0, 0, 0, 9, 9, 9, 9}), out);

  file.resize(128);  // no data at all
  out = Decode(file);
  EXPECT_EQ(Bytes(12, 0), out);
}

TEST(PcxDecodeTest, RefusesGeometryThatWouldOverrunTheRows) {
  PcxSpec s = Spec8(100, 10, 100);
  EXPECT_EQ(1000u, PcxDecodedSize(Parse(Header(s))));
  s.bytesPerLine = 96;  // rows of 96 bytes, but a 100-pixel DIB row has 100
  EXPECT_EQ(0u, PcxDecodedSize(Parse(Header(s))));
  s = Spec8(100, 10, 100);
  s.xmin = 200;  // Xmax below Xmin
  EXPECT_EQ(0u, PcxDecodedSize(Parse(Header(s))));
  s = Spec8(65535, 65535, 65535);  // 4 GB of rows
  EXPECT_EQ(0u, PcxDecodedSize(Parse(Header(s))));
  s = Spec8(16, 1, 2);
  s.bitsPerPixel = 1;  // 16 one-bit pixels fit two bytes
  EXPECT_EQ(4u, PcxDecodedSize(Parse(Header(s))));
  s.planes = 3;
  EXPECT_EQ(0u, PcxDecodedSize(Parse(Header(s))));
}

TEST(PcxDibInfoTest, DescribesTheBitmap) {
  PcxSpec s = Spec8(100, 50, 100);
  s.palette = {{0xFF, 0x80, 0x01}, {0x10, 0x20, 0x30}};
  Bytes file = MakePcx(s, std::vector<Bytes>(50, Bytes(100, 1)));
  PcxDibInfo info;
  ASSERT_EQ(1, MakePcxDibInfo(file.data(), file.size(), Parse(file), info));
  EXPECT_EQ(100, info.Width);
  EXPECT_EQ(50, info.Height);
  EXPECT_EQ(8, info.BitCount);
  EXPECT_EQ(2808, info.XPelsPerMeter) << "72 dots per inch";
  EXPECT_EQ(2808, info.YPelsPerMeter);
  EXPECT_EQ(256u, info.ColorsUsed);
  EXPECT_EQ(0x01, info.ColorTable[0][0]) << "blue first";
  EXPECT_EQ(0x80, info.ColorTable[0][1]);
  EXPECT_EQ(0xFF, info.ColorTable[0][2]);
  EXPECT_EQ(0, info.ColorTable[0][3]);
  EXPECT_EQ(0x30, info.ColorTable[1][0]);

  s.bitsPerPixel = 4;
  s.bytesPerLine = 50;
  s.palette = {{1, 2, 3}};
  file = MakePcx(s, {});
  ASSERT_EQ(1, MakePcxDibInfo(file.data(), file.size(), Parse(file), info));
  EXPECT_EQ(16u, info.ColorsUsed);
  EXPECT_EQ(3, info.ColorTable[0][0]);
  EXPECT_EQ(1, info.ColorTable[0][2]);
}
