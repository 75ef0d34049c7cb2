#include "archive/cabinet_paths.h"

namespace larch {
namespace {

// A text ending in the first byte of a double-byte character: a separator
// put after it would become its second byte.
bool EndsInHalfCharacter(const LeadBytes& leads, std::string_view text) {
  if (text.empty()) return false;
  size_t last = CharBoundaryAtOrBefore(leads, text, text.size() - 1);
  return CharLength(leads, text, last) == 1 && leads.isLead(static_cast<unsigned char>(text[last]));
}

}  // namespace

size_t NameStart(const LeadBytes& leads, std::string_view path) {
  size_t at = FindLastCharOf(leads, path, "\\/");
  return at == std::string_view::npos ? 0 : at + 1;
}

std::optional<CabinetPath> SplitCabinetPath(const LeadBytes& leads, std::string_view path) {
  if (path.empty() || path.size() >= kPathCapacity) return std::nullopt;
  size_t start = NameStart(leads, path);
  CabinetPath split{std::string(path.substr(0, start)), std::string(path.substr(start))};
  if (split.name.empty() || split.name.size() >= kCabNameField || split.folder.size() >= kCabNameField) {
    return std::nullopt;
  }
  return split;
}

std::optional<std::string> StoredFileName(const LeadBytes& leads, std::string_view path) {
  if (path.size() >= kPathCapacity) return std::nullopt;
  std::string_view name = path.substr(NameStart(leads, path));
  if (name.empty() || name.size() >= kCabNameField) return std::nullopt;
  return std::string(name);
}

std::optional<std::string> ExtractionFolder(const LeadBytes& leads, std::string_view folder) {
  if (folder.empty() || EndsInHalfCharacter(leads, folder)) return std::nullopt;
  std::string result(folder);
  if (!EndsWithChar(leads, result, '\\')) result += '\\';
  if (result.size() >= kPathCapacity) return std::nullopt;
  return result;
}

bool IsContainedName(const LeadBytes& leads, std::string_view name) {
  if (name.empty() || FindFirstCharOf(leads, name, "\\/") == 0 ||
      FindChar(leads, name, ':') != std::string_view::npos) {
    return false;
  }
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
  }
  size_t begin = 0;
  while (begin <= name.size()) {
    size_t end = FindFirstCharOf(leads, name, "\\/", begin);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(begin, end - begin) == "..") return false;
    begin = end + 1;
  }
  return true;
}

bool IsAsciiName(std::string_view name) {
  for (char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace larch
