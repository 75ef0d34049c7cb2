// Default key path of the registry session.
#include "registry/default_path.h"

namespace larch {

std::optional<std::string> DefaultRegistryPath(std::string_view identity) {
  if (identity.empty()) return std::nullopt;
  if (kDefaultPathPrefix.size() + identity.size() + 1 > kDefaultPathCapacity) return std::nullopt;
  std::string path(kDefaultPathPrefix);
  path.append(identity);
  return path;
}

}  // namespace larch
