// Dialog templates are parsed from resource bytes; a malformed one must be
// refused without reading past its end.
#include <cstddef>
#include <cstdint>

#include "wizard/core/DialogTemplate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DialogTemplate d;
  if (ParseDialogTemplate(data, size, d)) {
    for (const DialogControl& c : d.controls) {
      CountStringPlaces(c.text.text);
      MnemonicOf(c.text.text);
    }
  }
  return 0;
}
