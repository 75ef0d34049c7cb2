// The keyless printable cipher: base64 of the text plus the marker "abcd",
// put through a fixed permutation of its characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace larch {

// output[0] = input[1], output[1] = input[0], then the rest of the input
// from its last character back to its third. Its own inverse.
void TextShuffle(char* text, size_t length);

std::string EncipherTxt1(std::string_view plain);
// Returns the decoded bytes up to the first NUL. A text shorter than the
// marker deciphers to empty text.
std::string DecipherTxt1(std::string_view cipher);

}  // namespace larch
