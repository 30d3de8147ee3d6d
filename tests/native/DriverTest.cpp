// The "Update Driver" line, the way per platform, preload command, folders.

#include "Rows.h"
#include "driver/core/DriverRules.h"
#include "driver/core/FolderRules.h"
#include "driver/core/ListToken.h"

// clang-format off

// Line -> its ten fields and Force: split at commas outside quotes, quotes never copied,
// leading blanks dropped and trailing ones kept, a field the line lacks read as "".
TEST(Driver, LineFields) {
  CheckRows(
      {{"a,\" x, y \",\"x\"\"y\",  two  ,\t two\t,  \"  q\",,b\"c,d\"e",
        "a| x, y |xy|two  |two\t|  q||bc,de|||0"},  // quoted blanks are copied
       {"a,\"unterminated, rest", "a|unterminated, rest|||||||||0"}, {"", "||||||||||0"},
       {std::string(600, 'z'), std::string(259, 'z') + "||||||||||0"}, {",,,,,,,01 |||||||01|||0"},
       {"a,b,c,d,e,f,g,TRUE,i,j a|b|c|d|e|f|g|TRUE|i|j|1"}, {",,,,,,,TRUE ", "|||||||TRUE |||0"}},
      [](const Row& r) {
        DriverLine d;
        std::memset(&d, 'x', sizeof d);
        ParseDriverLine(r[0].c_str(), d);
        std::string all;
        for (const char* f : {d.DeviceClass, d.InfName, d.DeviceArg3, d.DeviceArg4, d.DeviceArg5,
                              d.Unused6, d.LegacyInf, d.ForceText, d.HardwareId, d.InfFolder})
          all += std::string(f) + "|";
        return all + Str(d.Force);
      });
}

// Platform (ME, 2K, 9x; +P preload), class, first result -> way,fallback,after OEM copy.
TEST(Driver, Way) {
  // Each way on 2000, 95 and ME is a Wine run; here other classes, preloads and results.
  CheckRows(
      {{"ME unknown 0 Newdev,OemInfCopy,Reenumerate"}, {"ME+P HIDClass 0 Newdev,Preload,Nothing"},
       {"ME+P HIDClass 1 Newdev,EndLine+pause,Nothing"}, {"9x UNKNOWN -5 None,EndLine,Reenumerate"},
       {"9x+P", "", "0", "Library,LegacyCopy,Nothing"}},
      [](const Row& r) {
        const char* const ways[] = {"Newdev", "Library", "None"};
        const char* const fallbacks[] = {"EndLine", "Preload", "OemInfCopy", "LegacyCopy"};
        const char* const afters[] = {"Reenumerate", "InstallWithOemInf", "Nothing"};
        DriverPlatform p{r[0].find("ME") == 0, r[0].find("2K") == 0, r[0].find("+P") != r[0].npos};
        const int result = Num(r[2]);
        return std::string(ways[int(ChooseFirstWay(p, r[1].c_str()))]) + "," +
               fallbacks[int(ChooseFallback(p, result))] + (PausesAfter(result) ? "+pause," : ",") +
               afters[int(ChooseAfterOemCopy(p, r[1].c_str()))];
      });
}

// Texts that do not fit are refused whole: a cut path names the wrong folder. So is a product
// name that is no folder of its own: the media would pour into a system folder.
TEST(Driver, Paths) {
  CheckRows({{"D:\\A\\WINNT", "Kq\\a/b", "1 D:\\A\\Program Files\\Kq\\a.b"}, {"C:\\W", "", "0 "},
             {"C:\\W", "..\\W", "0 "}, {"C:\\W", "K\\ .", "0 "}, {"C:\\W", "/", "0 "},
             {"C:\\W", "D:K", "0 "}, {"W", "KQ", "0 "}, {"C:\\W", std::string(300, 'n'), "0 "}},
            [](const Row& r) {
              char path[kTextSize];
              return Str(ProductFolderPath(r[0].c_str(), r[1].c_str(), path, sizeof path)) + " " +
                     path;
            });
  // Folder levels top down, never the drive root.
  CheckRows({{"C:\\Program Files\\Name\\", "C:\\Program Files|C:\\Program Files\\Name"},
             {"C:\\A C:\\A"}, {"", ""}},  // must not step before the text
            [](Row r) {
              DropTrailingBackslash(&r[0][0]);
              const char* path = r[0].c_str();
              std::string got;
              for (int k = 1; k <= FolderLevelCount(path); ++k)
                got += "|" + std::string(path, FolderLevelLength(path, k));
              return got.empty() ? got : got.substr(1);
            });
  // The root whose drive type decides the copy: never DRIVE_FIXED without a drive letter.
  CheckRows({{"D: D:\\"}, {"c: c:\\"}, {"1: 1:"}, {"\\\\server\\share \\\\s"}, {"", ""}},
            [](const Row& r) {
              char root[4];
              DriveRootOf(r[0].c_str(), root);
              return std::string(root);
            });
}
