#include "dialogs/picker_text.h"

namespace larch {

std::string BuildFilterList(const LeadBytes& leads, std::string_view barSeparated) {
  if (barSeparated.empty()) return {};
  std::string list(barSeparated);
  for (size_t bar = FindChar(leads, list, '|'); bar != std::string::npos; bar = FindChar(leads, list, '|', bar + 1)) {
    list[bar] = '\0';
  }
  // A text that ends in a '|' already holds its first terminating NUL.
  if (list.back() != '\0') list.push_back('\0');
  list.push_back('\0');
  return list;
}

std::string JoinMultiSelection(const char* buffer, size_t capacity) {
  size_t n = 0;
  while (n + 1 < capacity && !(buffer[n] == '\0' && buffer[n + 1] == '\0')) ++n;
  std::string text(buffer, n);
  for (char& c : text) {
    if (c == '\0') c = '|';
  }
  return text;
}

}  // namespace larch
