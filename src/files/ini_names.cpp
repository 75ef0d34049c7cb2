#include "files/ini_names.h"

namespace larch {
namespace {

// Bytes that end a line, or end the text where the system reads it.
constexpr std::string_view kLineBreaks("\r\n\0", 3);

bool HoldsLineBreak(std::string_view text) { return text.find_first_of(kLineBreaks) != std::string_view::npos; }

// Control bytes (below 0x20, and 0x7F) in a name. The profile reader skips
// some of them before a name (0x1A among them), so a key "\x1A[x]" reads
// back as the section [x]; none of them is the second byte of a
// double-byte character, so the search goes by byte.
bool HoldsControlByte(std::string_view text) {
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

// A name that ends in the first byte of a character would take the ']'
// or '=' written after it as the character's second byte when the file
// is read back.
bool EndsInHalfCharacter(const LeadBytes& leads, std::string_view text) {
  return !text.empty() && leads.isLead(static_cast<unsigned char>(text.back())) &&
         IsCharBoundary(leads, text, text.size() - 1);
}

}  // namespace

bool IniSectionAllowed(const LeadBytes& leads, std::string_view section) {
  return !HoldsControlByte(section) && !EndsInHalfCharacter(leads, section) &&
         FindChar(leads, section, ']') == std::string_view::npos;
}

bool IniKeyAllowed(const LeadBytes& leads, std::string_view key) {
  // '=' is no second byte of any double-byte character, so every '=' byte
  // is refused, even one after a stray first byte.
  if (HoldsControlByte(key) || key.find('=') != std::string_view::npos || EndsInHalfCharacter(leads, key)) {
    return false;
  }
  // Blanks before a key are skipped when the line is read back.
  size_t first = key.find_first_not_of(' ');
  return first == std::string_view::npos || key[first] != '[';
}

bool IniValueAllowed(std::string_view value) { return !HoldsLineBreak(value); }

bool IniEntryAllowed(const LeadBytes& leads, std::string_view section, std::string_view key, std::string_view value) {
  return IniSectionAllowed(leads, section) && IniKeyAllowed(leads, key) && IniValueAllowed(value);
}

}  // namespace larch
