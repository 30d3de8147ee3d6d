// The PCX routines on real GDI: files become bitmaps and palettes with the
// right size, orientation and colours, and broken files become nothing.
#include <gtest/gtest.h>

#include "../native/PcxFixture.h"
#include "TestSupport.h"
#include "background/PcxBitmap.h"

using namespace testing_support;
using namespace pcx_fixture;

namespace {

std::string Write(const TempDir& dir, const std::string& name, const Bytes& bytes) {
  std::string path = dir / name;
  WriteTextFile(path, std::string(bytes.begin(), bytes.end()));
  return path;
}

// 100 x 50, 8 bits: the top 10 file rows colour 1 (red), the rest colour 2
// (blue), and the first 5 pixels of every row colour 3 (green).
Bytes Logo256() {
  PcxSpec s;
  s.bitsPerPixel = 8;
  s.xmax = 99;
  s.ymax = 49;
  s.bytesPerLine = 100;
  s.palette = {{0, 0, 0}, {255, 0, 0}, {0, 0, 255}, {0, 255, 0}};
  std::vector<Bytes> lines;
  for (int y = 0; y < 50; ++y) {
    Bytes line(100, y < 10 ? 1 : 2);
    for (int x = 0; x < 5; ++x) line[x] = 3;
    lines.push_back(line);
  }
  return MakePcx(s, lines);
}

// 40 x 20, 4 bits per pixel, palette in the header: left half colour 14
// (yellow), right half colour 9 (light blue).
Bytes Logo16() {
  PcxSpec s;
  s.bitsPerPixel = 4;
  s.xmax = 39;
  s.ymax = 19;
  s.bytesPerLine = 20;
  s.palette.assign(16, Rgb{0, 0, 0});
  s.palette[14] = {255, 255, 0};
  s.palette[9] = {0, 128, 255};
  Bytes half1(10, 0xEE), half2(10, 0x99);
  Bytes line(half1);
  line.insert(line.end(), half2.begin(), half2.end());
  return MakePcx(s, std::vector<Bytes>(20, line));
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  COLORREF c = GetPixel(memory, x, y);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return c;
}

BITMAP SizeOf(HBITMAP bitmap) {
  BITMAP bm{};
  GetObjectA(bitmap, sizeof bm, &bm);
  return bm;
}

}  // namespace

TEST(LoadPcxBitmap, TwoHundredFiftySixColoursFirstFileRowOnTop) {
  TempDir dir("pcx");
  HBITMAP bitmap = LoadPcxBitmap(Write(dir, "logo.pcx", Logo256()).c_str());
  ASSERT_NE(nullptr, bitmap);
  BITMAP bm = SizeOf(bitmap);
  EXPECT_EQ(100, bm.bmWidth);
  EXPECT_EQ(50, bm.bmHeight);
  EXPECT_EQ(RGB(255, 0, 0), PixelOf(bitmap, 50, 0)) << "first file row at the top";
  EXPECT_EQ(RGB(255, 0, 0), PixelOf(bitmap, 99, 9));
  EXPECT_EQ(RGB(0, 0, 255), PixelOf(bitmap, 50, 10));
  EXPECT_EQ(RGB(0, 0, 255), PixelOf(bitmap, 99, 49));
  EXPECT_EQ(RGB(0, 255, 0), PixelOf(bitmap, 4, 30));
  EXPECT_EQ(RGB(0, 0, 255), PixelOf(bitmap, 5, 30));
  DeleteObject(bitmap);
}

TEST(LoadPcxBitmap, SixteenColoursFromTheHeaderPalette) {
  TempDir dir("pcx");
  HBITMAP bitmap = LoadPcxBitmap(Write(dir, "logo16.pcx", Logo16()).c_str());
  ASSERT_NE(nullptr, bitmap);
  EXPECT_EQ(40, SizeOf(bitmap).bmWidth);
  EXPECT_EQ(20, SizeOf(bitmap).bmHeight);
  EXPECT_EQ(RGB(255, 255, 0), PixelOf(bitmap, 0, 0));
  EXPECT_EQ(RGB(255, 255, 0), PixelOf(bitmap, 19, 19));
  EXPECT_EQ(RGB(0, 128, 255), PixelOf(bitmap, 20, 0));
  EXPECT_EQ(RGB(0, 128, 255), PixelOf(bitmap, 39, 19));
  DeleteObject(bitmap);
}

// What the core refuses (PcxTest) gives no bitmap and no palette.
TEST(LoadPcxBitmap, BrokenFilesGiveNothing) {
  TempDir dir("pcx");
  Bytes notPcx = Logo256();
  notPcx[0] = 0x0B;
  Bytes noTailPalette = Logo256();
  noTailPalette.resize(128 + 700);  // data cut, too short for the palette
  const std::pair<const char*, Bytes> cases[] = {
      {"maker.pcx", notPcx}, {"nopal.pcx", noTailPalette}, {"empty.pcx", {}}};
  for (const auto& [name, bytes] : cases) {
    std::string path = Write(dir, name, bytes);
    EXPECT_EQ(nullptr, LoadPcxBitmap(path.c_str())) << name;
    EXPECT_EQ(nullptr, LoadPcxPalette(nullptr, path.c_str())) << name;
  }
  EXPECT_EQ(nullptr, LoadPcxBitmap((dir / "missing.pcx").c_str()));
}

TEST(LoadPcxPalette, EntriesFromTheRightSource) {
  TempDir dir("pcx");
  HPALETTE palette = LoadPcxPalette(nullptr, Write(dir, "logo.pcx", Logo256()).c_str());
  ASSERT_NE(nullptr, palette);
  PALETTEENTRY entries[257] = {};
  EXPECT_EQ(256u, GetPaletteEntries(palette, 0, 257, entries));
  EXPECT_EQ(255, entries[1].peRed);
  EXPECT_EQ(0, entries[1].peBlue);
  EXPECT_EQ(255, entries[3].peGreen);
  DeleteObject(palette);

  palette = LoadPcxPalette(nullptr, Write(dir, "logo16.pcx", Logo16()).c_str());
  ASSERT_NE(nullptr, palette);
  EXPECT_EQ(16u, GetPaletteEntries(palette, 0, 257, entries));
  EXPECT_EQ(128, entries[9].peGreen);
  EXPECT_EQ(255, entries[9].peBlue);
  DeleteObject(palette);
}

TEST(DrawBitmap, CopiesTheBitmapAtThePoint) {
  TempDir dir("pcx");
  HBITMAP logo = LoadPcxBitmap(Write(dir, "logo16.pcx", Logo16()).c_str());
  ASSERT_NE(nullptr, logo);
  HDC screen = GetDC(nullptr);
  HDC target = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, 100, 100);
  HGDIOBJ old = SelectObject(target, canvas);
  RECT all{0, 0, 100, 100};
  FillRect(target, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  DrawBitmap(target, logo, 30, 40);
  EXPECT_EQ(RGB(0, 0, 0), GetPixel(target, 29, 40));
  EXPECT_EQ(RGB(255, 255, 0), GetPixel(target, 30, 40));
  EXPECT_EQ(RGB(0, 128, 255), GetPixel(target, 69, 59));
  EXPECT_EQ(RGB(0, 0, 0), GetPixel(target, 70, 59));
  EXPECT_EQ(RGB(0, 0, 0), GetPixel(target, 69, 60));
  SelectObject(target, old);
  DeleteObject(canvas);
  DeleteDC(target);
  ReleaseDC(nullptr, screen);
  DeleteObject(logo);
}
