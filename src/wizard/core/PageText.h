// Putting the product name into a page's template text. Portable: no
// Windows header.
#pragma once
#include <cstddef>

// Copies pattern into out (cap bytes) with every "%s" replaced by name and
// "%%" by "%"; any other "%" stays as it is. Always terminated when cap > 0;
// returns 1 when everything fitted, 0 when the text was cut.
int FormatWithName(char* out, std::size_t cap, const char* pattern, const char* name);
