// Splits the input into a text and a pattern (at the first 0 byte) and
// checks the wildcard routines against brute force, byte by byte and in GBK
// characters; runs the GBK classification on the same bytes for memory
// safety, and checks the tokenizer's items against a plain split.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "../native/text_wildcard_reference.h"
#include "text/chinese_chars.h"
#include "text/parse_string.h"
#include "text/wildcard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string text = input.substr(0, split);
  const std::string pattern = split == std::string::npos ? "" : input.substr(split + 1);

  // Byte by byte, and in GBK characters (the brute force reads the pattern
  // as tokens and the text through the shared character helper).
  const larch::LeadBytes gbk = larch::LeadBytes::gbk();
  for (const larch::LeadBytes& leads : {larch::LeadBytes(), gbk}) {
    if (text.size() > 512 || pattern.size() > 128) break;
    const std::ptrdiff_t start = pattern.empty() ? 0 : static_cast<unsigned char>(pattern[0]) % 8;
    if (larch::WildcardSearch(text, pattern, start, leads) != larch::BruteSearch(text, pattern, start, leads)) {
      abort();
    }
    for (bool caseSensitive : {false, true}) {
      if (larch::WildcardMatch(text, pattern, caseSensitive, leads) !=
          larch::BruteMatch(text, pattern, caseSensitive, leads)) {
        abort();
      }
    }
  }
  larch::WildcardMatchList(text, pattern, false);
  larch::WildcardMatchList(text, pattern, false, gbk);

  const std::string initials = larch::PinyinInitials(input);
  if (initials.size() > input.size()) abort();
  larch::StrokeCounts(input, 0);
  larch::StrokeCounts(input, 1);

  // The tokenizer's items are the non-empty runs between delimiter
  // characters, found here by walking the line character by character.
  const std::string line = input.substr(0, input.find('\0'));
  const char delimiter = pattern.empty() ? '|' : pattern[0];
  for (const larch::LeadBytes& leads : {larch::LeadBytes(), gbk}) {
    std::vector<std::string> expected;
    std::string run;
    for (size_t i = 0; i < line.size();) {
      const size_t length = larch::CharLength(leads, line, i);
      if (length == 1 && line[i] == delimiter) {
        if (!run.empty()) expected.push_back(run);
        run.clear();
      } else {
        run.append(line, i, length);
      }
      i += length;
    }
    if (!run.empty()) expected.push_back(run);

    larch::ParseStringState tokenizer;
    tokenizer.setLine(input, leads);
    if (!pattern.empty()) tokenizer.setDelimiter(pattern[0]);
    std::vector<std::string> items;
    for (int guard = 0; !tokenizer.atEnd() && guard <= static_cast<int>(size); ++guard) {
      std::string item = tokenizer.nextItem();
      if (!item.empty()) items.push_back(std::move(item));
    }
    if (!tokenizer.atEnd() || items != expected) abort();
  }
  return 0;
}
