// The library's own Chinese character data, generated from Unihan and
// OpenCC by tools/gen-chinese-tables (see its README for versions and
// licences), so every platform gives the same answers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace larch {

struct CharPair {
  char16_t from;
  char16_t to;
};

// Sorted by `from`. The directions are kept apart: they do not invert.
extern const CharPair kTraditionalToSimplified[];
extern const size_t kTraditionalToSimplifiedCount;
extern const CharPair kSimplifiedToTraditional[];
extern const size_t kSimplifiedToTraditionalCount;

// Boundary rows of the classification: 23 letters with their two-byte GBK
// characters (Z first, A last), and the first characters of 1 to 30 strokes.
extern const char kPinyinBoundaryLetters[];
extern const char kPinyinBoundaryChars[];
extern const char kStrokeBoundaryChars[];
constexpr size_t kPinyinRowCount = 23;
constexpr size_t kStrokeRowCount = 30;

// One key per GBK double-byte code: pinyin rank in the upper 11 bits (0 for
// characters without a reading: they sort before all), stroke key in the
// lower 5 (0 for characters without strokes: they sort before 一).
constexpr size_t kGbkLeadCount = 126;   // 0x81-0xFE
constexpr size_t kGbkTrailCount = 190;  // 0x40-0x7E, 0x80-0xFE
constexpr size_t kGbkCodeCount = kGbkLeadCount * kGbkTrailCount;
constexpr unsigned kStrokeKeyBits = 5;
extern const uint16_t kGbkCharKeys[kGbkCodeCount];

}  // namespace larch
