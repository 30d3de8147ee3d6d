#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "wizard/core/StartSummary.h"
#include "wizard/core/WizardLayout.h"
#include "wizard/core/WizardPages.h"

namespace {

std::string Show(const PixelRect& r) {
  return std::to_string(r.left) + ',' + std::to_string(r.top) + ',' + std::to_string(r.right) +
         ',' + std::to_string(r.bottom);
}

// Every character 8 pixels wide; keeps what was measured.
int32_t Measure(const char* text, void* ctx) {
  *static_cast<std::string*>(ctx) = text;
  return static_cast<int32_t>(std::strlen(text)) * 8;
}

const SummaryLabels kLabels = {"Product",        "Version",
                               "Interface",      "Installation Directory",
                               "Program Folder", "USB (Universal Serial Bus) Interface",
                               "PS/2 Interface"};

}  // namespace

TEST(WizardRulesTest, PageSequenceForEveryAskFlagCombination) {
  // Row i asks for License, Interface, Destination, Program Folder by bits 3..0 of i.
  const char* expected[16] = {"WSPR",   "WFSPR",   "WDSPR",   "WDFSPR",  "WISPR",  "WIFSPR",
                              "WIDSPR", "WIDFSPR", "WLSPR",   "WLFSPR",  "WLDSPR", "WLDFSPR",
                              "WLISPR", "WLIFSPR", "WLIDSPR", "WLIDFSPR"};
  for (int i = 0; i < 16; ++i) {
    SettingsRecord s{};
    s.AskLicense = i >> 3 & 1;
    s.AskType = (i >> 2 & 1) * 7;  // any non-zero value asks
    s.AskPath = i >> 1 & 1;
    s.AskProgramFolder = i & 1;
    int pages[kPageCount];
    std::string got;
    for (int n = BuildPageSequence(s, pages), k = 0; k < n; ++k) got += "WLIDFSPR"[pages[k]];
    EXPECT_EQ(expected[i], got) << "license, type, path, folder = " << (i >> 3 & 1) << (i >> 2 & 1)
                                << (i >> 1 & 1) << (i & 1);
  }
}

TEST(WizardRulesTest, ResultTextsAndAutomaticFinish) {
  const unsigned kRestart = kTextRestartNeeded | kTextRestartChoice | kTextRemoveDisks;
  const unsigned kReadme = kTextFailed | kTextSeeReadme;
  struct Row {
    int32_t result, restart, noRestart, silent, hidden;
    unsigned texts;
    int presses;
  } rows[] = {{0, 0, 0, 0, 0, kTextDone, 0}, {0, 1, 0, 1, 0, kRestart, 1},
              {0, 1, 1, 1, 0, kTextDone, 1}, {1, 1, 0, 1, 0, kTextFailed | kTextNoPrivilege, 0},
              {3, 0, 0, 1, 0, kReadme, 0},   {-1, 1, 0, 0, 0, kReadme, 0},
              {3, 0, 0, 1, 1, kReadme, 1},  // nobody else can finish a hidden sheet
              {0, 0, 0, 0, 1, kTextDone, 1}};
  for (const Row& r : rows) {
    EXPECT_EQ(r.texts, ChooseResultTexts(r.result, r.restart, r.noRestart))
        << "result " << r.result << " restart " << r.restart << " NR " << r.noRestart;
    EXPECT_EQ(r.presses, ResultPressesFinish(r.result, r.silent, r.hidden))
        << "result " << r.result << " silent " << r.silent << " hidden " << r.hidden;
  }
}

TEST(WizardRulesTest, ExitCode) {
  struct Row {
    int end, result, needed, made, code;
  };
  // clang-format off
  const Row rows[] = {{kWizardFinished, 0, 0, 0, 0}, {kWizardFinished, 0, 1, 1, 0},
      {kWizardFinished, 0, 1, 0, 3010}, {kWizardFinished, 1, 1, 0, 5},
      {kWizardFinished, 3, 0, 0, 1603}, {kWizardFinished, -1, 1, 0, 1603},
      {kWizardCancelled, 3, 0, 0, 1602}, {kWizardFailed, 0, 0, 0, 1603}, {7, 0, 0, 0, 1603}};
  // clang-format on
  for (const Row& r : rows)
    EXPECT_EQ(r.code, WizardExitCode(r.end, r.result, r.needed, r.made))
        << "end " << r.end << " result " << r.result << " needed " << r.needed << " made "
        << r.made;
}

TEST(WizardRulesTest, CentredSheetPosition) {
  struct Row {
    PixelRect area;
    int32_t width, height, band, x, y;
  } rows[] = {
      {{0, 0, 1024, 738}, 500, 400, 0, 262, 169},
      {{100, 30, 1124, 798}, 500, 400, 0, 362, 214},  // work area off the screen's origin
      {{0, 0, 1024, 768}, 500, 400, 250, 262, 250},   // pushed below the band
      {{0, 0, 1024, 768}, 500, 600, 250, 262, 168},   // too tall for the space under the band
      {{0, 40, 1024, 768}, 500, 450, 300, 262, 300},  // fits under the band down to the bottom
      {{0, 40, 1024, 768}, 500, 400, 30, 262, 204},   // band above the work area
      {{0, 30, 800, 600}, 801, 700, 0, 0, 30},        // taller than the work area: caption stays
  };
  for (const Row& r : rows) {
    PixelPoint p = CentredSheetPosition(r.area, r.width, r.height, r.band);
    EXPECT_EQ(std::to_string(r.x) + ',' + std::to_string(r.y),
              std::to_string(p.x) + ',' + std::to_string(p.y))
        << Show(r.area) << ' ' << r.width << 'x' << r.height << " band " << r.band;
  }
}

TEST(WizardRulesTest, SideBitmapDestination) {
  struct Row {
    PixelRect source, client;
    const char* dest;
  } rows[] = {
      {{10, 10, 110, 210}, {0, 0, 500, 360}, "10,10,180,350"},
      {{5, 7, 68, 100}, {0, 0, 400, 300}, "5,7,198,293"},            // truncated
      {{10, 10, 110, 10}, {0, 0, 500, 360}, "10,10,500,350"},        // no height: full width
      {{0, 0, 50000, 50000}, {0, 0, 10, 60000}, "0,0,60000,60000"},  // product past 32 bits
  };
  for (const Row& r : rows)
    EXPECT_EQ(r.dest, Show(SideBitmapDestination(r.source, r.client)))
        << Show(r.source) << " in " << Show(r.client);
}

TEST(WizardRulesTest, ProgressBar) {
  struct Row {
    int32_t percent, width;
    const char* bar;  // fill, then each glyph as text@x and b(lack) or w(hite)
  };
  // clang-format off
  const Row rows[] = {
      {0, 200, "0 0@92b %@108b"}, {9, 200, "18 9@92b %@108b"}, {10, 200, "20 1@84b 0@92b %@108b"},
      {50, 200, "100 5@84w 0@92b %@108b"},  // the units cell ends at the fill: black
      {58, 200, "116 5@84w 8@92w %@108b"},  // so does the sign's
      {99, 200, "198 9@84w 9@92w %@108w"}, {100, 200, "200 100@76w %@108w"},
      {33, 101, "33 3@34b 3@42b %@58b"}, {150, 200, "200 100@76w %@108w"},  // held to the bar
      {-5, 200, "0 0@92b %@108b"},
      {99, 2000000000, "1980000000 9@999999984w 9@999999992w %@1000000008w"}};  // no overflow
  // clang-format on
  for (const Row& r : rows) {
    std::string measured, digits;
    ProgressBarLayout bar;
    std::memset(&bar, 0x55, sizeof bar);
    LayoutProgressBar(r.percent, r.width, 20, 16, Measure, &measured, bar);
    std::string got = std::to_string(bar.FillRight);
    for (int i = 0; i < bar.GlyphCount; ++i) {
      const BarGlyph& g = bar.Glyphs[i];
      got += std::string(" ") + g.Text + '@' + std::to_string(g.X) +
             (g.Colour == kColourWhite   ? 'w'
              : g.Colour == kColourBlack ? 'b'
                                         : '?');
      if (i + 1 < bar.GlyphCount) digits += g.Text;
    }
    EXPECT_EQ(r.bar, got) << r.percent << "% of " << r.width;
    EXPECT_EQ(21, bar.FillBottom);
    EXPECT_EQ(2, bar.TextY);
    EXPECT_EQ(digits, measured) << "the digit width is taken from the digits drawn";
  }
}

TEST(WizardRulesTest, StartSummaryByteForByte) {
  const std::string head =
      "Product:\r\n          Keyboard\r\n\r\nVersion:\r\n          1.0\r\n\r\n"
      "Interface:\r\n          ";
  const std::string usb = "USB (Universal Serial Bus) Interface", ps2 = "PS/2 Interface";
  const std::string dir = "\r\n\r\nInstallation Directory:\r\n          C:\\WINDOWS\\SYSTEM";
  const std::string folder = "\r\n\r\nProgram Folder:\r\n          ";
  struct Row {
    int32_t type, askPath, askFolder;
    const char* folder;
    std::string expected;
  } rows[] = {
      {kInterfaceUSB, 0, 0, "Tools", head + usb},
      {kInterfacePS2, 0, 0, "Tools", head + ps2},
      {kInterfaceUSB, 1, 0, "Tools", head + usb + dir},
      {kInterfacePS2, 0, 1, "Tools", head + ps2 + folder + "Tools"},
      {kInterfacePS2, 1, 1, "Tools", head + ps2 + dir + folder + "Tools"},
      {kInterfaceUSB, 0, 1, "", head + usb + folder},  // an empty folder keeps its entry
      {0, 0, 0, "", head},                             // no interface: an empty value
  };
  for (const Row& r : rows) {
    SettingsRecord s{};
    CopyText(s.ProductName, "Keyboard");
    CopyText(s.Version, "1.0");
    CopyText(s.InstallDir, "C:\\WINDOWS\\SYSTEM");
    s.InterfaceType = r.type;
    s.AskPath = r.askPath;
    s.AskProgramFolder = r.askFolder;
    char out[300];
    EXPECT_EQ(r.expected.size(), ComposeStartSummary(s, r.folder, kLabels, out, sizeof out));
    EXPECT_EQ(r.expected, out) << "type " << r.type << " path " << r.askPath << " folder "
                               << r.askFolder;
  }
}

TEST(WizardRulesTest, StartSummaryHasNoFixedLimitAndFitsAnyBuffer) {
  SettingsRecord s;
  std::memset(&s, 'P', sizeof s);  // no text terminated: read no further than each field
  s.InterfaceType = kInterfacePS2;
  s.AskPath = s.AskProgramFolder = 1;
  std::vector<char> whole(ComposeStartSummary(s, "Folder", kLabels, nullptr, 0) + 1, 'x');
  ComposeStartSummary(s, "Folder", kLabels, whole.data(), whole.size());
  const std::string full = whole.data();
  ASSERT_EQ(whole.size() - 1, full.size());
  for (std::size_t cap = 1; cap < whole.size(); ++cap) {
    std::vector<char> out(cap, 'x');  // exactly cap bytes, so ASan sees a step past them
    ASSERT_EQ(full.size(), ComposeStartSummary(s, "Folder", kLabels, out.data(), cap));
    ASSERT_EQ(full.substr(0, cap - 1), out.data()) << "cap " << cap;
  }
  EXPECT_EQ("Product:\r\n          " + std::string(kTextSize, 'P') + "\r\n", full.substr(0, 282));
  EXPECT_EQ("\r\n          Folder", full.substr(full.size() - 18));
}
