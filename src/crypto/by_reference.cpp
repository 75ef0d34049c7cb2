#include "crypto/by_reference.h"

#include "bridge/host.h"

namespace larch {

std::string LoadCharVariable(HostVarRef& ref) {
  LoadedValue loaded = LoadValue(ref);
  if (loaded.raw.type != kTypeChar) RaiseTypeError();
  return std::move(loaded.text);
}

void StoreCharVariable(HostVarRef& ref, std::string_view bytes) { StoreTextUnchecked(ref, bytes); }

}  // namespace larch
