// Setup.exe's pictures as Windows loads them, its manifest, and both
// animations opened and played by an animation control.
#include <gtest/gtest.h>

#include <set>

#include "resources_support.h"

#include <commctrl.h>

using namespace res_test;

TEST(Pictures, IconsAndTheSideBitmapLoad) {
  for (WORD id = IDI_SETUP; id <= IDI_NETWORK_DRIVE; ++id)
    EXPECT_NE(nullptr, LoadImageA(SetupData(), MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0)) << "icon " << id;
  EXPECT_NE(nullptr, LoadImageA(SetupData(), MAKEINTRESOURCEA(IDB_SIDE), IMAGE_BITMAP, 0, 0, 0));
}

// A clip the control cannot decode (a codec it lacks, a sound stream) does
// not open; one that opens but draws nothing leaves the backdrop.
TEST(Pictures, AnimationsOpenPlayAndDraw) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_ANIMATE_CLASS};
  ASSERT_TRUE(InitCommonControlsEx(&icc));
  for (WORD id : {IDA_COPY, IDA_REGISTRY}) {
    SCOPED_TRACE(testing::Message() << "animation " << id);
    HWND anim =
        CreateWindowExA(0, ANIMATE_CLASSA, "", WS_POPUP, 0, 0, 272, 60, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, anim);
    ShowWindow(anim, SW_SHOWNA);  // not activated: no window manager to wait for when it goes
    EXPECT_TRUE(SendMessageA(anim, ACM_OPENA, reinterpret_cast<WPARAM>(SetupData()),
                             reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(id))));
    EXPECT_TRUE(SendMessageA(anim, ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, 0xFFFF)));
    testing_support::PumpFor(300);
    std::set<COLORREF> colours;
    HDC dc = GetDC(anim);
    for (int y = 0; y < 60; y += 3)
      for (int x = 0; x < 272; x += 3) colours.insert(GetPixel(dc, x, y));
    ReleaseDC(anim, dc);
    EXPECT_GT(colours.size(), 2u) << "a picture";
    DestroyWindow(anim);
  }
}

// Installing needs administrator rights; version 6 controls would give the
// pages a look their layout was not made for.
TEST(Manifest, RequiresAdministratorAndNoVisualStyles) {
  const BYTE* data = nullptr;
  DWORD size = 0;
  ASSERT_TRUE(ResourceBytes(SetupData(), MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1),
                            MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), &data, &size));
  std::string manifest(reinterpret_cast<const char*>(data), size);
  EXPECT_NE(std::string::npos, manifest.find("<requestedExecutionLevel level=\"requireAdministrator\""));
  EXPECT_EQ(std::string::npos, manifest.find("Microsoft.Windows.Common-Controls"));
}
