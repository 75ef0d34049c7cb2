// Splits arbitrary paths with the cabinet path rules, byte by byte and
// under GBK, and checks what each rule promises: the parts put together
// give the path back, a name holds no separator character, a folder ends
// in one, limits hold, and a name kept inside the destination has no ".."
// part, no root, no drive and no control character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/cabinet_paths.h"

namespace {

using larch::LeadBytes;

// The parts between separator characters, found by stepping over whole
// characters.
std::vector<std::string> Parts(const LeadBytes& leads, const std::string& name) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < name.size();) {
    size_t n = larch::CharLength(leads, name, i);
    if (n == 1 && (name[i] == '\\' || name[i] == '/')) {
      parts.emplace_back();
    } else {
      parts.back() += name.substr(i, n);
    }
    i += n;
  }
  return parts;
}

bool EndsInHalfCharacter(const LeadBytes& leads, const std::string& text) {
  size_t i = 0, last = 0;
  while (i < text.size()) {
    last = i;
    i += larch::CharLength(leads, text, i);
  }
  return !text.empty() && i - last == 1 && leads.isLead(static_cast<unsigned char>(text[last]));
}

bool HasSeparatorCharacter(const LeadBytes& leads, const std::string& text) { return Parts(leads, text).size() > 1; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path(reinterpret_cast<const char*>(data), size);
  const LeadBytes single, gbk = LeadBytes::gbk();
  for (const LeadBytes* leads : {&single, &gbk}) {
    std::optional<larch::CabinetPath> split = larch::SplitCabinetPath(*leads, path);
    if (split) {
      if (split->folder + split->name != path) abort();
      if (split->name.empty() || HasSeparatorCharacter(*leads, split->name)) abort();
      if (!split->folder.empty() && !larch::EndsWithSeparator(*leads, split->folder)) abort();
      if (path.size() > 259 || split->folder.size() > 255 || split->name.size() > 255) abort();
      if (larch::StoredFileName(*leads, path) != split->name) abort();
    } else if (!path.empty() && path.size() <= 255 && !HasSeparatorCharacter(*leads, path)) {
      abort();  // a plain short name is always a cabinet name
    }

    std::optional<std::string> folder = larch::ExtractionFolder(*leads, path);
    if (folder) {
      if (folder->compare(0, path.size(), path) != 0 || folder->size() > 259) abort();
      if (!larch::EndsWithChar(*leads, *folder, '\\')) abort();
      if (folder->size() != path.size() && folder->size() != path.size() + 1) abort();
    } else if (!path.empty() && path.size() < 258 && !EndsInHalfCharacter(*leads, path)) {
      abort();
    }

    if (larch::IsContainedName(*leads, path)) {
      std::vector<std::string> parts = Parts(*leads, path);
      if (path.empty() || parts.front().empty()) abort();  // rooted
      for (const std::string& part : parts) {
        if (part == "..") abort();
      }
      for (size_t i = 0; i < path.size(); i += larch::CharLength(*leads, path, i)) {
        if (path[i] == ':' && larch::CharLength(*leads, path, i) == 1) abort();
      }
      for (unsigned char b : path) {
        if (b < 0x20) abort();
      }
    }
  }
  return 0;
}
