#include "files/cabinet_paths.h"

namespace larch {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

size_t NameStart(std::string_view path) {
  size_t at = path.find_last_of("\\/");
  return at == std::string_view::npos ? 0 : at + 1;
}

std::optional<CabinetPath> SplitCabinetPath(std::string_view path) {
  if (path.empty() || path.size() >= kPathBuffer) return std::nullopt;
  size_t start = NameStart(path);
  CabinetPath split{std::string(path.substr(0, start)), std::string(path.substr(start))};
  if (split.name.empty() || split.name.size() >= kCabNameField || split.folder.size() >= kCabNameField) {
    return std::nullopt;
  }
  return split;
}

std::optional<std::string> StoredFileName(std::string_view path) {
  if (path.size() >= kPathBuffer) return std::nullopt;
  std::string_view name = path.substr(NameStart(path));
  if (name.empty() || name.size() >= kCabNameField) return std::nullopt;
  return std::string(name);
}

std::optional<std::string> ExtractionFolder(std::string_view folder) {
  if (folder.empty()) return std::nullopt;
  std::string result(folder);
  if (result.back() != '\\') result += '\\';
  if (result.size() >= kPathBuffer) return std::nullopt;
  return result;
}

bool IsContainedName(std::string_view name) {
  if (name.empty() || IsSeparator(name.front()) || name.find(':') != std::string_view::npos) return false;
  size_t begin = 0;
  while (begin <= name.size()) {
    size_t end = begin;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    if (name.substr(begin, end - begin) == "..") return false;
    begin = end + 1;
  }
  return true;
}

}  // namespace larch
