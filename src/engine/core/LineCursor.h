// Walks the fields of one list-section value, so that each action line can
// ask "does the line go on?" the way the section reader does.
// Portable: no Windows header.
#pragma once
#include <cstddef>

// Copies the field at value[offset] into out (cap bytes) and returns the
// offset of the comma or NUL that ended it. The Win32 side passes SplitField.
using FieldSplitter = std::size_t (*)(const char* value, std::size_t offset, char* out,
                                      std::size_t cap);

struct LineCursor {
  const char* value;
  std::size_t at;  // where the next field starts
  int ended;       // no further field: the last one ended at the NUL
  FieldSplitter split;
};

LineCursor StartLine(const char* value, FieldSplitter split);

// Cuts the next field into out and returns 1; returns 0 and empties out
// when the line has no further field. The first field always exists.
int NextField(LineCursor& line, char* out, std::size_t cap);
