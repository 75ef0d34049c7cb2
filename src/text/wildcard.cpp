#include "text/wildcard.h"

#include <cstdint>
#include <string>

namespace larch {
namespace {

constexpr size_t kWordBits = 64;

bool SameByte(char patternByte, char textByte) {
  return patternByte == '?' || patternByte == textByte;
}

bool SameBytes(std::string_view pattern, std::string_view text) {
  for (size_t k = 0; k < pattern.size(); ++k) {
    if (!SameByte(pattern[k], text[k])) return false;
  }
  return true;
}

// Shift-and scan over the first (up to 64) pattern bytes: bit k of the state
// is set when the text bytes just read match pattern bytes 0..k. One step per
// text byte whatever the pattern, so "?" costs nothing and nothing is missed.
// Longer patterns are checked byte by byte behind each prefix hit.
std::ptrdiff_t ShiftAndSearch(std::string_view text, std::string_view pattern, size_t start) {
  const size_t head = pattern.size() < kWordBits ? pattern.size() : kWordBits;
  uint64_t masks[256] = {};
  uint64_t anyByte = 0;
  for (size_t k = 0; k < head; ++k) {
    const uint64_t bit = uint64_t{1} << k;
    if (pattern[k] == '?') {
      anyByte |= bit;
    } else {
      masks[static_cast<unsigned char>(pattern[k])] |= bit;
    }
  }
  if (anyByte) {
    for (uint64_t& mask : masks) mask |= anyByte;
  }
  const uint64_t headFound = uint64_t{1} << (head - 1);
  const std::string_view tail = pattern.substr(head);
  // Past this index an occurrence can no longer end inside the text.
  const size_t lastHeadEnd = text.size() - tail.size();
  uint64_t state = 0;
  for (size_t n = start; n < lastHeadEnd; ++n) {
    state = ((state << 1) | 1) & masks[static_cast<unsigned char>(text[n])];
    if ((state & headFound) && SameBytes(tail, text.substr(n + 1, tail.size()))) {
      return static_cast<std::ptrdiff_t>(n + 1 - head);
    }
  }
  return -1;
}

void FoldAsciiUpper(std::string& bytes) {
  for (char& c : bytes) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

}  // namespace

std::ptrdiff_t WildcardSearch(std::string_view text, std::string_view pattern,
                              std::ptrdiff_t start) {
  if (start < 0) return -1;
  const size_t from = static_cast<size_t>(start);
  if (from > text.size() || pattern.size() > text.size() - from) return -1;
  if (pattern.empty()) return start;
  return ShiftAndSearch(text, pattern, from);
}

bool WildcardMatch(std::string_view text, std::string_view pattern, bool caseSensitive) {
  if (pattern.empty()) return text.empty();

  std::string s(text);
  std::string p;
  p.reserve(pattern.size());
  for (char c : pattern) {
    if (c == '*' && !p.empty() && p.back() == '*') continue;  // a run of stars is one star
    p.push_back(c);
  }
  if (!caseSensitive) {
    FoldAsciiUpper(s);
    FoldAsciiUpper(p);
  }

  const std::string_view sv(s);
  const std::string_view pv(p);
  size_t i = 0;
  size_t j = 0;
  while (i < pv.size()) {
    if (pv[i] == '*') {
      if (i + 1 == pv.size()) return true;
      const size_t next = pv.find('*', i + 1);
      const std::string_view piece = pv.substr(i + 1, next == std::string_view::npos
                                                           ? std::string_view::npos
                                                           : next - i - 1);
      if (sv.size() - j < piece.size()) return false;
      if (next == std::string_view::npos) {
        // The last piece has to end the text.
        return SameBytes(piece, sv.substr(sv.size() - piece.size()));
      }
      // A piece between stars takes its leftmost occurrence: any later one
      // leaves less text for the rest of the pattern.
      const std::ptrdiff_t r = WildcardSearch(sv.substr(j), piece, 0);
      if (r < 0) return false;
      j += static_cast<size_t>(r) + piece.size();
      i = next;
      continue;
    }
    if (j >= sv.size() || !SameByte(pv[i], sv[j])) return false;
    if (i + 1 == pv.size() && j + 1 < sv.size()) return false;
    ++i;
    ++j;
  }
  return true;
}

bool WildcardMatchList(std::string_view text, std::string_view patterns, bool caseSensitive) {
  size_t from = 0;
  while (from <= patterns.size()) {
    size_t comma = patterns.find(',', from);
    if (comma == std::string_view::npos) comma = patterns.size();
    const std::string_view item = patterns.substr(from, comma - from);
    if (!item.empty() && WildcardMatch(text, item, caseSensitive)) return true;
    from = comma + 1;
  }
  return false;
}

}  // namespace larch
