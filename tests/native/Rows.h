// Table-driven checks: each row holds the inputs as texts, then the expected
// result as text. The test files turn clang-format off: their rows are packed by hand.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using Row = std::vector<std::string>;

// Compares f(row) with the row's last column; a failing row prints its inputs.
// A row given as one text holds its columns separated by blanks.
inline void CheckRows(const std::vector<Row>& rows,
                      const std::function<std::string(const Row&)>& f) {
  for (Row row : rows) {
    if (row.size() == 1) {
      std::istringstream in(row[0]);
      row.assign(std::istream_iterator<std::string>(in), {});
    }
    EXPECT_EQ(row.back(), f(row)) << testing::PrintToString(Row(row.begin(), row.end() - 1));
  }
}

inline long long Num(const std::string& text) { return std::stoll(text, nullptr, 0); }
inline std::string Str(long long n) { return std::to_string(n); }

// n in lower-case hexadecimal, at least digits wide.
inline std::string Hex(unsigned long n, int digits = 2) {
  char out[24];
  std::snprintf(out, sizeof out, "%0*lx", digits, n);
  return out;
}

// The name that names gives value; "?" for a value it does not list.
inline std::string Name(long long value,
                        std::initializer_list<std::pair<long long, const char*>> names) {
  for (const auto& [known, name] : names)
    if (known == value) return name;
  return "?";
}
