// PCX logo files as GDI objects: a screen-compatible bitmap and a logical
// palette, both owned by the caller. The decisions about the file's bytes
// live in core/Pcx.h; this layer reads the file and calls GDI.
#pragma once
#include <windows.h>

HBITMAP LoadPcxBitmap(const char* path);
// The palette is realized in window's device context before it is returned.
HPALETTE LoadPcxPalette(HWND window, const char* path);
void RealizeWindowPalette(HWND window, HPALETTE palette);
void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y);

// image: a movable block holding the whole file (fileSize bytes, at least
// the 128 of the header, plus 10 spare), as ReadPcxFile makes it.
HGLOBAL ReadPcxFile(const char* path, DWORD* fileSize);
HPALETTE CreatePcxPalette(HGLOBAL image, DWORD fileSize);
HBITMAP CreatePcxBitmap(HGLOBAL image, HPALETTE palette, DWORD fileSize);

// The decoded bottom-up DIB rows in a new movable block, or none when the
// image is refused. image is the locked file.
HGLOBAL DecodePcxPixels(const BYTE* image, DWORD fileSize);
// info has room for the header and PcxColorCount entries. 0 when the file
// has no palette.
int FillPcxBitmapInfo(const BYTE* image, BITMAPINFO* info, DWORD fileSize);
WORD PcxColorCount(const BYTE* image);
int PcxWidth(const BYTE* image);
int PcxHeight(const BYTE* image);
