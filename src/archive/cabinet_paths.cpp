#include "archive/cabinet_paths.h"

#include <algorithm>
#include <string>

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

bool IsDeviceName(const LeadBytes& leads, std::string_view part) {
  // The device name is what stands before the first dot, without the
  // blanks after it.
  std::string_view base = part.substr(0, std::min(FindChar(leads, part, '.'), part.size()));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  std::string upper;
  for (char c : base) upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (upper == device) return true;
  }
  if (upper.size() != 4 || (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0)) return false;
  const unsigned char digit = static_cast<unsigned char>(upper[3]);
  // ¹ ² ³ of the single-byte code pages; under a double-byte one these
  // bytes start characters.
  const bool superscript = (digit == 0xB9 || digit == 0xB2 || digit == 0xB3) && !leads.isLead(digit);
  return (digit >= '1' && digit <= '9') || superscript;
}

bool IsWritableStoredName(const LeadBytes& leads, std::string_view name) {
  if (!IsContainedName(leads, name)) return false;
  size_t begin = 0;
  while (begin <= name.size()) {
    size_t end = FindFirstCharOf(leads, name, "\\/", begin);
    if (end == std::string_view::npos) end = name.size();
    if (IsDeviceName(leads, name.substr(begin, end - begin))) return false;
    begin = end + 1;
  }
  return true;
}

bool ContinuesAfter(CabNotice notice, std::string_view nextCabinet) {
  switch (notice) {
    case CabNotice::kCabinetInfo: return nextCabinet.empty();
    case CabNotice::kPartialFile:
    case CabNotice::kNextCabinet: return false;
    default: return true;
  }
}

bool IsAsciiName(std::string_view name) {
  for (char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace larch
