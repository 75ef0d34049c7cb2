// The delimiter tokenizer behind the PS functions: one loaded line, a
// one-byte delimiter and a cursor that stays put between calls. The line is
// read in characters of the code page whose lead bytes it is loaded with: a
// delimiter is found only where a character starts, so the second byte of
// 東 (96 7C) is never taken for "|", and a delimiter that is itself a lead
// byte splits nothing but a lone lead byte at the end of the line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bridge/dbcs.h"

namespace larch {

class ParseStringState {
 public:
  static constexpr char kDefaultDelimiter = '|';

  // Keeps a copy of the line up to its first NUL byte, rewinds and restores
  // the default delimiter. No lead bytes: the line is read byte by byte.
  void setLine(std::string_view line, const LeadBytes& leads = LeadBytes());
  void setDelimiter(char delimiter) { delimiter_ = delimiter; }

  bool atEnd() const { return position_ >= text_.size(); }
  // The next non-empty item (runs of delimiters collapse), or "" when only
  // delimiters are left. Items are returned whole, however long.
  std::string nextItem();
  void rewind() { position_ = 0; }
  // Everything not consumed yet, as it stands; the cursor goes to the end.
  std::string takeRest();

 private:
  bool delimiterAt(size_t i) const;

  std::string text_;
  LeadBytes leads_;
  char delimiter_ = kDefaultDelimiter;
  // Index of the next byte to scan, always a character start; one past the
  // end after an item that ran to the end of the line.
  uint32_t position_ = 0;
};

}  // namespace larch
