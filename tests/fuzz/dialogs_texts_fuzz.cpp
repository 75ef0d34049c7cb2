// The dialogs' text handling on any bytes, under GBK and a single-byte
// code page: filter lists turn exactly the '|' characters into NULs, the
// connection storage keeps a whole-character prefix of at most 32
// characters, and a multiple-selection buffer is never read past its end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "bridge/dbcs.h"
#include "dialogs/connection_rules.h"
#include "dialogs/picker_text.h"

namespace {

void Check(bool condition) {
  if (!condition) abort();
}

size_t CountChars(const larch::LeadBytes& leads, std::string_view text) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); i += larch::CharLength(leads, text, i)) ++chars;
  return chars;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const larch::LeadBytes gbk = larch::LeadBytes::gbk();
  const larch::LeadBytes single;
  for (const larch::LeadBytes* leads : {&gbk, &single}) {
    const std::string list = larch::BuildFilterList(*leads, input);
    if (input.empty()) {
      Check(list.empty());
    } else {
      Check(list.size() == input.size() + 1 || list.size() == input.size() + 2);
      Check(list[list.size() - 1] == '\0' && list[list.size() - 2] == '\0');
      // Walked character by character: only a one-byte '|' changes.
      for (size_t i = 0; i < input.size(); i += larch::CharLength(*leads, input, i)) {
        const bool separator = input[i] == '|' && larch::CharLength(*leads, input, i) == 1;
        Check(list[i] == (separator ? '\0' : input[i]));
        if (larch::CharLength(*leads, input, i) == 2) Check(list[i + 1] == input[i + 1]);
      }
    }

    // A box's text never holds a NUL.
    const std::string_view boxText = std::string_view(input).substr(0, input.find('\0'));
    larch::NameText kept;
    kept.assign(*leads, boxText);
    const std::string_view stored(kept.c_str());
    Check(stored.size() < larch::NameText::kCapacity);
    Check(boxText.substr(0, stored.size()) == stored);
    Check(larch::IsCharBoundary(*leads, boxText, stored.size()));
    const size_t chars = CountChars(*leads, stored);
    Check(chars <= larch::kNameLimit);
    Check(chars == larch::kNameLimit || stored.size() == boxText.size());
  }

  const std::string joined = larch::JoinMultiSelection(input.data(), input.size());
  Check(joined.size() <= input.size());
  Check(joined.find('\0') == std::string::npos);
  return 0;
}
