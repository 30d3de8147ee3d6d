// Any bytes as a logo file: header, palette source, decoding and the DIB description must
// stay inside the block they are given, which libFuzzer copies to the heap at its exact size.
#include <cstdint>
#include <vector>

#include "background/core/Pcx.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PcxHeader h;
  if (!ReadPcxHeader(data, size, h)) return 0;
  PcxDibInfo info;
  MakePcxDibInfo(data, size, h, info);
  std::size_t decoded = PcxDecodedSize(h);
  if (decoded == 0 || decoded > 1u << 20) return 0;  // keep each run quick
  std::vector<std::uint8_t> rows(decoded, 0);
  DecodePcxRows(data, size, h, rows.data(), rows.size());
  return 0;
}
