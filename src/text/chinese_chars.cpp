#include "text/chinese_chars.h"

#include <cstdint>
#include <vector>

#include "text/chinese_tables.h"

namespace larch {
namespace {

constexpr unsigned char kLastSingleByte = 0x7E;
constexpr uint16_t kStrokeMask = (1u << kStrokeKeyBits) - 1;

// Index of a double-byte code in the key grid, or -1 outside GBK.
int GridIndex(unsigned char lead, unsigned char trail) {
  if (lead < 0x81 || lead == 0xFF || trail < 0x40 || trail == 0x7F || trail == 0xFF) return -1;
  const int column = trail < 0x7F ? trail - 0x40 : trail - 0x41;
  return (lead - 0x81) * static_cast<int>(kGbkTrailCount) + column;
}

uint16_t SortKey(Collation collation, const unsigned char* c) {
  const int index = GridIndex(c[0], c[1]);
  const uint16_t keys = index < 0 ? 0 : kGbkCharKeys[index];
  return collation == Collation::Pinyin ? static_cast<uint16_t>(keys >> kStrokeKeyBits)
                                        : static_cast<uint16_t>(keys & kStrokeMask);
}

const unsigned char* Row(const char* table, size_t row) {
  return reinterpret_cast<const unsigned char*>(table) + 2 * row;
}

// Every UTF-16 unit's counterpart, built from the pair table on first use:
// a text of millions of characters then costs one load per character.
class CounterpartIndex {
 public:
  CounterpartIndex(const CharPair* pairs, size_t count) : to_(kUnits) {
    for (size_t c = 0; c < kUnits; ++c) to_[c] = static_cast<char16_t>(c);
    for (size_t k = 0; k < count; ++k) to_[pairs[k].from] = pairs[k].to;
  }
  char16_t of(char16_t c) const { return to_[c]; }

 private:
  static constexpr size_t kUnits = 0x10000;
  std::vector<char16_t> to_;
};

// Walks the text character by character; the callback gets each two-byte
// character (its second byte 0 when the text ends after the first).
template <typename SingleByte, typename DoubleByte>
void WalkGbk(std::string_view text, SingleByte single, DoubleByte pair) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead <= kLastSingleByte) {
      single(text[i]);
      ++i;
      continue;
    }
    const unsigned char c[2] = {
        lead, i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : static_cast<unsigned char>(0)};
    pair(c);
    i += 2;
  }
}

}  // namespace

char16_t ChineseCounterpart(char16_t c, ChineseForm target) {
  static const CounterpartIndex simplified(kTraditionalToSimplified, kTraditionalToSimplifiedCount);
  static const CounterpartIndex traditional(kSimplifiedToTraditional, kSimplifiedToTraditionalCount);
  return (target == ChineseForm::Simplified ? simplified : traditional).of(c);
}

int CompareGbkChars(Collation collation, const unsigned char* a, const unsigned char* b) {
  return static_cast<int>(SortKey(collation, a)) - static_cast<int>(SortKey(collation, b));
}

std::string PinyinInitials(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size());
  WalkGbk(
      gbk, [&](char c) { out.push_back(c); },
      [&](const unsigned char* c) {
        // The rows run from Z down to A: the first boundary that the
        // character does not sort before names its letter.
        for (size_t row = 0; row < kPinyinRowCount; ++row) {
          if (CompareGbkChars(Collation::Pinyin, c, Row(kPinyinBoundaryChars, row)) >= 0) {
            out.push_back(kPinyinBoundaryLetters[row]);
            return;
          }
        }
        out.push_back(static_cast<char>(c[0]));
        if (c[1] != 0) out.push_back(static_cast<char>(c[1]));
      });
  return out;
}

std::string StrokeCounts(std::string_view gbk, int mode) {
  int total = 0;
  std::string counts;
  WalkGbk(
      gbk, [](char) {},
      [&](const unsigned char* c) {
        // Row r holds the first character of r + 1 strokes: a character
        // sorting before it has r strokes. One at or after the last row's
        // character, or before the first, counts nothing.
        for (size_t r = 0; r < kStrokeRowCount; ++r) {
          if (CompareGbkChars(Collation::Strokes, c, Row(kStrokeBoundaryChars, r)) < 0) {
            if (r > 0) {
              total += static_cast<int>(r);
              counts.push_back(static_cast<char>('0' + r / 10));
              counts.push_back(static_cast<char>('0' + r % 10));
            }
            return;
          }
        }
      });
  if (mode == 0) return std::to_string(total);
  if (mode == 1) return counts;
  return {};
}

}  // namespace larch
