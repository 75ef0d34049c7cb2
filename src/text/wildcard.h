// Wildcard routines shared by the text tools. "?" matches any one byte; in
// WildcardMatch "*" matches any run of bytes.
//
// Given the lead bytes of a double-byte code page, the text is read in
// characters: a literal character of the pattern (anything but "?" and "*")
// matches only a whole character of the text, so 形 (D0 CE) is not found
// across the bytes of 中文 (D6 D0 CE C4) and "|" never matches the second
// byte of 東 (96 7C). "?" still stands for one byte, so "??" matches one
// Chinese character. With no lead bytes everything works byte by byte.
// Offsets are byte offsets either way.
#pragma once

#include <cstddef>
#include <string_view>

#include "bridge/dbcs.h"

namespace larch {

// The 0-based index of the first occurrence of pattern in text at or after
// start, or -1. Only "?" is special here; "*" is an ordinary byte. An empty
// pattern is found at start itself when start lies within the text. Under
// lead bytes an occurrence also begins and ends at character starts.
std::ptrdiff_t WildcardSearch(std::string_view text, std::string_view pattern, std::ptrdiff_t start = 0,
                              const LeadBytes& leads = LeadBytes());

// True when the whole text matches the pattern. Unless caseSensitive, the
// ASCII letters A-Z of both are folded to a-z first (no other byte is, and
// under lead bytes never the second byte of a character).
bool WildcardMatch(std::string_view text, std::string_view pattern, bool caseSensitive,
                   const LeadBytes& leads = LeadBytes());

// True when the whole text matches at least one item of a comma-separated
// pattern list. Items are taken as they are (blanks belong to them); empty
// items are skipped, so a list of commas matches nothing.
bool WildcardMatchList(std::string_view text, std::string_view patterns, bool caseSensitive,
                       const LeadBytes& leads = LeadBytes());

}  // namespace larch
