// List-section values: fields with path tokens, registry, program lines.

#include "Rows.h"
#include "engine/core/ProgramLine.h"
#include "engine/core/RegistryLine.h"
#include "startup/core/ListFields.h"

// clang-format off

namespace {

struct Tokens : PathTokenSource {
  std::map<std::string, std::string> strings = {
      {"Loop", "%1%\\\"x\""},          {"011", "from strings"}, {"", "empty name"},
      {"Long", std::string(259, 'L')}, {"A", std::string(200, 'x')}};
  void SystemDirectory(char* out, size_t cap) override { CopyText(out, cap, "C:\\W\\SYSTEM"); }
  void WindowsDirectory(char* out, size_t cap) override { CopyText(out, cap, "C:\\W"); }
  void InstallDir(char* out, size_t cap) override { CopyText(out, cap, "E:\\Inst"); }
  void ModuleDir(char* out, size_t cap) override { CopyText(out, cap, "D:\\Media"); }
  void StringsValue(const char* name, char* out, size_t cap) override {
    CopyText(out, cap, strings.count(name) ? strings[name].c_str() : "");
  }
} tokens;

size_t Split(const char* value, size_t at, char* out, size_t cap) {
  return SplitFieldWith(value, at, out, cap, tokens);
}

}  // namespace

// Value -> its fields as the list readers walk them, joined by '|'.
TEST(ListLines, SplitField) {
  std::string many;  // text and expansions past the field's capacity are cut there
  while (many.size() + 3 <= 259) many += "%A%";
  CheckRows(
      {{"one,,three one||three"}, {"\"a, b\",second", "a, b|second"},
       {"  \tlead,trail  , x", "lead|trail  |x"}, {"pre\"mid,dle\"post,next premid,dlepost|next"},
       {"\"open, still open,more", "open, still open,more"},  // an open quote ends the line
       {"abc%1\\tail,next", "abc"},  // so does an open token, dropped where it stood
       {"%11%;%10%;%99%;%1%;%12%;%17%;%18% "
        "C:\\W\\SYSTEM;C:\\W;E:\\Inst;D:\\Media;C:\\W\\System32\\Drivers;C:\\W\\Inf;C:\\W\\Help"},
       {"%11%%11% C:\\W\\SYSTEMC:\\W\\SYSTEM"}, {"%011%", "from strings"}, {"%%", "empty name"},
       {"%Undefined%file.txt file.txt"}, {"%Loop% %1%\\\"x\""},  // expansions are not rescanned
       {"\"%1%\" %1%"}, {"%" + std::string(400, 'n') + "%,next", "|next"},  // a long name is cut
       {many, std::string(259, 'x')}, {std::string(300, 'p'), std::string(259, 'p')}},
      [](const Row& r) {
        std::string fields;
        char out[kTextSize + 1];
        out[kTextSize] = '#';  // written only by a field that runs past its capacity
        for (size_t at = 0;; ++at, fields += '|') {
          at = Split(r[0].c_str(), at, out, kTextSize);
          fields += out[kTextSize] == '#' ? out : "past the field";
          if (r[0][at] != ',') return fields;
        }
      });
}

// Line -> root|key|name|kind and the bytes the value write gets; at most 260 bytes.
TEST(ListLines, AddRegistry) {
  std::string many = "HKLM,S,V,1", kept = "LM|S|V|bin";  // 261 byte fields: 260 are written
  for (int i = 0; i < 261; ++i) many += ",2";
  for (int i = 0; i < 260; ++i) kept += " 02";
  CheckRows({{"HKLM LM|||key"}, {"hkcu,Software\\Kq CU|Software\\Kq||key"},
             {"  HkCr,S,", "CR|S||sz ''"},  // blanks after a comma are dropped, not before one
             {"HKLM ,S", "U|S||key"}, {"HKEY_LOCAL_MACHINE,S U|S||key"},  // else HKEY_USERS
             {"HKCU,%1%\\Kq,\"a,b\"", "CU|D:\\Media\\Kq|a,b|sz ''"},
             {"HKLM,S,V,0,  hi there ,more", "LM|S|V|sz 'hi there '"},
             {"HKLM,S,V,,%99%", "LM|S|V|sz 'E:\\Inst'"}, {"HKLM,S,V,1", "LM|S|V|dword 00 00 00 00"},
             {"HKLM,S,V,00,1", "LM|S|V|dword 01 00 00 00"},  // only "0" itself means a string
             {"HKLM,S,V,1,80", "LM|S|V|dword 80 ff ff ff"},  // a lone byte is signed
             {"HKLM,S,V,1,aBcD,12g4,0x10,,123456789", "LM|S|V|bin cd 12 00 00 89"},  // hex digits
             {many, kept}},
            [](const Row& r) {
              RegistryLine line;
              std::memset(&line, 'x', sizeof line);
              ParseRegistryLine(r[0].c_str(), Split, line);
              const char* const roots[] = {"LM", "CU", "CR", "U"};
              const char* const kinds[] = {"key", "sz", "dword", "bin"};
              std::string out = std::string(roots[int(line.Root)]) + "|" + line.KeyPath + "|" +
                                line.ValueName + "|" + kinds[int(line.Kind)];
              uint32_t size = 99;
              const uint8_t* data = static_cast<const uint8_t*>(RegistryData(line, &size));
              if (line.Kind == RegistryKind::Text)
                return size == std::strlen(line.Text) + 1 ? out + " '" + line.Text + "'"
                                                          : "bad size";
              for (uint32_t i = 0; i < size; ++i) out += " " + Hex(data[i]);
              return data == nullptr && size != 0 ? "size without data" : out;
            });
}

// Line's locale, user's -> whether it runs.
TEST(ListLines, AddRegistryFiles) {
  CheckRows({{"0000040a 0000040A 1"}, {"00000409 ", "00000409", "0"}, {"", "", "0"}},
            [](const Row& r) { return Str(RegistryFileRuns(r[0].c_str(), r[1].c_str())); });
}

// Program, line -> file|parameters|folder; "||": refused. Then quoting.
TEST(ListLines, RunPrograms) {
  const std::string f250(250, 'f');
  CheckRows({{"T.exe", "%99%,  /q a ,b", "E:\\Inst\\T.exe|\"/q a \"|E:\\Inst"},
             {"T.exe", "", "||"}, {"Tool.exe", f250, f250 + "\\Tool.exe|\"\"|" + f250},
             {"Tools.exe", f250, "||"}, {"T.exe C:\\P,%Long% ||"}},
            [](const Row& r) {
              RunLine run;
              int ok = ParseRunLine(r[0].c_str(), r[1].c_str(), Split, run);
              std::string got = std::string(run.File) + "|" + run.Parameters + "|" + run.Folder;
              return ok == (got != "||") ? got : "wrong result";
            });
  // Command (q: one quoted argument, r: regedit's line for a file, p: a pre-run line's for p.exe
  // with argument a, the text its folder), text -> the text; "": refused whole, as a cut path would
  // name another file, and a pre-run line without a folder one at the current drive's root.
  CheckRows({{"q C:\\dir\\ \"C:\\dir\\\\\""},  // no escaped closing quote
             {"q a\\\"b \"a\\\\\\\"b\""}, {"q", std::string(258, 'x'), ""},
             {"q", std::string(257, 'x'), "\"" + std::string(257, 'x') + "\""},
             {"q", std::string(256, 'x') + "\\", ""}, {"r", std::string(247, 'p'), ""},
             {"r", std::string(246, 'p'), "regedit /S \"" + std::string(246, 'p') + "\""},
             {"p", "C:\\T", "\"C:\\T\\p.exe\" a"}, {"p", "", ""}, {"p", std::string(250, 'd'), ""}},
            [](const Row& r) {
              char out[kTextSize];
              const char* t = r[1].c_str();
              int fits = r[0] == "p"   ? BuildPreRunCommandLine(t, "p.exe", "a", out, sizeof out)
                         : r[0] == "q" ? QuoteArgument(t, out) : RegeditCommandLine(t, out);
              return fits == (out[0] != '\0') ? std::string(out) : "wrong result";
            });
}
