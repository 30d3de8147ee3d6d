#include "VersionRules.h"

#include <initializer_list>

namespace {

// Reads one number: the characters up to the end, a ',' or a '.', with the
// blanks left out, converted as a signed decimal (leading white space and
// one sign, digits up to the first other character, none gives 0). Wraps
// instead of overflowing, as the packing does. Returns the separator or end.
const char* ReadNumber(const char* at, uint32_t& number) {
  enum { Leading, Digits, Done } state = Leading;
  bool negative = false;
  uint32_t n = 0;
  for (; *at != '\0' && *at != ',' && *at != '.'; ++at) {
    char c = *at;
    if (c == ' ' || state == Done) continue;
    bool digit = c >= '0' && c <= '9';
    if (state == Leading && c >= '\t' && c <= '\r') continue;
    if (state == Leading && (c == '+' || c == '-')) {
      negative = c == '-';
      state = Digits;
    } else if (digit) {
      n = n * 10u + uint32_t(c - '0');
      state = Digits;
    } else {
      state = Done;
    }
  }
  number = negative ? 0u - n : n;
  return at;
}

bool IsNewer(const FileVersionPair& a, const FileVersionPair& b) {
  return a.MS > b.MS || (a.MS == b.MS && a.LS > b.LS);
}

bool IsSame(const FileVersionPair& a, const FileVersionPair& b) {
  return a.MS == b.MS && a.LS == b.LS;
}

}  // namespace

FileVersionPair PackVersionText(const char* text) {
  uint32_t numbers[4] = {0, 0, 0, 0};
  const char* at = text;
  for (int i = 0; i < 4 && *at != '\0'; ++i) {
    at = ReadNumber(at, numbers[i]);
    if (*at != '\0') ++at;
  }
  return {numbers[0] * 65536u + numbers[1], numbers[2] * 65536u + numbers[3]};
}

int CompareVersionReadings(const VersionReading& fixed, const VersionReading& text) {
  bool known = false, newer = false, same = false;
  for (const VersionReading* r : {&fixed, &text}) {
    if (!r->known) continue;
    known = true;
    newer = newer || IsNewer(r->source, r->dest);
    same = same || IsSame(r->source, r->dest);
  }
  if (!known) return kNoVersion;
  if (newer) return kSourceNewer;
  return same ? kSameVersion : kSourceOlder;
}

CopyChoice ChooseCopy(int destinationExists, int versionResult) {
  if (!destinationExists) return CopyChoice::Copy;
  switch (versionResult) {
    case kSourceNewer:
      return CopyChoice::Copy;
    case kSourceOlder:
      return CopyChoice::Keep;
    default:
      return CopyChoice::ByTime;
  }
}
