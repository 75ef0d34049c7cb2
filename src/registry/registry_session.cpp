// The registry session object and its open/create rules.
#include "registry/registry_session.h"

#include "bridge/system_error.h"

namespace larch {

RegistrySession& Registry() {
  static RegistrySession session;
  return session;
}

HKEY RootKeyOf(int code) {
  switch (code) {
    case 1: return HKEY_CLASSES_ROOT;
    case 3: return HKEY_LOCAL_MACHINE;
    case 4: return HKEY_USERS;
    case 5: return HKEY_CURRENT_CONFIG;
    default: return HKEY_CURRENT_USER;
  }
}

void RegistrySession::setPath(std::string path, HKEY root) {
  root_ = root;
  path_ = std::move(path);
}

bool RegistrySession::open(bool create) {
  // A failed open leaves no key: the old one is closed, not kept.
  key_.reset();
  if (!path_) return false;
  if (RegistryResult(RegOpenKeyExA(root_, path_->c_str(), 0, KEY_ALL_ACCESS, key_.put()))) return true;
  if (create) {
    char noClass[] = "";
    if (RegistryResult(RegCreateKeyExA(root_, path_->c_str(), /*Reserved=*/0, noClass, /*dwOptions=*/0, KEY_ALL_ACCESS,
                                       /*lpSecurityAttributes=*/nullptr, key_.put(),
                                       /*lpdwDisposition=*/nullptr))) {
      return true;
    }
  }
  key_.reset();
  return false;
}

}  // namespace larch
