// The field syntax of "Update Driver" lines: fields split at a separator
// outside double quotes, quotes never copied, leading blanks dropped and
// trailing ones kept. No path tokens here, unlike the other list sections.
// Portable: no Windows header.
#pragma once
#include <cstddef>

// Copies the field that starts at cursor into out (cap bytes; out may be
// null to skip a field) and returns the position just behind its separator,
// or the terminating NUL. *start, when given, receives the index of the
// field's first copied character within cursor's text, 0 for a field that
// copied nothing but met a separator or character, and -1 when cursor was
// already at the end of its text.
const char* NextListToken(const char* cursor, char* out, std::size_t cap, char separator,
                          int* start = nullptr);

// Copies field n (counted from 1) of line into out: splits from the start n
// times, each split overwriting out. A field the line lacks reads as "".
void GetListField(const char* line, int n, char* out, std::size_t cap, char separator = ',');
