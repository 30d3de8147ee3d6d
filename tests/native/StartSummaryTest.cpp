#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "wizard/core/StartSummary.h"

namespace {

const SummaryLabels kLabels = {"Product",        "Version",
                               "Interface",      "Installation Directory",
                               "Program Folder", "USB (Universal Serial Bus) Interface",
                               "PS/2 Interface"};

SettingsRecord Keyboard(int32_t type, int32_t askPath, int32_t askFolder) {
  SettingsRecord s{};
  CopyText(s.ProductName, "Keyboard");
  CopyText(s.Version, "1.0");
  CopyText(s.InstallDir, "C:\\WINDOWS\\SYSTEM");
  s.InterfaceType = type;
  s.AskPath = askPath;
  s.AskProgramFolder = askFolder;
  return s;
}

std::string Compose(const SettingsRecord& s, const char* folder) {
  std::vector<char> out(4096, 'x');
  std::size_t n = ComposeStartSummary(s, folder, kLabels, out.data(), out.size());
  std::string text(out.data());
  EXPECT_EQ(text.size(), n);
  return text;
}

}  // namespace

TEST(StartSummaryTest, EntriesByteForByte) {
  const std::string head =
      "Product:\r\n          Keyboard\r\n\r\nVersion:\r\n          1.0\r\n\r\n"
      "Interface:\r\n          ";
  const std::string usb = "USB (Universal Serial Bus) Interface";
  const std::string ps2 = "PS/2 Interface";
  const std::string dir = "\r\n\r\nInstallation Directory:\r\n          C:\\WINDOWS\\SYSTEM";
  const std::string folder = "\r\n\r\nProgram Folder:\r\n          ";
  struct Row {
    int32_t type, askPath, askFolder;
    std::string expected;
  };
  const Row rows[] = {
      {kInterfaceUSB, 0, 0, head + usb},
      {kInterfacePS2, 0, 0, head + ps2},
      {kInterfaceUSB, 1, 0, head + usb + dir},
      {kInterfacePS2, 0, 1, head + ps2 + folder + "Keyboard Tools"},
      {kInterfacePS2, 1, 1, head + ps2 + dir + folder + "Keyboard Tools"},
      {kInterfaceUSB, 1, 1, head + usb + dir + folder + "Keyboard Tools"},
      {0, 0, 0, head},  // no interface chosen: the label stays, the value is empty
  };
  for (const Row& r : rows)
    EXPECT_EQ(r.expected, Compose(Keyboard(r.type, r.askPath, r.askFolder), "Keyboard Tools"))
        << "type " << r.type << " path " << r.askPath << " folder " << r.askFolder;
  EXPECT_EQ(head + usb + folder, Compose(Keyboard(kInterfaceUSB, 0, 1), ""))
      << "an empty program folder still has its entry";
}

TEST(StartSummaryTest, NoFixedLimitAndCutToAnyBuffer) {
  SettingsRecord s = Keyboard(kInterfacePS2, 1, 1);
  std::memset(s.ProductName, 'P', kTextSize);  // not terminated: read no further than the field
  std::memset(s.InstallDir, 'D', kTextSize - 1);
  s.InstallDir[kTextSize - 1] = '\0';
  const std::string full = Compose(s, "Folder");
  ASSERT_EQ(std::string(kTextSize, 'P'), full.substr(20, kTextSize));
  ASSERT_GT(full.size(), 3 * kTextSize / 2);
  ASSERT_EQ("Folder", full.substr(full.size() - 6));

  EXPECT_EQ(full.size(), ComposeStartSummary(s, "Folder", kLabels, nullptr, 0));
  for (std::size_t cap = 1; cap <= full.size() + 1; ++cap) {
    std::vector<char> out(cap, 'x');  // exactly cap bytes, so ASan sees a step past them
    ASSERT_EQ(full.size(), ComposeStartSummary(s, "Folder", kLabels, out.data(), cap));
    ASSERT_EQ(full.substr(0, cap - 1), std::string(out.data())) << "cap " << cap;
  }
}
