// List-section values come from the vendor's setup script, and "Strings"
// values are spliced into fields: both must stay inside 260-byte buffers.
#include <cstdint>
#include <cstring>
#include <string>

#include "common/core/Text.h"
#include "startup/core/ListFields.h"

namespace {

class FuzzTokens : public PathTokenSource {
 public:
  explicit FuzzTokens(const std::string& strings) : strings_(strings) {}
  void SystemDirectory(char* out, size_t cap) override { CopyText(out, cap, "C:\\WINDOWS\\system32"); }
  void WindowsDirectory(char* out, size_t cap) override { CopyText(out, cap, "C:\\WINDOWS"); }
  void InstallDir(char* out, size_t cap) override { CopyText(out, cap, "C:\\WINDOWS\\system32"); }
  void ModuleDir(char* out, size_t cap) override { CopyText(out, cap, "D:"); }
  void StringsValue(const char*, char* out, size_t cap) override { CopyText(out, cap, strings_.c_str()); }

 private:
  std::string strings_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // First byte splits the input into a "Strings" value and the line value.
  if (size == 0) return 0;
  size_t cut = data[0] % (size);
  std::string strings(reinterpret_cast<const char*>(data) + 1, cut > 0 ? cut - 1 : 0);
  std::string value(reinterpret_cast<const char*>(data) + (cut > 0 ? cut : 1),
                    size - (cut > 0 ? cut : 1));
  value = value.substr(0, 259);  // the profile function's limit
  FuzzTokens tokens(strings.c_str());
  char field[kTextSize];
  size_t at = 0;
  for (int i = 0; i < 300; ++i) {
    at = SplitFieldWith(value.c_str(), at, field, sizeof field, tokens);
    if (std::memchr(field, '\0', sizeof field) == nullptr) __builtin_trap();
    if (at > std::strlen(value.c_str())) __builtin_trap();
    if (value.c_str()[at] != ',') break;
    ++at;
  }
  return 0;
}
