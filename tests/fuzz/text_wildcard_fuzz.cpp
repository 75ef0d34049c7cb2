// Splits the input into a text and a pattern (at the first 0 byte) and
// checks the wildcard routines against brute force; runs the GBK
// classification and the tokenizer on the same bytes for memory safety.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "../native/text_wildcard_reference.h"
#include "text/chinese_chars.h"
#include "text/parse_string.h"
#include "text/wildcard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string text = input.substr(0, split);
  const std::string pattern = split == std::string::npos ? "" : input.substr(split + 1);

  if (text.size() <= 512 && pattern.size() <= 128) {
    const std::ptrdiff_t start = pattern.empty() ? 0 : static_cast<unsigned char>(pattern[0]) % 8;
    if (larch::WildcardSearch(text, pattern, start) != larch::BruteSearch(text, pattern, start)) abort();
    for (bool caseSensitive : {false, true}) {
      if (larch::WildcardMatch(text, pattern, caseSensitive) !=
          larch::BruteMatch(text, pattern, caseSensitive)) {
        abort();
      }
    }
  }
  larch::WildcardMatchList(text, pattern, false);

  const std::string initials = larch::PinyinInitials(input);
  if (initials.size() > input.size()) abort();
  larch::StrokeCounts(input, 0);
  larch::StrokeCounts(input, 1);

  larch::ParseStringState tokenizer;
  tokenizer.SetLine(input);
  if (!pattern.empty()) tokenizer.SetDelimiter(pattern[0]);
  for (int guard = 0; !tokenizer.AtEnd() && guard <= static_cast<int>(size); ++guard) tokenizer.NextItem();
  if (!tokenizer.AtEnd()) abort();
  return 0;
}
