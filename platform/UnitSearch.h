#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

// The first i in [from, length) with (text[i] & mask) == value, or `length`.
// A story of 100 MB has some fifty million units to look through for its
// breaks, so four are looked at together: a lane of the word is zero exactly
// where the unit matches, and the lowest lane flagged is the first match
// (no borrow reaches it from the nonzero lanes below).
inline size_t FindUnit(const char16_t* text, size_t from, size_t length, char16_t mask, char16_t value) {
  constexpr uint64_t Ones = 0x0001000100010001u;
  constexpr uint64_t HighBits = 0x8000800080008000u;
  const uint64_t masks = mask * Ones;
  const uint64_t values = value * Ones;
  size_t i = from;
  for (; i + 4 <= length; i += 4) {
    uint64_t word;
    std::memcpy(&word, text + i, sizeof word);
    const uint64_t zeroWhereFound = (word & masks) ^ values;
    const uint64_t found = (zeroWhereFound - Ones) & ~zeroWhereFound & HighBits;
    if (found != 0) {
      // Only the lowest lane flagged is sure; on a big-endian machine that
      // is the last unit, so the units are looked at one by one instead.
      if constexpr (std::endian::native == std::endian::little) {
        return i + static_cast<size_t>(std::countr_zero(found)) / 16;
      }
      break;
    }
  }
  for (; i < length; ++i) {
    if ((text[i] & mask) == value) return i;
  }
  return length;
}
