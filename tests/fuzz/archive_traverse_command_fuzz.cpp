// Fills each walk command style with an arbitrary path and checks that the
// line is exactly the style's code around one expression that a reader of
// single bytes (and, under GBK, a reader of double-byte characters) reads
// back as the path; a path that is refused must hold a control character
// or end in half a character, or (outside a literal) a byte the host parses.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "../native/archive_traverse_host_reader.h"
#include "archive/traverse_command.h"
#include "bridge/host_command.h"

namespace {

bool HasControl(const std::string& path) {
  for (unsigned char b : path) {
    if (b < 0x20 || b == 0x7F) return true;
  }
  return false;
}

bool EndsInHalfCharacter(const larch::LeadBytes& leads, const std::string& path) {
  size_t i = 0, last = 0;
  while (i < path.size()) {
    last = i;
    i += larch::CharLength(leads, path, i);
  }
  return !path.empty() && i - last == 1 && leads.isLead(static_cast<unsigned char>(path[last]));
}

bool IsPlainByte(unsigned char b) {
  return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 0x80 ||
         std::string("\\/:._-~").find(static_cast<char>(b)) != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const larch::LeadBytes single, gbk = larch::LeadBytes::gbk();
  const larch::LeadBytes& leads = (data[0] & 0x80) ? gbk : single;
  const std::string path(reinterpret_cast<const char*>(data) + 1, size - 1);
  const bool unsafe = HasControl(path) || EndsInHalfCharacter(leads, path);

  const auto& styles = larch::test::kWalkCommandStyles;
  const larch::test::WalkCommandStyle& style = styles[data[0] % (sizeof styles / sizeof styles[0])];
  std::optional<std::string> line = larch::ExpandHostCommand(leads, *larch::PrepareWalkCommand(style.command), path);
  if (line.has_value() == unsafe) abort();
  if (line) {
    const std::string before = style.before, after = style.after;
    if (line->size() < before.size() + after.size()) abort();
    if (line->compare(0, before.size(), before) != 0) abort();
    if (line->compare(line->size() - after.size(), after.size(), after) != 0) abort();
    const std::string middle = line->substr(before.size(), line->size() - before.size() - after.size());
    const std::string want = style.prefix + path;
    if (larch::test::ReadHostExpression(single, middle) != want) abort();
    if (&leads == &gbk && larch::test::ReadHostExpression(gbk, middle) != want) abort();
  }

  // Outside any literal the path goes in as it is, or not at all.
  std::optional<std::string> bare = larch::ExpandHostCommand(leads, "DO %s", path);
  bool plain = !unsafe;
  for (unsigned char b : path) plain = plain && IsPlainByte(b);
  if (bare.has_value() != plain) abort();
  if (bare && *bare != "DO " + path) abort();
  return 0;
}
