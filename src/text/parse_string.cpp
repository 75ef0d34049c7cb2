#include "text/parse_string.h"

namespace larch {

void ParseStringState::SetLine(std::string_view line) {
  text_.assign(line.substr(0, line.find('\0')));
  delimiter_ = kDefaultDelimiter;
  position_ = 0;
}

std::string ParseStringState::NextItem() {
  if (AtEnd()) return {};
  const std::string_view text(text_);
  const size_t first = text.find_first_not_of(delimiter_, position_);
  if (first == std::string_view::npos) {
    position_ = static_cast<uint32_t>(text.size() + 1);
    return {};
  }
  size_t end = text.find(delimiter_, first);
  if (end == std::string_view::npos) end = text.size();
  position_ = static_cast<uint32_t>(end + 1);
  return std::string(text.substr(first, end - first));
}

std::string ParseStringState::TakeRest() {
  if (AtEnd()) return {};
  std::string rest = text_.substr(position_);
  position_ = static_cast<uint32_t>(text_.size());
  return rest;
}

}  // namespace larch
