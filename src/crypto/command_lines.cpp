#include "crypto/command_lines.h"

namespace larch {

std::vector<std::string> SplitCommandLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
    if (i > start) lines.emplace_back(text.substr(start, i - start));
    start = i + 1;
  }
  return lines;
}

}  // namespace larch
