// Chinese characters by the library's own data: simplified/traditional
// counterparts, pinyin initials and stroke counts of GBK text.
#pragma once

#include <string>
#include <string_view>

namespace larch {

enum class ChineseForm { Simplified, Traditional };

// The character's counterpart in the target form, or the character itself.
char16_t ChineseCounterpart(char16_t c, ChineseForm target);

// How the library orders two GBK double-byte characters (two bytes each):
// by pinyin (syllable, then tone) or by stroke count. Negative, zero or
// positive as a sorts before, with or after b. Characters without a reading
// or without strokes (symbols, invalid codes) sort before all others.
enum class Collation { Pinyin, Strokes };
int CompareGbkChars(Collation collation, const unsigned char* a, const unsigned char* b);

// GBK text with each Chinese character replaced by the upper-case initial of
// its pinyin; other characters are copied. Bytes up to 0x7E are characters of
// their own; a byte of 0x7F or more starts a two-byte character (at the very
// end its partner is the terminating NUL).
std::string PinyinInitials(std::string_view gbk);

// Stroke counts of the Chinese characters of a GBK text: mode 0 gives the
// total in decimal, mode 1 each count as two digits, any other mode "".
std::string StrokeCounts(std::string_view gbk, int mode);

}  // namespace larch
