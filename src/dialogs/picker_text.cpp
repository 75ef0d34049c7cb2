#include "dialogs/picker_text.h"

namespace larch {

std::string BuildFilterList(std::string_view barSeparated) {
  if (barSeparated.empty()) return {};
  std::string list(barSeparated);
  for (char& c : list) {
    if (c == '|') c = '\0';
  }
  // A text that ends in '|' already holds its first terminating NUL.
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

std::string InitialFolderFor(std::string_view requested) {
  if (requested.size() >= kInitialFolderCapacity) return {};
  return std::string(requested);
}

}  // namespace larch
