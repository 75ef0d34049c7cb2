#include "bridge/dbcs.h"

namespace larch {

namespace {
constexpr std::string_view kSeparators = "\\/";
}

LeadBytes LeadBytes::gbk() {
  LeadBytes leads;
  for (int b = 0x81; b <= 0xFE; ++b) leads.set(static_cast<unsigned char>(b));
  return leads;
}

size_t CharLength(const LeadBytes& leads, std::string_view text, size_t i) {
  return leads.isLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

bool IsCharBoundary(const LeadBytes& leads, std::string_view text, size_t i) {
  if (i > text.size()) return false;
  size_t at = 0;
  while (at < i) at += CharLength(leads, text, at);
  return at == i;
}

size_t CharBoundaryAtOrBefore(const LeadBytes& leads, std::string_view text, size_t max) {
  if (max >= text.size()) return text.size();
  size_t at = 0;
  for (;;) {
    size_t next = at + CharLength(leads, text, at);
    if (next > max) return at;
    at = next;
  }
}

size_t FindFirstCharOf(const LeadBytes& leads, std::string_view text, std::string_view set, size_t from) {
  for (size_t i = from; i < text.size(); i += CharLength(leads, text, i)) {
    if (CharLength(leads, text, i) == 1 && set.find(text[i]) != std::string_view::npos) return i;
  }
  return std::string_view::npos;
}

size_t FindChar(const LeadBytes& leads, std::string_view text, char c, size_t from) {
  return FindFirstCharOf(leads, text, std::string_view(&c, 1), from);
}

size_t FindLastCharOf(const LeadBytes& leads, std::string_view text, std::string_view set) {
  size_t found = std::string_view::npos;
  for (size_t i = FindFirstCharOf(leads, text, set); i != std::string_view::npos;
       i = FindFirstCharOf(leads, text, set, i + 1)) {
    found = i;
  }
  return found;
}

bool EndsWithChar(const LeadBytes& leads, std::string_view text, char c) {
  if (text.empty() || text.back() != c) return false;
  return IsCharBoundary(leads, text, text.size() - 1);
}

std::string_view NameAfterLastSeparator(const LeadBytes& leads, std::string_view path) {
  size_t last = FindLastCharOf(leads, path, kSeparators);
  return last == std::string_view::npos ? path : path.substr(last + 1);
}

bool EndsWithSeparator(const LeadBytes& leads, std::string_view path) {
  return EndsWithChar(leads, path, '\\') || EndsWithChar(leads, path, '/');
}

}  // namespace larch
