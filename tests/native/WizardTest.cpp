// The wizard: pages, result page, exit code, layout and texts.

#include "Rows.h"
#include "wizard/core/PageText.h"
#include "wizard/core/StartSummary.h"
#include "wizard/core/WizardLayout.h"
#include "wizard/core/WizardPages.h"

// clang-format off

static PixelRect Rect(const std::string& text) {
  PixelRect r;
  std::sscanf(text.c_str(), "%d,%d,%d,%d", &r.left, &r.top, &r.right, &r.bottom);
  return r;
}

// Ask License, Interface, Destination, Program Folder -> the pages that run, for every
// combination; any non-zero value asks.
TEST(Wizard, PageSequence) {
  CheckRows({{"0000 WSPR"}, {"0001 WFSPR"}, {"0010 WDSPR"}, {"0011 WDFSPR"}, {"0700 WISPR"},
             {"0101 WIFSPR"}, {"0110 WIDSPR"}, {"0111 WIDFSPR"}, {"1000 WLSPR"}, {"1001 WLFSPR"},
             {"1010 WLDSPR"}, {"1011 WLDFSPR"}, {"1100 WLISPR"}, {"1101 WLIFSPR"},
             {"1110 WLIDSPR"}, {"-111 WLIDFSPR"}},
            [](const Row& r) {
              SettingsRecord s{};
              int32_t* asks[] = {&s.AskLicense, &s.AskType, &s.AskPath, &s.AskProgramFolder};
              for (int i = 0; i < 4; ++i) *asks[i] = r[0][i] - '0';
              int pages[kPageCount];
              std::string got;
              for (int n = BuildPageSequence(s, pages), k = 0; k < n; ++k)
                got += "WLIDFSPR"[pages[k]];
              return got;
            });
}

// Each way a run ends, with its exit code, is a Wine row; here the one no run there gives.
TEST(Wizard, ExitCodeWithoutASheet) {
  EXPECT_EQ(1603, WizardExitCode(kWizardFailed, 0, 0, 0)) << "the sheet did not run";
}

// Work area, sheet width, height, title band -> the sheet's corner.
TEST(Wizard, Layout) {
  // Centred in a work area off the origin, and below a band, are Wine runs; here the edges.
  CheckRows({{"0,0,1024,768 500 600 250 262,168"}, {"0,40,1024,768 500 400 30 262,204"},
             {"0,30,800,600 801 700 0 0,30"}},
            [](const Row& r) {
              PixelPoint p = CentredSheetPosition(Rect(r[0]), Num(r[1]), Num(r[2]), Num(r[3]));
              return Str(p.x) + ',' + Str(p.y);
            });
  // The side picture: control, page -> where it is drawn.
  CheckRows({{"10,10,110,210 0,0,500,360 10,10,180,350"}, {"5,7,68,100 0,0,400,300 5,7,198,293"},
             {"10,10,110,10 0,0,500,360 10,10,500,350"}},  // no height: full width
            [](const Row& r) {
              PixelRect d = SideBitmapDestination(Rect(r[0]), Rect(r[1]));
              return Str(d.left) + ',' + Str(d.top) + ',' + Str(d.right) + ',' + Str(d.bottom);
            });
}

// Percent, bar width -> fill, then each glyph as text@x, b(lack) or w(hite).
TEST(Wizard, ProgressBar) {
  CheckRows({{"0 200 0,0@92b,%@108b"}, {"9 200 18,9@92b,%@108b"}, {"10 200 20,1@84b,0@92b,%@108b"},
             {"50 200 100,5@84w,0@92b,%@108b"}, {"58 200 116,5@84w,8@92w,%@108b"},
             {"99 200 198,9@84w,9@92w,%@108w"}, {"100 200 200,100@76w,%@108w"},
             {"33 101 33,3@34b,3@42b,%@58b"}},
            [](const Row& r) {
              ProgressBarLayout bar;
              std::memset(&bar, 0x55, sizeof bar);
              auto measure = [](const char* text, void*) { return int32_t(std::strlen(text) * 8); };
              LayoutProgressBar(Num(r[0]), Num(r[1]), 20, 16, measure, nullptr, bar);
              std::string got = Str(bar.FillRight);
              for (int i = 0; i < bar.GlyphCount; ++i)
                got += std::string(",") + bar.Glyphs[i].Text + '@' + Str(bar.Glyphs[i].X) +
                       Name(bar.Glyphs[i].Colour, {{kColourWhite, "w"}, {kColourBlack, "b"}});
              return bar.FillBottom == 21 && bar.TextY == 2 ? got : "bottom or text row";
            });
}

// Pattern, name, cap -> fitted, text: "%s" takes the name, "%%" is "%".
TEST(Wizard, FormatWithName) {
  CheckRows({{"Welcome to %s. Install %s?", "Kbd", "64", "1 Welcome to Kbd. Install Kbd?"},
             {"%s", "a %s b", "64", "1 a %s b"},  // the name is not read as a pattern
             {"100%% of %d %", "x", "64", "1 100% of %d %"}, {"%s!", "abcdef", "5", "0 abcd"},
             {"ab%s", "cd", "3", "0 ab"}, {"", "x", "1", "1 "}, {"%", "x", "64", "1 %"}},
            [](const Row& r) {
              std::vector<char> out(Num(r[2]), '#');  // exact size: ASan sees a step past it
              int fitted = FormatWithName(out.data(), out.size(), r[0].c_str(), r[1].c_str());
              return Str(fitted) + " " + out.data();
            });
}

// Product, interface, AskPath, AskProgramFolder, folder -> the Start page's summary, in a
// buffer of the size it asks for (ASan sees overruns). Every field not given is filled to its
// end, where reading stops, as there is no fixed limit; "P": the product too.
TEST(Wizard, StartSummary) {
  const SummaryLabels labels = {"Product", "Version", "Interface", "Dir", "Folder", "USB", "PS/2"};
  const std::string p = "\r\n          " + std::string(kTextSize, 'P');
  const std::string kbd =
      "Product:\r\n          Kbd\r\n\r\nVersion:" + p + "\r\n\r\nInterface:\r\n          ";
  // PS/2 with both entries, the folder empty, is a Wine run byte for byte.
  CheckRows({{"Kbd", "1", "0", "0", "Tools", kbd + "USB"},
             {"Kbd", "2", "0", "1", "Tools", kbd + "PS/2\r\n\r\nFolder:\r\n          Tools"},
             {"P", "2", "1", "1", "F",
              "Product:" + p + "\r\n\r\nVersion:" + p + "\r\n\r\nInterface:\r\n          PS/2" +
                  "\r\n\r\nDir:" + p + "\r\n\r\nFolder:\r\n          F"}},
            [&](const Row& r) {
              SettingsRecord s;
              std::memset(&s, 'P', sizeof s);
              if (r[0] != "P") CopyText(s.ProductName, r[0].c_str());
              int32_t* fields[] = {&s.InterfaceType, &s.AskPath, &s.AskProgramFolder};
              for (int i = 0; i < 3; ++i) *fields[i] = Num(r[i + 1]);
              const char* folder = r[4].c_str();
              std::vector<char> out(ComposeStartSummary(s, folder, labels, nullptr, 0) + 1, 'x');
              size_t length = ComposeStartSummary(s, folder, labels, out.data(), out.size());
              return length == std::strlen(out.data()) ? std::string(out.data())
                                                       : "length " + Str(length);
            });
}
