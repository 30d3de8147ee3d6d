#include "PcxBitmap.h"

#include "background/core/Pcx.h"
#include "common/Handles.h"

namespace {

// Larger files are not logos; the limit also keeps size + 10 from wrapping.
constexpr DWORD kMaxPcxFileSize = 16u * 1024u * 1024u;

PcxHeader HeaderOf(const BYTE* image) {
  PcxHeader h{};
  ReadPcxHeader(image, kPcxHeaderSize, h);
  return h;
}

// Locks a global block for the lifetime of the object.
class LockedGlobal {
 public:
  explicit LockedGlobal(HGLOBAL block) : block_(block), p_(static_cast<BYTE*>(GlobalLock(block))) {}
  ~LockedGlobal() {
    if (p_) GlobalUnlock(block_);
  }
  LockedGlobal(const LockedGlobal&) = delete;
  LockedGlobal& operator=(const LockedGlobal&) = delete;
  BYTE* get() const { return p_; }

 private:
  HGLOBAL block_;
  BYTE* p_;
};

// Selects palette into dc as a foreground palette and realizes it;
// invalidates window when that changed the system palette.
HPALETTE SelectAndRealize(HDC dc, HPALETTE palette, HWND window) {
  HPALETTE old = SelectPalette(dc, palette, FALSE);
  UINT changed = RealizePalette(dc);
  if (window != nullptr && changed != GDI_ERROR && changed > 0) InvalidateRect(window, nullptr, TRUE);
  return old;
}

}  // namespace

WORD PcxColorCount(const BYTE* image) { return PcxColorCount(HeaderOf(image)); }
int PcxWidth(const BYTE* image) { return PcxWidth(HeaderOf(image)); }
int PcxHeight(const BYTE* image) { return PcxHeight(HeaderOf(image)); }

HGLOBAL ReadPcxFile(const char* path, DWORD* fileSize) {
  // CreateFile, not OpenFile: OpenFile stops at 128-character paths and
  // searches the system folders for a bare name.
  UniqueFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  DWORD size = GetFileSize(file.get(), nullptr);
  if (size == INVALID_FILE_SIZE || size < kPcxHeaderSize || size > kMaxPcxFileSize) return nullptr;
  UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size + 10));
  if (!block) return nullptr;
  {
    LockedGlobal lock(block.get());
    DWORD read = 0;
    if (lock.get() == nullptr || !ReadFile(file.get(), lock.get(), size, &read, nullptr) || read != size ||
        lock.get()[0] != kPcxManufacturer)
      return nullptr;
  }
  *fileSize = size;
  return block.release();
}

HPALETTE CreatePcxPalette(HGLOBAL image, DWORD fileSize) {
  if (image == nullptr) return nullptr;
  LockedGlobal lock(image);
  if (lock.get() == nullptr) return nullptr;
  PcxHeader h = HeaderOf(lock.get());
  WORD count = PcxColorCount(h);
  const BYTE* triples = PcxPaletteTriples(lock.get(), fileSize, h);
  if (count == 0 || triples == nullptr) return nullptr;

  UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, count * 4 + 8));
  if (!block) return nullptr;
  LockedGlobal logLock(block.get());
  auto* pal = reinterpret_cast<LOGPALETTE*>(logLock.get());
  if (pal == nullptr) return nullptr;
  pal->palVersion = 0x300;
  pal->palNumEntries = count;
  for (WORD i = 0; i < count; ++i) {
    pal->palPalEntry[i].peRed = triples[i * 3];
    pal->palPalEntry[i].peGreen = triples[i * 3 + 1];
    pal->palPalEntry[i].peBlue = triples[i * 3 + 2];
    pal->palPalEntry[i].peFlags = 0;
  }
  return CreatePalette(pal);
}

HGLOBAL DecodePcxPixels(const BYTE* image, DWORD fileSize) {
  PcxHeader h = HeaderOf(image);
  std::size_t size = PcxDecodedSize(h);
  if (size == 0) return nullptr;
  UniqueGlobal rows(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
  if (!rows) return nullptr;
  LockedGlobal lock(rows.get());
  if (lock.get() == nullptr) return nullptr;
  DecodePcxRows(image, fileSize, h, lock.get(), size);
  return rows.release();
}

int FillPcxBitmapInfo(const BYTE* image, BITMAPINFO* info, DWORD fileSize) {
  PcxHeader h = HeaderOf(image);
  PcxDibInfo dib;
  if (!MakePcxDibInfo(image, fileSize, h, dib)) return 0;
  BITMAPINFOHEADER& bh = info->bmiHeader;
  bh.biSize = sizeof(BITMAPINFOHEADER);
  bh.biWidth = dib.Width;
  bh.biHeight = dib.Height;
  bh.biPlanes = 1;
  bh.biBitCount = dib.BitCount;
  bh.biCompression = BI_RGB;
  bh.biSizeImage = 0;
  bh.biXPelsPerMeter = dib.XPelsPerMeter;
  bh.biYPelsPerMeter = dib.YPelsPerMeter;
  bh.biClrUsed = dib.ColorsUsed;
  bh.biClrImportant = 0;
  for (DWORD i = 0; i < dib.ColorsUsed; ++i) {
    info->bmiColors[i].rgbBlue = dib.ColorTable[i][0];
    info->bmiColors[i].rgbGreen = dib.ColorTable[i][1];
    info->bmiColors[i].rgbRed = dib.ColorTable[i][2];
    info->bmiColors[i].rgbReserved = 0;
  }
  return 1;
}

namespace {

HBITMAP MakeScreenBitmap(const BYTE* image, HPALETTE palette, DWORD fileSize, const BYTE* rows) {
  WORD count = PcxColorCount(image);
  UniqueGlobal infoBlock(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + 4u * count));
  if (!infoBlock) return nullptr;
  LockedGlobal infoLock(infoBlock.get());
  auto* info = reinterpret_cast<BITMAPINFO*>(infoLock.get());
  if (info == nullptr || !FillPcxBitmapInfo(image, info, fileSize)) return nullptr;

  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return nullptr;
  // Realized first, so that the bitmap's colours map through the logo's own palette.
  HPALETTE old = palette ? SelectAndRealize(screen, palette, nullptr) : nullptr;
  HBITMAP bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, rows, info, DIB_RGB_COLORS);
  if (old != nullptr) SelectPalette(screen, old, FALSE);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

}  // namespace

HBITMAP CreatePcxBitmap(HGLOBAL image, HPALETTE palette, DWORD fileSize) {
  if (image == nullptr) return nullptr;
  LockedGlobal lock(image);
  if (lock.get() == nullptr || PcxColorCount(lock.get()) == 0) return nullptr;
  UniqueGlobal rows(DecodePcxPixels(lock.get(), fileSize));
  if (!rows) return nullptr;
  LockedGlobal rowsLock(rows.get());
  if (rowsLock.get() == nullptr) return nullptr;
  return MakeScreenBitmap(lock.get(), palette, fileSize, rowsLock.get());
}

HBITMAP LoadPcxBitmap(const char* path) {
  DWORD size = 0;
  UniqueGlobal image(ReadPcxFile(path, &size));
  if (!image) return nullptr;
  UniquePalette palette(CreatePcxPalette(image.get(), size));
  return CreatePcxBitmap(image.get(), palette.get(), size);
}

HPALETTE LoadPcxPalette(HWND window, const char* path) {
  DWORD size = 0;
  UniqueGlobal image(ReadPcxFile(path, &size));
  if (!image) return nullptr;
  HPALETTE palette = CreatePcxPalette(image.get(), size);
  if (palette == nullptr) return nullptr;
  HDC dc = GetDC(window);
  if (dc != nullptr) {
    HPALETTE old = SelectAndRealize(dc, palette, window);
    SelectPalette(dc, old, FALSE);
    ReleaseDC(window, dc);
  }
  return palette;
}

void RealizeWindowPalette(HWND window, HPALETTE palette) {
  HDC dc = GetDC(window);
  if (dc == nullptr) return;
  if (palette != nullptr) {
    HPALETTE old = SelectAndRealize(dc, palette, window);
    SelectPalette(dc, old, FALSE);
  }
  ReleaseDC(window, dc);
}

void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y) {
  HDC memory = CreateCompatibleDC(dc);
  if (memory == nullptr) return;
  HGDIOBJ old = SelectObject(memory, bitmap);
  SetMapMode(memory, GetMapMode(dc));
  BITMAP bm{};
  GetObjectA(bitmap, sizeof bm, &bm);
  POINT size{bm.bmWidth, bm.bmHeight};
  DPtoLP(dc, &size, 1);
  POINT origin{0, 0};
  DPtoLP(memory, &origin, 1);
  BitBlt(dc, x, y, size.x, size.y, memory, origin.x, origin.y, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}
