// Which file wins when both the source and the destination exist: the
// version comparison and the copy decision, as pure functions.
// Portable: no Windows header.
#pragma once
#include <cstdint>

// A file version as its two 32-bit words, compared as the pair (MS, LS).
struct FileVersionPair {
  uint32_t MS;
  uint32_t LS;
};

// Packs a FileVersion text ("1, 2, 3, 4", "1.2.3.4 (build 7)", "2.5") into
// MS = first * 65536 + second and LS = third * 65536 + fourth, wrapping in
// unsigned 32-bit arithmetic. Numbers the text does not supply are 0.
FileVersionPair PackVersionText(const char* text);

// One kind of version (fixed or text) read from both files; known is 0
// when either file had none.
struct VersionReading {
  int known;
  FileVersionPair source;
  FileVersionPair dest;
};

// Results of comparing a source with its destination.
constexpr int kSourceNewer = 0;  // newer by either kind: copy
constexpr int kSourceOlder = 1;  // neither newer nor the same: keep the destination
constexpr int kSameVersion = 2;  // the same by a kind: the dates decide
constexpr int kNoVersion = 3;    // no kind readable for both: the dates decide

int CompareVersionReadings(const VersionReading& fixed, const VersionReading& text);

// What the copy does with one row before any date is read.
enum class CopyChoice { Copy, Keep, ByTime };
CopyChoice ChooseCopy(int destinationExists, int versionResult);
