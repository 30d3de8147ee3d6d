// The install worker's rules: copy paths, progress, versions.

#include "Rows.h"
#include "engine/core/EngineState.h"
#include "engine/core/FileTable.h"
#include "engine/core/VersionRules.h"

// clang-format off

// Copy row -> destination < source; cut259: refused, cut to the buffer.
TEST(Engine, PathsOfACopyRow) {
  CheckRows({{"KBD.DLL 1|KBD.DLL"}, {"drv\\win2k\\KBD.SYS 1drv\\win2k|KBD.SYS"}, {"dir\\ 1dir|"}},
            [](const Row& r) {
              char sub[kTextSize], name[kTextSize];
              return Str(SplitCopyKey(r[0].c_str(), sub, name)) + sub + "|" + name;
            });
  // A new name, a source folder and the cabinet's temporary folder are Wine rows; here the cuts.
  CheckRows({{std::string(250, 'd'), "longname.dll", "", "", "0", "cut259 < D:\\M\\longname.dll"},
             {"C:\\P", "a.dll", "", std::string(250, 'd'), "0", "C:\\P\\a.dll < cut259"}},
            [](const Row& r) {
              FileEntry row{};
              char* fields[] = {row.DestDir, row.FileName, row.NewName, row.SourceSubDir};
              for (int i = 0; i < 4; ++i) CopyText(fields[i], kTextSize, r[i].c_str());
              char out[kTextSize];
              auto show = [&](int fits) { return fits ? out : "cut" + Str(std::strlen(out)); };
              std::string dest = show(DestinationPath(row, out));
              return dest + " < " + show(SourcePath(row, "D:\\M", "C:\\W\\_T0", Num(r[4]), out));
            });
  // Destination folder -> whether it is a full one, never relative to the current folder.
  CheckRows({{"C:\\W 1"}, {"c:/w 1"}, {"C: 1"}, {"\\\\srv\\s 1"}, {"", "0"}, {"W 0"}, {"\\W 0"},
             {"\\\\ 0"}, {"1:\\W 0"}},
            [](const Row& r) { return Str(IsFullFolder(r[0].c_str())); });
  // Destination in use, digit -> its temporary name.
  CheckRows({{"C:\\W\\KBD.DLL 9 C:\\W\\KBD.9"}, {"C:\\My.Dir\\README 1 C:\\My.Dir\\README.1"},
             {"C:/My.Dir/README 2 C:/My.Dir/README.2"}, {"C:\\A.B/C 4 C:\\A.B/C.4"},
             {"C:\\Dir\\README 3 C:\\Dir\\README.3"}, {std::string(259, 'a'), "0", "refused"}},
            [](const Row& r) {
              char out[kTextSize] = "";
              return InUseTempName(r[0].c_str(), Num(r[1]), out) ? std::string(out) : "refused";
            });
  // Bytes copied, total -> percent, never past 100.
  CheckRows({{"0 0 100"}, {"1 3 33"}, {"0xfffffffe 0xffffffff 99"}, {"20 10 100"}},
            [](const Row& r) { return Str(ProgressFor(Num(r[0]), Num(r[1]))); });
}

// FileVersion text -> MS LS, in wrapping unsigned arithmetic.
TEST(Engine, PackVersionText) {
  // Blanks anywhere are left out: the fuzz target's rule for any text.
  CheckRows({{"1, 2, 3, 4", "10002 30004"}, {"1.2.3.4 (build label)", "10002 30004"},
             {"1.2.3.4.5", "10002 30004"}, {"2.5", "20005 0"}, {"", "0 0"},
             {"1.2b.3.4", "10002 30004"}, {"1..3.4", "10000 30004"}, {"x.2.3.4", "2 30004"},
             {"\t5.6", "50006 0"}, {"-1.0", "ffff0000 0"}, {"+3.+4", "30004 0"},
             {"70000.1", "11700001 0"}, {"4294967297.0", "10000 0"}},  // wraps, no overflow
            [](const Row& r) {
              FileVersionPair v = PackVersionText(r[0].c_str());
              return Hex(v.MS, 1) + " " + Hex(v.LS, 1);
            });
}

// Fixed "source dest" words (hex), text ones ("-": unreadable) -> result; words are unsigned.
TEST(Engine, CompareVersions) {
  CheckRows({{"0x80000000.0 1.0", "-", "newer"}, {"1.0xffffffff 1.0x7fffffff", "-", "newer"},
             {"1.0 2.0", "3.0 2.0", "newer"}, {"1.2 1.2", "1.0 2.0", "same"},
             {"1.0 2.0", "5.5 5.5", "same"}, {"-", "0.9 1.0", "older"}, {"- - none"}},
            [](const Row& r) {
              auto read = [](const std::string& t) {
                VersionReading v{t != "-", {0, 0}, {0, 0}};  // "-" scans nothing
                std::sscanf(t.c_str(), "%x.%x %x.%x", &v.source.MS, &v.source.LS, &v.dest.MS,
                            &v.dest.LS);
                return v;
              };
              const char* const names[] = {"newer", "older", "same", "none"};
              return std::string(names[CompareVersionReadings(read(r[0]), read(r[1]))]);
            });
}

// Claims in order (c: the page takes a cancel, i: the worker begins the driver phase, r: the flag
// set otherwise) -> each claim's answer: the first of the two to come wins, for good.
TEST(Engine, CancelOrInstall) {
  CheckRows({{"c i 10"}, {"i c 10"}, {"c c 11"}, {"i i 11"}, {"r i -0"}},
            [](const Row& r) {
              ResetEngineState();
              std::string answers;
              for (const std::string& claim : Row(r.begin(), r.end() - 1))
                answers += claim == "c"   ? Str(TakeCancel())
                           : claim == "i" ? Str(CommitInstall())
                                          : (CancelRequested = 1, "-");
              return answers;
            });
}
