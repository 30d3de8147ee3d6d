// The list-section line grammar: comma-separated fields with quoted runs
// and %token% path tokens. Portable: no Windows header; the expansions come
// from a PathTokenSource.
#pragma once
#include <cstddef>

class PathTokenSource {
 public:
  // Each writes its text into out (cap bytes, NUL-terminated).
  virtual void SystemDirectory(char* out, std::size_t cap) = 0;
  virtual void WindowsDirectory(char* out, std::size_t cap) = 0;
  virtual void InstallDir(char* out, std::size_t cap) = 0;
  virtual void ModuleDir(char* out, std::size_t cap) = 0;
  // Value of key `name` in section "Strings", empty when absent.
  virtual void StringsValue(const char* name, char* out, std::size_t cap) = 0;

 protected:
  // Never deleted through this type: no deleting destructor to link.
  ~PathTokenSource() = default;
};

// Writes the expansion of token `name` at dest, never more than cap - 1
// characters plus a NUL, and returns its length; 0 (nothing written) when
// the token has no expansion. An expansion that does not fit is cut.
std::size_t ExpandPathTokenWith(const char* name, char* dest, std::size_t cap,
                                PathTokenSource& source);

// Copies the field that starts at value[offset] into out (cap bytes) and
// returns the offset of the character that ended it: a comma or the NUL.
// An unterminated quote or token ends the line (the NUL's offset).
std::size_t SplitFieldWith(const char* value, std::size_t offset, char* out, std::size_t cap,
                           PathTokenSource& source);

// Longest token name kept; longer names are cut.
constexpr std::size_t kTokenNameChars = 259;
