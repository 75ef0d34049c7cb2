#include "text/parse_string.h"

namespace larch {

void ParseStringState::setLine(std::string_view line, const LeadBytes& leads) {
  text_.assign(line.substr(0, line.find('\0')));
  leads_ = leads;
  delimiter_ = kDefaultDelimiter;
  position_ = 0;
}

std::string ParseStringState::nextItem() {
  if (atEnd()) return {};
  const std::string_view text(text_);
  // A delimiter is a one-byte character, so skipping one keeps the scan on
  // character starts.
  size_t first = position_;
  while (first < text.size() && delimiterAt(first)) ++first;
  if (first == text.size()) {
    position_ = static_cast<uint32_t>(text.size() + 1);
    return {};
  }
  size_t end = FindChar(leads_, text, delimiter_, first);
  if (end == std::string_view::npos) end = text.size();
  position_ = static_cast<uint32_t>(end + 1);
  return std::string(text.substr(first, end - first));
}

bool ParseStringState::delimiterAt(size_t i) const {
  return text_[i] == delimiter_ && CharLength(leads_, text_, i) == 1;
}

std::string ParseStringState::takeRest() {
  if (atEnd()) return {};
  std::string rest = text_.substr(position_);
  position_ = static_cast<uint32_t>(text_.size());
  return rest;
}

}  // namespace larch
