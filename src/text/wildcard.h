// Byte-wise wildcard routines shared by the text tools and the ciphers.
// "?" matches any one byte; in WildcardMatch "*" matches any run of bytes.
#pragma once

#include <cstddef>
#include <string_view>

namespace larch {

// The 0-based index of the first occurrence of pattern in text at or after
// start, or -1. Only "?" is special here; "*" is an ordinary byte. An empty
// pattern is found at start itself when start lies within the text.
std::ptrdiff_t WildcardSearch(std::string_view text, std::string_view pattern,
                              std::ptrdiff_t start = 0);

// True when the whole text matches the pattern. Unless caseSensitive, the
// ASCII letters A-Z of both are folded to a-z first (no other byte is).
bool WildcardMatch(std::string_view text, std::string_view pattern, bool caseSensitive);

// True when the whole text matches at least one item of a comma-separated
// pattern list. Items are taken as they are (blanks belong to them); empty
// items are skipped, so a list of commas matches nothing.
bool WildcardMatchList(std::string_view text, std::string_view patterns, bool caseSensitive);

}  // namespace larch
