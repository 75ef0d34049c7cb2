// Property: a section, key and value that the INI check accepts, written
// the way the private-profile writer writes them, read back by a reader
// that splits lines the same way, give one section line and one entry
// line holding exactly the texts written (blanks around them aside).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/dbcs.h"
#include "files/ini_names.h"

namespace {

using larch::LeadBytes;

std::string_view Trim(std::string_view text) {
  size_t first = text.find_first_not_of(larch::kIniBlanks);
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(larch::kIniBlanks);
  return text.substr(first, last - first + 1);
}

struct Line {
  bool section = false;
  std::string name;   // section name, or key
  std::string value;  // for entries
};

// A minimal reader: lines end at CR or LF, the text at a NUL; a line that
// starts with '[' names a section up to its first ']'; any other line is
// a key up to its first '=' and a value after it. Searches go by character.
std::vector<Line> Read(const LeadBytes& leads, std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<Line> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = Trim(text.substr(start, end - start));
    start = end + 1;
    if (raw.empty()) continue;
    Line line;
    if (raw[0] == '[') {
      line.section = true;
      size_t close = larch::FindChar(leads, raw, ']', 1);
      line.name =
          std::string(Trim(raw.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
    } else {
      size_t equals = larch::FindChar(leads, raw, '=');
      line.name = std::string(Trim(raw.substr(0, equals)));
      if (equals != std::string_view::npos) line.value = std::string(Trim(raw.substr(equals + 1)));
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const LeadBytes leads = (data[0] & 1) ? LeadBytes::gbk() : LeadBytes();
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  // Three texts separated by 0x01 bytes.
  size_t a = input.find('\x01');
  if (a == std::string_view::npos) return 0;
  size_t b = input.find('\x01', a + 1);
  if (b == std::string_view::npos) return 0;
  std::string_view section = input.substr(0, a), key = input.substr(a + 1, b - a - 1), value = input.substr(b + 1);
  if (!larch::IniEntryAllowed(leads, section, key, value)) return 0;

  std::string file = "[" + std::string(section) + "]\r\n" + std::string(key) + "=" + std::string(value) + "\r\n";
  std::vector<Line> lines = Read(leads, file);
  if (lines.size() != 2 || !lines[0].section || lines[1].section) std::abort();
  if (lines[0].name != Trim(section)) std::abort();
  if (lines[1].name != Trim(key) || lines[1].value != Trim(value)) std::abort();
  return 0;
}
