#include "text/wildcard.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace larch {
namespace {

constexpr size_t kWordBits = 64;

// Flags over the offsets 0..size of a text or pattern piece. For a text:
// which offsets begin a character (the end counts as one); left empty when
// every offset does, which is the fast byte-wise case. For a piece: which
// offsets have to meet a character start of the text.
using OffsetFlags = std::vector<uint8_t>;

bool SameByte(char patternByte, char textByte) { return patternByte == '?' || patternByte == textByte; }

bool IsWildcard(char c) { return c == '?' || c == '*'; }

// Length of the pattern character at k. "?" and "*" are never the second
// byte of a character (no double-byte code page uses them so), which keeps
// "\xBA?" a half character followed by a wildcard.
size_t PatternCharLength(const LeadBytes& leads, std::string_view pattern, size_t k) {
  if (IsWildcard(pattern[k]) || !leads.isLead(static_cast<unsigned char>(pattern[k]))) return 1;
  return k + 1 < pattern.size() && !IsWildcard(pattern[k + 1]) ? 2 : 1;
}

OffsetFlags CharStarts(const LeadBytes& leads, std::string_view text) {
  OffsetFlags starts;
  if (!leads.isDoubleByte()) return starts;
  // Text without a lead byte is single bytes only: every offset is a start.
  // Lead bytes all have the high bit set, so ASCII is passed over a block
  // at a time.
  constexpr size_t kBlock = 256;
  constexpr uint64_t kHighBits = 0x8080808080808080u;
  bool anyLead = false;
  for (size_t at = 0; at < text.size() && !anyLead; at += kBlock) {
    const std::string_view block = text.substr(at, kBlock);
    uint64_t high = 0;
    size_t k = 0;
    for (; k + 8 <= block.size(); k += 8) {
      uint64_t word;
      std::memcpy(&word, block.data() + k, sizeof word);
      high |= word;
    }
    for (; k < block.size(); ++k) high |= static_cast<unsigned char>(block[k]);
    if (!(high & kHighBits)) continue;
    for (char c : block) anyLead = anyLead || leads.isLead(static_cast<unsigned char>(c));
  }
  if (!anyLead) return starts;
  starts.assign(text.size() + 1, 0);
  for (size_t i = 0; i < text.size(); i += CharLength(leads, text, i)) starts[i] = 1;
  starts[text.size()] = 1;
  return starts;
}

// Both ends of every literal character of the piece, and with wholeMatch
// its own two ends, have to fall on character starts.
OffsetFlags PieceNeeds(const LeadBytes& leads, std::string_view piece, bool wholeMatch) {
  OffsetFlags need(piece.size() + 1, 0);
  for (size_t k = 0; k < piece.size();) {
    const size_t length = PatternCharLength(leads, piece, k);
    if (piece[k] != '?') need[k] = need[k + length] = 1;
    k += length;
  }
  if (wholeMatch) need[0] = need[piece.size()] = 1;
  return need;
}

// Whether the piece matches the text at x (x + piece size within the text),
// literal characters against whole characters when starts are given.
bool PieceAt(std::string_view text, size_t x, std::string_view piece, const OffsetFlags& starts,
             const OffsetFlags& need, size_t from = 0) {
  for (size_t k = from; k < piece.size(); ++k) {
    if (!SameByte(piece[k], text[x + k])) return false;
  }
  if (!starts.empty()) {
    for (size_t k = from; k <= piece.size(); ++k) {
      if (need[k] && !starts[x + k]) return false;
    }
  }
  return true;
}

// Shift-and scan over the first (up to 64) pattern bytes: bit k of the state
// is set when the text bytes just read match pattern bytes 0..k. One step per
// text byte whatever the pattern, so "?" costs nothing and nothing is missed.
// Longer patterns are checked byte by byte behind each prefix hit. With
// character starts, a bit whose pattern offset must meet a character start
// is dropped where the text offset is none.
template <bool kByCharacter>
std::ptrdiff_t ShiftAndSearch(std::string_view text, std::string_view pattern, size_t start, const OffsetFlags& starts,
                              const OffsetFlags& need) {
  const size_t head = pattern.size() < kWordBits ? pattern.size() : kWordBits;
  uint64_t masks[256] = {};
  uint64_t anyByte = 0;
  uint64_t needStart = 0;
  for (size_t k = 0; k < head; ++k) {
    const uint64_t bit = uint64_t{1} << k;
    if (pattern[k] == '?') {
      anyByte |= bit;
    } else {
      masks[static_cast<unsigned char>(pattern[k])] |= bit;
    }
    if (kByCharacter && need[k]) needStart |= bit;
  }
  if (anyByte) {
    for (uint64_t& mask : masks) mask |= anyByte;
  }
  const uint64_t headFound = uint64_t{1} << (head - 1);
  // Past this index an occurrence can no longer end inside the text.
  const size_t lastHeadEnd = text.size() - (pattern.size() - head);
  uint64_t state = 0;
  for (size_t n = start; n < lastHeadEnd; ++n) {
    state = ((state << 1) | 1) & masks[static_cast<unsigned char>(text[n])];
    if (kByCharacter && !starts[n]) state &= ~needStart;
    if (!(state & headFound)) continue;
    const size_t x = n + 1 - head;
    if (PieceAt(text, x, pattern, starts, need, head)) return static_cast<std::ptrdiff_t>(x);
  }
  return -1;
}

std::ptrdiff_t Search(std::string_view text, std::string_view pattern, size_t start, const OffsetFlags& starts,
                      const OffsetFlags& need) {
  return starts.empty() ? ShiftAndSearch<false>(text, pattern, start, starts, need)
                        : ShiftAndSearch<true>(text, pattern, start, starts, need);
}

void FoldAsciiUpper(char& c) {
  if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
}

}  // namespace

std::ptrdiff_t WildcardSearch(std::string_view text, std::string_view pattern, std::ptrdiff_t start,
                              const LeadBytes& leads) {
  if (start < 0) return -1;
  size_t from = static_cast<size_t>(start);
  if (from > text.size() || pattern.size() > text.size() - from) return -1;
  const OffsetFlags starts = CharStarts(leads, text);
  if (pattern.empty()) {
    // Found at the first character start from there on (the end is one).
    while (!starts.empty() && !starts[from]) ++from;
    return static_cast<std::ptrdiff_t>(from);
  }
  OffsetFlags need;
  if (!starts.empty()) need = PieceNeeds(leads, pattern, /*wholeMatch=*/true);
  return Search(text, pattern, from, starts, need);
}

bool WildcardMatch(std::string_view text, std::string_view pattern, bool caseSensitive, const LeadBytes& leads) {
  if (pattern.empty()) return text.empty();

  const OffsetFlags starts = CharStarts(leads, text);
  std::string s(text);
  std::string p;
  p.reserve(pattern.size());
  for (char c : pattern) {
    if (c == '*' && !p.empty() && p.back() == '*') continue;  // a run of stars is one star
    p.push_back(c);
  }
  if (!caseSensitive) {
    // Only single-byte characters fold: a second byte in A-Z is part of
    // another character.
    for (size_t i = 0; i < s.size(); ++i) {
      if (starts.empty() || (starts[i] && starts[i + 1])) FoldAsciiUpper(s[i]);
    }
    for (size_t k = 0; k < p.size();) {
      const size_t length = PatternCharLength(leads, p, k);
      if (length == 1) FoldAsciiUpper(p[k]);
      k += length;
    }
  }

  const std::string_view sv(s);
  const std::string_view pv(p);
  auto matchesAt = [&](size_t x, std::string_view piece) {
    OffsetFlags need;
    if (!starts.empty()) need = PieceNeeds(leads, piece, /*wholeMatch=*/false);
    return PieceAt(sv, x, piece, starts, need);
  };

  size_t star = pv.find('*');
  if (star == std::string_view::npos) return sv.size() == pv.size() && matchesAt(0, pv);
  // The bytes before the first star begin the text.
  if (sv.size() < star || !matchesAt(0, pv.substr(0, star))) return false;
  size_t j = star;
  while (star + 1 < pv.size()) {
    const size_t next = pv.find('*', star + 1);
    const std::string_view piece =
        pv.substr(star + 1, next == std::string_view::npos ? std::string_view::npos : next - star - 1);
    if (sv.size() - j < piece.size()) return false;
    // The last piece has to end the text.
    if (next == std::string_view::npos) return matchesAt(sv.size() - piece.size(), piece);
    // A piece between stars takes its leftmost occurrence: any later one
    // leaves less text for the rest of the pattern.
    OffsetFlags need;
    if (!starts.empty()) need = PieceNeeds(leads, piece, /*wholeMatch=*/false);
    const std::ptrdiff_t r = Search(sv, piece, j, starts, need);
    if (r < 0) return false;
    j = static_cast<size_t>(r) + piece.size();
    star = next;
  }
  return true;  // a star ends the pattern
}

bool WildcardMatchList(std::string_view text, std::string_view patterns, bool caseSensitive, const LeadBytes& leads) {
  size_t from = 0;
  while (from <= patterns.size()) {
    size_t comma = FindChar(leads, patterns, ',', from);
    if (comma == std::string_view::npos) comma = patterns.size();
    const std::string_view item = patterns.substr(from, comma - from);
    if (!item.empty() && WildcardMatch(text, item, caseSensitive, leads)) return true;
    from = comma + 1;
  }
  return false;
}

}  // namespace larch
