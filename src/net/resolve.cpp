#include "net/net_handles.h"

namespace larch {

std::vector<std::string> ResolveHostAddresses(const char* name) {
  std::vector<std::string> addresses;
  const hostent* entry = gethostbyname(name);
  if (!entry || !entry->h_addr_list) return addresses;
  for (char** a = entry->h_addr_list; *a; ++a) addresses.emplace_back(*a, static_cast<size_t>(entry->h_length));
  return addresses;
}

}  // namespace larch
