// Table-driven checks: each row holds the inputs as texts, then the
// expected result as text.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using Row = std::vector<std::string>;

// Compares f(row) with the row's last column; a failing row prints its inputs.
inline void CheckRows(const std::vector<Row>& rows,
                      const std::function<std::string(const Row&)>& f) {
  for (const Row& row : rows) {
    std::string inputs;
    for (size_t i = 0; i + 1 < row.size(); ++i) inputs += "[" + row[i] + "] ";
    EXPECT_EQ(row.back(), f(row)) << inputs;
  }
}

inline int Num(const std::string& text) { return std::stoi(text, nullptr, 0); }
inline std::string Str(long long n) { return std::to_string(n); }
