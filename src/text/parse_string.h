// The delimiter tokenizer behind the PS functions: one loaded line, a
// one-byte delimiter and a cursor that stays put between calls.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace larch {

class ParseStringState {
 public:
  static constexpr char kDefaultDelimiter = '|';

  // Keeps a copy of the line up to its first NUL byte, rewinds and restores
  // the default delimiter.
  void SetLine(std::string_view line);
  void SetDelimiter(char delimiter) { delimiter_ = delimiter; }

  bool AtEnd() const { return position_ >= text_.size(); }
  // The next non-empty item (runs of delimiters collapse), or "" when only
  // delimiters are left. Items are returned whole, however long.
  std::string NextItem();
  void Rewind() { position_ = 0; }
  // Everything not consumed yet, as it stands; the cursor goes to the end.
  std::string TakeRest();

 private:
  std::string text_;
  char delimiter_ = kDefaultDelimiter;
  // Index of the next byte to scan; one past the end after an item that ran
  // to the end of the line.
  uint32_t position_ = 0;
};

}  // namespace larch
