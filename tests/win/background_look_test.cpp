// The title band as the screen shows it: the real Setup.exe under Xvfb, its
// hidden window shown as the UI driver does, the screen taken with the
// host's ImageMagick ("import"), and colours checked at known points. The
// pictures stay in build/windows/artefacts for a look by eye.
#include <gtest/gtest.h>

#include <cstdlib>

#include "../native/PcxFixture.h"
#include "TestSupport.h"
#include "UiDriver.h"

using namespace testing_support;
using namespace pcx_fixture;

namespace {

struct Rgb8 {
  int r, g, b;
};

bool IsTeal(Rgb8 c) { return c.r == 0 && c.g == 128 && c.b == 128; }
bool IsWhite(Rgb8 c) { return c.r == 255 && c.g == 255 && c.b == 255; }
bool IsBlack(Rgb8 c) { return c.r == 0 && c.g == 0 && c.b == 0; }
bool IsNeutral(Rgb8 c) { return std::abs(c.r - c.g) <= 3 && std::abs(c.g - c.b) <= 3; }
bool Is(Rgb8 c, int r, int g, int b) { return c.r == r && c.g == g && c.b == b; }

// The whole screen as rows of RGB bytes.
class Screenshot {
 public:
  int width = 0, height = 0;
  std::string pixels;
  Rgb8 at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
    size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return {static_cast<unsigned char>(pixels[i]), static_cast<unsigned char>(pixels[i + 1]),
            static_cast<unsigned char>(pixels[i + 2])};
  }
};

// Wine starts Unix programs too; the raw file appears by rename when done.
bool TakeScreenshot(const TempDir& dir, const std::string& artefactName, Screenshot& shot) {
  std::string artefacts = BinDir() + "\\artefacts";
  CreateDirectoryA(artefacts.c_str(), nullptr);
  std::string png = UnixPath(artefacts + "\\" + artefactName + ".png");
  std::string raw = UnixPath(dir / "screen.rgb");
  std::string script = "import -window root 'png:" + png + "' && convert '" + png +
                       "' -depth 8 'rgb:" + raw + ".tmp' && mv '" + raw + ".tmp' '" + raw + "'";
  HANDLE h = Start("Z:\\bin\\sh -c \"" + script + "\"", "");
  if (h) CloseHandle(h);
  std::string rawWindows = dir / "screen.rgb";
  for (int i = 0; i < 300 && !PathExists(rawWindows); ++i) Sleep(100);
  shot.width = GetSystemMetrics(SM_CXSCREEN);
  shot.height = GetSystemMetrics(SM_CYSCREEN);
  shot.pixels = ReadTextFile(rawWindows);
  return shot.pixels.size() == static_cast<size_t>(shot.width) * shot.height * 3;
}

// A 256-colour logo: the top third colour A, the rest colour B.
std::string WriteLogo(const std::string& media, int width, int height, Rgb a, Rgb b) {
  PcxSpec s;
  s.xmax = static_cast<std::uint16_t>(width - 1);
  s.ymax = static_cast<std::uint16_t>(height - 1);
  s.bytesPerLine = static_cast<std::uint16_t>(width);
  s.palette = {{0, 0, 0}, a, b};
  std::vector<Bytes> lines;
  for (int y = 0; y < height; ++y) lines.push_back(Bytes(s.bytesPerLine, y < height / 3 ? 1 : 2));
  Bytes file = MakePcx(s, lines);
  std::string path = media + "\\logo.pcx";
  WriteTextFile(path, std::string(file.begin(), file.end()));
  return path;
}

int TitleTextHeight(const std::string& title) {
  HDC dc = GetDC(nullptr);
  HFONT font = CreateFontA(42, 0, 0, 0, 600, TRUE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_ROMAN,
                           "Times New Roman");
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, title.c_str(), static_cast<int>(title.size()), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  return size.cy;
}

struct LookCase {
  const char* artefact;
  const char* productName;
  int logoWidth, logoHeight;
  Rgb top, bottom;
};

// Pure white pixels (the title) and pure black ones (its shadow) in the
// rows [y0, y1) left of x1, and how the shadow lies under the title.
struct TextStats {
  int white = 0, black = 0, whiteWithShadow = 0, whiteOverBand = 0;
};

TextStats CountText(const Screenshot& shot, POINT o, int x1, int y0, int y1) {
  TextStats t;
  for (int y = y0; y < y1; ++y)
    for (int x = 0; x < x1; ++x) {
      Rgb8 c = shot.at(o.x + x, o.y + y);
      t.black += IsBlack(c);
      if (!IsWhite(c)) continue;
      ++t.white;
      Rgb8 under = shot.at(o.x + x + 5, o.y + y + 5);
      t.whiteWithShadow += IsBlack(under);
      t.whiteOverBand += !IsNeutral(under);  // teal there: no shadow 5 px down and right
    }
  return t;
}

void CheckLook(const LookCase& c) {
  SCOPED_TRACE(c.artefact);
  if (UnixPath("C:\\").empty())
    GTEST_SKIP() << "the screen is taken with the host's ImageMagick: Wine only";
  SetupMedia m;
  std::string logo = WriteLogo(m.media(), c.logoWidth, c.logoHeight, c.top, c.bottom);
  m.WriteScript("Stage1", "",
                std::string("SetupTitle=") + c.productName + "\r\nBkgLogo=" + logo + "\r\n");
  m.AddStage("Stage1", "setup_x64.exe", "");
  ScopedEnv log("SETUP_TEST_LOG", m.log());
  DWORD pid = 0;
  HANDLE setup = Start("\"" + m.setupPath() + "\"", m.media(), &pid);
  ASSERT_NE(nullptr, setup);
  HWND window = ui::FindTopWindow("FullSetupClass", "", 10000, pid);
  ASSERT_NE(nullptr, window);
  ShowWindow(window, SW_SHOWNORMAL);  // what "uidriver show" does
  UpdateWindow(window);
  RECT client{};
  GetClientRect(window, &client);
  POINT o{0, 0};
  ClientToScreen(window, &o);
  int logoX = client.right - c.logoWidth + 2 * GetSystemMetrics(SM_CXFRAME);
  // On a busy machine the first paint may land after the first picture:
  // take another until the band and the logo are there (four at most).
  Screenshot shot;
  bool took = false;
  for (int attempt = 0; attempt < 4; ++attempt) {
    Sleep(attempt == 0 ? 400 : 1000);
    TempDir dir("shot");
    took = TakeScreenshot(dir, c.artefact, shot);
    Rgb8 corner = shot.at(o.x + logoX + 2, o.y + 1);
    if (took && IsTeal(shot.at(o.x + 2, o.y + 2)) && Is(corner, c.top.r, c.top.g, c.top.b)) break;
  }

  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, 7213, 0, 0, SMTO_NORMAL, 5000, &result);  // ends the run
  EXPECT_EQ(0u, FinishProcess(setup, 10000));
  ASSERT_TRUE(took) << "no screenshot";
  int cw = client.right;
  std::string title = std::string(c.productName) + " Setup";
  int h = TitleTextHeight(title);

  // The band: teal where nothing is drawn.
  EXPECT_TRUE(IsTeal(shot.at(o.x + 2, o.y + 2)));
  EXPECT_TRUE(IsTeal(shot.at(o.x + cw / 2, o.y + client.bottom - 10)));
  EXPECT_TRUE(IsTeal(shot.at(o.x + 5, o.y + 2 * h + 40)));

  // The logo at the top right, its first file rows on top.
  auto rgb = [](Rgb v) { return Rgb8{v.r, v.g, v.b}; };
  Rgb8 top = shot.at(o.x + logoX + 2, o.y + 1),
       bottom = shot.at(o.x + logoX + 2, o.y + c.logoHeight - 2);
  EXPECT_TRUE(Is(top, rgb(c.top).r, rgb(c.top).g, rgb(c.top).b))
      << top.r << "," << top.g << "," << top.b;
  EXPECT_TRUE(Is(bottom, rgb(c.bottom).r, rgb(c.bottom).g, rgb(c.bottom).b))
      << bottom.r << "," << bottom.g << "," << bottom.b;
  EXPECT_TRUE(IsTeal(shot.at(o.x + logoX - 1, o.y + 1))) << "left of the logo";
  EXPECT_TRUE(IsTeal(shot.at(o.x + logoX + 2, o.y + c.logoHeight + 1))) << "below the logo";
  Rgb8 edge = shot.at(o.x + cw - 1, o.y + 1);
  EXPECT_TRUE(Is(edge, rgb(c.top).r, rgb(c.top).g, rgb(c.top).b)) << "logo reaches the right edge";

  // Title in white with its black shadow 5 px down and to the right.
  TextStats first = CountText(shot, o, logoX - 10, 0, 5 + h);
  EXPECT_GT(first.white, 200);
  EXPECT_GT(first.black, 200);
  EXPECT_EQ(0, first.whiteOverBand) << "a white pixel without shadow 5 px down and right";
  EXPECT_GT(first.whiteWithShadow * 2, first.white) << "the shadow lies 5 px down and right";

  TextStats second = CountText(shot, o, logoX - 10, 5 + h + 6, 5 + 2 * h);
  EXPECT_GT(second.white, 200) << "second line";
  EXPECT_EQ(0, second.whiteOverBand);
}

}  // namespace

// One run: a title that wraps to two lines over a 256-colour logo. Where a
// title wraps is WrapTitleTest's; 16-colour logos are background_pcx_test's.
TEST(TitleBandLook, TwoLinesOverTheLogo) {
  CheckLook({"band-2lines",
             "Velmorax Comfort Keyboard and Wireless Mouse Driver Installation Package for Windows",
             160,
             90,
             {255, 128, 0},
             {128, 0, 128}});
}
