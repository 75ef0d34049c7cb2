// Searching text that may hold double-byte characters. Under a double-byte
// ANSI code page (936, 950, ...) the second byte of a character can equal
// an ASCII byte: 誠 ends in 0x5C ('\'), 東 in 0x7C ('|'). Every search for
// a single byte in text that may be Chinese goes through these helpers, so
// it looks only at character starts and never cuts a character in two.
// Under a single-byte code page no byte leads, and all of them work byte
// by byte. Offsets and lengths stay byte offsets and byte counts.
#pragma once

#include <bitset>
#include <cstddef>
#include <string_view>

namespace larch {

// Which bytes start a two-byte character.
class LeadBytes {
 public:
  // No lead bytes: a single-byte code page.
  LeadBytes() = default;
  // GBK's lead bytes, 0x81-0xFE (for code that runs outside Windows).
  static LeadBytes gbk();
  void set(unsigned char byte) { lead_.set(byte); }

  bool isLead(unsigned char byte) const { return lead_.test(byte); }
  bool isDoubleByte() const { return lead_.any(); }

 private:
  std::bitset<256> lead_;
};

// The lead bytes of the system's ANSI code page, read once (Windows build).
const LeadBytes& AnsiLeadBytes();

// Length of the character at offset i: 2 for a lead byte with a byte after
// it, else 1.
size_t CharLength(const LeadBytes& leads, std::string_view text, size_t i);
// Whether offset i (0..size) falls between two characters.
bool IsCharBoundary(const LeadBytes& leads, std::string_view text, size_t i);
// The largest character boundary at or before offset max.
size_t CharBoundaryAtOrBefore(const LeadBytes& leads, std::string_view text, size_t max);

// Offset of the first character at or after `from` (a boundary) that is
// the single byte c, or npos.
size_t FindChar(const LeadBytes& leads, std::string_view text, char c, size_t from = 0);
// Offset of the first character at or after `from` that is one of the
// single bytes in set, or npos.
size_t FindFirstCharOf(const LeadBytes& leads, std::string_view text, std::string_view set, size_t from = 0);
// Offset of the last character that is one of the single bytes in set, or npos.
size_t FindLastCharOf(const LeadBytes& leads, std::string_view text, std::string_view set);
// Whether the last character of the text is the single byte c.
bool EndsWithChar(const LeadBytes& leads, std::string_view text, char c);

// Path helpers: separators are '\' and '/'.
// The part after the last separator character (the whole text without one).
std::string_view NameAfterLastSeparator(const LeadBytes& leads, std::string_view path);
// Whether the path ends in a separator character.
bool EndsWithSeparator(const LeadBytes& leads, std::string_view path);

}  // namespace larch
