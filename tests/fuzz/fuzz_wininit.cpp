// wininit.ini is whatever the Windows folder holds: the insertion must stay
// inside the view, keep every old byte in order and add only its own text.
// The seeds hold each kind of file the rule tells apart; they run every time.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "finish/core/WininitRename.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string kLine = "C:\\WINDOWS\\SYSTEM\\KBD.DLL=C:\\WINDOWS\\SYSTEM\\KBD.0\r\n";
  static const std::string kHeader = "[Rename]\r\n";
  // Exactly the mapping's length, so ASan catches any step past it. Behind the
  // file the mapping may hold stale disk data (Windows 9x): old wininit.ini text.
  std::vector<char> view(size + kLine.size() + kRenameSlack);
  for (size_t i = 0; i < view.size(); ++i) view[i] = kHeader[i % kHeader.size()];
  if (size) std::memcpy(view.data(), data, size);
  const std::vector<char> stale = view;
  size_t grown = InsertRenameLine(view.data(), size, view.size(), kLine.data(), kLine.size());

  // What the file must hold: the line below the first header of the text
  // (which ends at the file's end or first NUL), else an ended last line, header and line.
  std::string expected(reinterpret_cast<const char*>(data), size);
  size_t header = expected.substr(0, expected.find('\0')).find(kHeader);
  if (header != std::string::npos)
    expected.insert(header + kHeader.size(), kLine);
  else
    expected += (size && expected.back() != '\n' ? "\r\n" : "") + kHeader + kLine;
  const size_t length = expected.size();
  expected.append(stale.begin() + length, stale.end());  // nothing written past its text
  if (grown != length || std::string(view.begin(), view.end()) != expected) __builtin_trap();
  return 0;
}
