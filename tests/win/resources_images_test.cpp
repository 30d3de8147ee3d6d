// The pictures, the manifest and the version resource of Setup.exe, read as
// data; both animations opened and played by an animation control.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "resources_support.h"

#include <commctrl.h>

using namespace res_test;

namespace {

constexpr LANGID kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);

uint32_t Le32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

// What the animation control needs to know of an AVI clip.
struct AviFacts {
  uint32_t usecPerFrame = 0, frames = 0, streams = 0, width = 0, height = 0;
  int videoStreams = 0, audioStreams = 0;
  uint32_t compression = 0xFFFFFFFF, bitCount = 0;
  int frameChunks = 0;
  uint32_t largestFrame = 0;
};

// Walks the RIFF chunks; lists are entered, everything is bounded by the
// resource size.
void WalkRiff(const BYTE* p, const BYTE* end, AviFacts& f) {
  while (end - p >= 8) {
    uint32_t size = Le32(p + 4);
    const BYTE* body = p + 8;
    if (size > static_cast<uint32_t>(end - body)) return;
    if (!std::memcmp(p, "RIFF", 4) || !std::memcmp(p, "LIST", 4)) {
      if (size >= 4) WalkRiff(body + 4, body + size, f);
    } else if (!std::memcmp(p, "avih", 4) && size >= 40) {
      f.usecPerFrame = Le32(body);
      f.frames = Le32(body + 16);
      f.streams = Le32(body + 24);
      f.width = Le32(body + 32);
      f.height = Le32(body + 36);
    } else if (!std::memcmp(p, "strh", 4) && size >= 4) {
      if (!std::memcmp(body, "vids", 4)) ++f.videoStreams;
      if (!std::memcmp(body, "auds", 4)) ++f.audioStreams;
    } else if (!std::memcmp(p, "strf", 4) && size >= 40) {
      f.bitCount = body[14] | (body[15] << 8);
      f.compression = Le32(body + 16);
    } else if (!std::memcmp(p + 2, "db", 2) || !std::memcmp(p + 2, "dc", 2)) {
      ++f.frameChunks;
      if (size > f.largestFrame) f.largestFrame = size;
    }
    p = body + size + (size & 1);
  }
}

AviFacts ReadAvi(WORD id) {
  AviFacts f;
  const BYTE* data = nullptr;
  DWORD size = 0;
  if (ResourceBytes(SetupData(), "AVI", MAKEINTRESOURCEA(id), kNeutral, &data, &size)) WalkRiff(data, data + size, f);
  return f;
}

}  // namespace

TEST(Pictures, SideBitmapIs129By249With16Colours) {
  const BYTE* data = nullptr;
  DWORD size = 0;
  ASSERT_TRUE(ResourceBytes(SetupData(), RT_BITMAP, MAKEINTRESOURCEA(IDB_SIDE), kNeutral, &data, &size));
  ASSERT_GE(size, sizeof(BITMAPINFOHEADER));
  BITMAPINFOHEADER h;
  std::memcpy(&h, data, sizeof h);
  EXPECT_EQ(129, h.biWidth);
  EXPECT_EQ(249, h.biHeight);
  EXPECT_EQ(4, h.biBitCount);
  EXPECT_EQ(static_cast<DWORD>(BI_RGB), h.biCompression);
  EXPECT_TRUE(h.biClrUsed == 0 || h.biClrUsed == 16) << h.biClrUsed;
  // Header, 16 colours, 249 rows of 65 bytes padded to 68.
  EXPECT_EQ(40u + 16 * 4 + 249 * 68, size);
}

TEST(Pictures, IconsAre16ColourAtTheirSizes) {
  for (WORD id = IDI_SETUP; id <= IDI_NETWORK_DRIVE; ++id) {
    SCOPED_TRACE(testing::Message() << "icon " << id);
    const int side = id == IDI_SETUP ? 32 : 16;
    const BYTE* group = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(ResourceBytes(SetupData(), RT_GROUP_ICON, MAKEINTRESOURCEA(id), kNeutral, &group, &size));
    ASSERT_GE(size, 6u + 14u);
    ASSERT_EQ(1, group[4] | (group[5] << 8)) << "one image";
    const BYTE* entry = group + 6;
    EXPECT_EQ(side, entry[0]);
    EXPECT_EQ(side, entry[1]);
    EXPECT_EQ(16, entry[2]) << "colour count";
    EXPECT_EQ(4, entry[6] | (entry[7] << 8)) << "bits per pixel";
    WORD imageId = static_cast<WORD>(entry[12] | (entry[13] << 8));
    const BYTE* image = nullptr;
    DWORD imageSize = 0;
    ASSERT_TRUE(ResourceBytes(SetupData(), RT_ICON, MAKEINTRESOURCEA(imageId), kNeutral, &image, &imageSize));
    BITMAPINFOHEADER h;
    ASSERT_GE(imageSize, sizeof h);
    std::memcpy(&h, image, sizeof h);
    EXPECT_EQ(side, h.biWidth);
    EXPECT_EQ(side * 2, h.biHeight) << "colour rows and mask rows";
    EXPECT_EQ(4, h.biBitCount);
    HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(image), imageSize, TRUE, 0x00030000, side, side, 0);
    EXPECT_NE(nullptr, icon);
    if (icon) DestroyIcon(icon);
  }
}

TEST(Pictures, AnimationsAre272By60At10FramesASecondWithoutSound) {
  struct Clip {
    WORD id;
    uint32_t frames;
  };
  for (Clip clip : {Clip{IDA_COPY, 34}, Clip{IDA_REGISTRY, 31}}) {
    SCOPED_TRACE(testing::Message() << "animation " << clip.id);
    AviFacts f = ReadAvi(clip.id);
    EXPECT_EQ(100000u, f.usecPerFrame);
    EXPECT_EQ(clip.frames, f.frames);
    EXPECT_EQ(272u, f.width);
    EXPECT_EQ(60u, f.height);
    EXPECT_EQ(1u, f.streams);
    EXPECT_EQ(1, f.videoStreams);
    EXPECT_EQ(0, f.audioStreams);
    EXPECT_TRUE(f.compression == BI_RGB || f.compression == BI_RLE8) << f.compression;
    EXPECT_EQ(8u, f.bitCount);
    EXPECT_EQ(static_cast<int>(clip.frames), f.frameChunks);
    if (f.compression == BI_RGB) {
      EXPECT_EQ(272u * 60u, f.largestFrame);
    }
  }
}

namespace {

struct PlayLog {
  int starts = 0;
};

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND && HIWORD(wp) == ACN_START) {
    auto* log = reinterpret_cast<PlayLog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (log) ++log->starts;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void Pump(DWORD ms) {
  DWORD start = GetTickCount();
  MSG m;
  while (GetTickCount() - start < ms) {
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    Sleep(10);
  }
}

}  // namespace

// The clips open from Setup.exe's resources, play, and put their pictures on
// the screen (the copy clip's computer is drawn dark grey on the right).
TEST(Pictures, AnimationControlOpensAndPlaysBothClips) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_ANIMATE_CLASS};
  ASSERT_TRUE(InitCommonControlsEx(&icc));
  WNDCLASSA wc = {};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "AnimationHost";
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  RegisterClassA(&wc);
  for (WORD id : {IDA_COPY, IDA_REGISTRY}) {
    SCOPED_TRACE(testing::Message() << "animation " << id);
    PlayLog log;
    HWND host = CreateWindowExA(0, "AnimationHost", "clip", WS_POPUP | WS_VISIBLE, 0, 0, 320, 100, nullptr,
                                nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, host);
    SetWindowLongPtrA(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&log));
    HWND anim = CreateWindowExA(0, ANIMATE_CLASSA, "", WS_CHILD | WS_VISIBLE | ACS_CENTER | ACS_TRANSPARENT, 0,
                                0, 300, 60, host, reinterpret_cast<HMENU>(1009), wc.hInstance, nullptr);
    ASSERT_NE(nullptr, anim);
    EXPECT_TRUE(SendMessageA(anim, ACM_OPENA, reinterpret_cast<WPARAM>(SetupData()), reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(id))));
    EXPECT_TRUE(SendMessageA(anim, ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, 0xFFFF)));
    Pump(400);
    EXPECT_GE(log.starts, 1) << "ACN_START";
    HDC dc = GetDC(anim);
    // Clip centred in 300 pixels: x offset 14. The copy clip's monitor case
    // and the registry clip's key tree sit at known places.
    COLORREF pixel = id == IDA_COPY ? GetPixel(dc, 14 + 197, 7 + 1) : GetPixel(dc, 14 + 205, 8 + 20);
    COLORREF backdrop = GetPixel(dc, 14 + 150, 2);
    ReleaseDC(anim, dc);
    EXPECT_NE(CLR_INVALID, pixel);
    EXPECT_NE(backdrop, pixel) << std::hex << "drawn 0x" << pixel << ", backdrop 0x" << backdrop;
    SendMessageA(anim, ACM_STOP, 0, 0);
    SendMessageA(anim, ACM_OPENA, 0, 0);
    DestroyWindow(host);
  }
}

TEST(Manifest, RequiresAdministratorAndNoVisualStyles) {
  const BYTE* data = nullptr;
  DWORD size = 0;
  ASSERT_TRUE(ResourceBytes(SetupData(), MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), kNeutral, &data, &size));
  std::string manifest(reinterpret_cast<const char*>(data), size);
  EXPECT_NE(std::string::npos, manifest.find("<requestedExecutionLevel level=\"requireAdministrator\""));
  EXPECT_EQ(std::string::npos, manifest.find("Microsoft.Windows.Common-Controls"))
      << "version 6 controls would give the pages a look their layout was not made for";
}

TEST(VersionInfo, NamesTheFileAndItsVersion) {
  std::string path = testing_support::BinDir() + "\\Setup.exe";
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, &block[0]));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  ASSERT_TRUE(VerQueryValueA(&block[0], "\\", reinterpret_cast<void**>(&fixed), &len));
  EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
  EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
  EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
  char* name = nullptr;
  ASSERT_TRUE(VerQueryValueA(&block[0], "\\StringFileInfo\\040904E4\\OriginalFilename",
                             reinterpret_cast<void**>(&name), &len));
  EXPECT_STREQ("Setup.exe", name);
  char* version = nullptr;
  ASSERT_TRUE(VerQueryValueA(&block[0], "\\StringFileInfo\\040904E4\\FileVersion",
                             reinterpret_cast<void**>(&version), &len));
  EXPECT_STREQ("1.0.0.0", version);
}
