#include "LineCursor.h"

LineCursor StartLine(const char* value, FieldSplitter split) {
  return LineCursor{value, 0, 0, split};
}

int NextField(LineCursor& line, char* out, std::size_t cap) {
  if (line.ended) {
    if (cap > 0) out[0] = '\0';
    return 0;
  }
  std::size_t end = line.split(line.value, line.at, out, cap);
  if (line.value[end] == ',') {
    line.at = end + 1;
  } else {
    line.at = end;
    line.ended = 1;
  }
  return 1;
}
