// FRSetRegPath and FRCloseReg: choosing the session's key.
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/system_error.h"
#include "registry/default_path.h"
#include "registry/functions.h"
#include "registry/registry_session.h"

namespace larch {

void FRSetRegPath(ParamBlock* block) {
  Params p(block);
  if (p.has(1)) {
    HKEY root = p.has(2) ? RootKeyOf(p.integer(2)) : HKEY_CURRENT_USER;
    std::string path = p.text(1).str();
    // A path holding a NUL would open another key: the session keeps its own.
    if (HoldsNul(path)) return ReturnRegistryOutcome(RegistryResult(ERROR_INVALID_NAME));
    Registry().setPath(std::move(path), root);
    return ReturnRegistryOutcome(true);
  }
  // Without parameters the path comes from the application identity; an
  // identity that is not text, empty, or too long for the path changes
  // nothing.
  Evaluated identity = ReadAppIdentity();
  std::optional<std::string> path;
  if (identity.type == kTypeChar) path = DefaultRegistryPath(identity.text);
  if (!path) return ReturnRegistryOutcome(false);
  Registry().setPath(std::move(*path), HKEY_CURRENT_USER);
  ReturnRegistryOutcome(true);
}

void FRCloseReg(ParamBlock*) {
  Registry().close();
  ReturnRegistryOutcome(true);
}

}  // namespace larch
