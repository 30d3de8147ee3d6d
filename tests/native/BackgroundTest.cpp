// The background window: the chained stages, the PCX logo and the title band.

#include "Rows.h"
#include "background/core/ChainSequence.h"
#include "background/core/Pcx.h"
#include "background/core/TitleWrap.h"

// clang-format off

static SettingsRecord Media(std::string moduleDir, std::string dir1, std::string dir2) {
  SettingsRecord s{};
  CopyText(s.ModuleDir, moduleDir.c_str());
  CopyText(s.DirName1, dir1.c_str());
  CopyText(s.DirName2, dir2.c_str());
  CopyText(s.SetupProgramName, "setup_x64.exe");
  return s;
}

using Bytes = std::vector<std::uint8_t>;

// A PCX file: the header (Ymin 10, 328 by 72 dpi, palette bytes 0, 1, ...), then body.
static Bytes Pcx(int width, int height, int bytesPerLine, Bytes body = {}, int bits = 8,
                 int planes = 1, int xmin = 0) {
  Bytes b(128, 0);
  b[0] = 10;
  b[3] = std::uint8_t(bits);
  b[65] = std::uint8_t(planes);
  const std::pair<int, int> words[] = {{4, xmin},      {6, 10},   {8, xmin + width - 1},
                                       {10, 9 + height}, {12, 328}, {14, 72},
                                       {66, bytesPerLine}};
  for (auto [at, value] : words) {
    b[at] = std::uint8_t(value);
    b[at + 1] = std::uint8_t(value >> 8);
  }
  for (int i = 0; i < 48; ++i) b[16 + i] = std::uint8_t(i);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

static PcxHeader Header(const Bytes& file) {
  PcxHeader h{};
  EXPECT_EQ(1, ReadPcxHeader(file.data(), file.size(), h));
  return h;
}

// Stage, ModuleDir, folder, s: silent -> program|switches added; "|": refused, too long.
TEST(Background, ChainCommand) {
  const std::string m(238, 'm');
  // The paths and switches of the usual runs are Wine rows; here the lengths.
  CheckRows({{"1", m, "Stage1", "", m + "\\Stage1\\setup_x64.exe|"},  // 259 characters fit
             {"1", m, "Stage1", "s", "|"}, {"2", m, std::string(30, 'd'), "", "|"}},
            [](const Row& r) {
              SettingsRecord s = Media(r[1], r[2], r[2]);
              s.SilentMode = r[3] == "s";
              ChainCommand cmd;
              int result = (r[0] == "1" ? BuildFirstChainCommand : BuildSecondChainCommand)(s, cmd);
              std::string app = cmd.Application, line = cmd.CommandLine;
              if (result != (app.empty() ? kChainTooLong : kChainReady) || line.find(app))
                return line;
              return app + "|" + line.substr(app.size());
            });
}

// DirName1, command, this program, exists -> first stage; outcome -> chain steps.
TEST(Background, ChainSequence) {
  CheckRows({{"", "ready", "1", "1", "wizard"}, {"", "ready", "0", "0", "wizard"},
             {"", "ready", "0", "1", "start"}, {"", "long", "0", "0", "wizard"},
             {"S1 ready 0 0 start"}, {"S1 ready 1 1 start"}, {"S1 long 0 1 nothing"}},
            [](const Row& r) {
              int build = r[1] == "ready" ? kChainReady : kChainTooLong;
              int stage = ChooseFirstStage(Media("C:\\M", r[0], "S2"), build, Num(r[2]), Num(r[3]));
              return Name(stage, {{kFirstStartProgram, "start"}, {kFirstOpenWizard, "wizard"},
                                  {kFirstNothing, "nothing"}});
            });
  // How the first stage ended (a program: once it signals), DirName2 -> the step after it. A
  // stage that did not start and a second stage after either are Wine runs.
  CheckRows({{"ended", "", "end"}, {"cancelled S2 end"}, {"restarting S2 end"},
             {"signalled", "", "end"}},  // not the Setup.exe beside us
            [](const Row& r) {
              ChainState st;
              ChainStep(st);  // starts the first stage
              int outcome = r[0] == "ended"       ? kFirstWizardEnded
                            : r[0] == "cancelled" ? kFirstWizardCancelled
                            : r[0] == "signalled" ? (st.ChainWait = 0, kFirstRunning)
                                                  : kFirstWizardRestarting;
              ChainFirstDone(st, outcome, Media("C:\\M", "S1", r[1]));
              return Name(ChainStep(st), {{kActWaitAgain, "wait"}, {kActEnd, "end"},
                                          {kActStartSecond | kActEnd, "second"}});
            });
}


// Bits, planes, file size -> colours @ palette offset: last colour table entry (data 0, 1, ...).
TEST(Background, PcxHeader) {
  CheckRows({{"1 1 897 2@129:6,5,4,0"}, {"2 1 128 4@-"}, {"4 1 128 16@16:47,46,45,0"},
             {"8 1 896 256@128:255,254,253,0"}, {"8 1 895 256@-"}, {"0 1 901 0@-"},
             {"9 1 901 0@-"}, {"8 3 901 0@-"}, {"8 0 901 0@-"}},
            [](const Row& r) {
              Bytes data(Num(r[2]) - 128);
              for (size_t i = 0; i < data.size(); ++i) data[i] = std::uint8_t(i);
              Bytes file = Pcx(4, 1, 4, data, Num(r[0]), Num(r[1]));
              PcxHeader h = Header(file);
              const std::uint8_t* p = PcxPaletteTriples(file.data(), file.size(), h);
              PcxDibInfo i;
              std::string got = Str(PcxColorCount(h)) + "@" + (p ? Str(p - file.data()) : "-");
              if (MakePcxDibInfo(file.data(), file.size(), h, i) != (p != nullptr))
                return "DIB " + got;
              for (int k = 0; p && k < 4; ++k)
                got += (k ? "," : ":") + Str(i.ColorTable[i.ColorsUsed - 1][k]);
              return got;
            });
  Bytes file = Pcx(258, 50, 260, {}, 4, 1, 300);  // words above 255 in both bytes
  PcxHeader h = Header(file);
  PcxDibInfo i;  // 328 by 72 dots per inch, times 39
  ASSERT_EQ(1, MakePcxDibInfo(file.data(), file.size(), h, i));
  EXPECT_EQ("258 50 4 12792 2808", Str(i.Width) + " " + Str(i.Height) + " " + Str(i.BitCount) +
                                       " " + Str(i.XPelsPerMeter) + " " + Str(i.YPelsPerMeter));
  file[0] = 11;
  EXPECT_EQ(0, ReadPcxHeader(file.data(), file.size(), h)) << "first byte not 10";
}

// Width, height, bytes per line, bits, planes, Xmin -> decoded size (0: refused); then rows.
TEST(Background, PcxRows) {
  CheckRows({{"101 2 101 8 1 0 208"}, {"100 10 96 8 1 0 0"}, {"-100 10 100 8 1 200 0"},
             {"100 0 100 8 1 0 0"}, {"65535 65525 65535 8 1 0 0"},  // 4 GB
             {"16 1 2 1 1 0 4"}, {"16 1 2 1 3 0 0"}},
            [](const Row& r) {
              Bytes file =
                  Pcx(Num(r[0]), Num(r[1]), Num(r[2]), {}, Num(r[3]), Num(r[4]), Num(r[5]));
              return Str(PcxDecodedSize(Header(file)));
            });
  // Width, height, data (hex) -> the rows, bottom row first; exact sizes: ASan sees overruns.
  CheckRows({{"8", "2", "C5 07 BF C9 02 11 12 C6 13",
              "11 12 13 13 13 13 13 13 07 07 07 07 07 bf 02 02"},
             {"5", "2", "C5 AA C5 55", "55 55 55 55 55 00 00 00 aa aa aa aa aa 00 00 00"},
             {"4", "3", "C4 09 C4", "00 00 00 00 00 00 00 00 09 09 09 09"},  // ends inside a run
             {"4", "3", "", "00 00 00 00 00 00 00 00 00 00 00 00"}},
            [](const Row& r) {
              Bytes data;
              for (size_t at = 0; at < r[2].size(); at += 3)
                data.push_back(std::uint8_t(Num("0x" + r[2].substr(at, 2))));
              Bytes file = Pcx(Num(r[0]), Num(r[1]), Num(r[0]), data);
              PcxHeader h = Header(file);
              Bytes out(PcxDecodedSize(h), 0);
              DecodePcxRows(file.data(), file.size(), h, out.data(), out.size());
              std::string got;
              for (auto byte : out) got += " " + Hex(byte);
              return got.substr(1);
            });
}

// Title, width (10 pixels a character) -> line 1|line 2|count; then the band's height.
TEST(Background, TitleBand) {
  CheckRows(
      {{"Hello World", "125", "Hello World||1"}, {"Hello World", "124", "Hello|World|2"},
       {"Hello   World", "100", "Hello|World|2"}, {"aaa bbb ccc ddd", "60", "aaa|bbb ccc ddd|2"},
       {"Internationalization Setup", "100", "Internationalization||1"},
       {"Supercalifragilistic 50 Supercalifragilistic||1"}, {" Leading", "30", " Leading||1"},
       {"Keyboard Setup ", "155", "Keyboard Setup||2"}},  // a trailing blank: an empty second line
      [](const Row& r) {
        TitleLines lines;
        std::memset(&lines, 'x', sizeof lines);
        auto measure = [](const char* text, void*) { return int(std::strlen(text)) * 10; };
        WrapTitle(r[0].c_str(), Num(r[1]), measure, nullptr, lines);
        return std::string(lines.Line1) + "|" + lines.Line2 + "|" + Str(lines.LineCount);
      });
  CheckRows(
      {{"48 1 0 4 19 81"}, {"48 2 0 4 19 129"}, {"48 1 120 4 19 143"}, {"48 1 58 0 3 61"}},
      [](const Row& r) {
        return Str(ComputeTitleBandHeight(Num(r[0]), Num(r[1]), Num(r[2]), Num(r[3]), Num(r[4])));
      });
}
