#include "crypto/by_reference.h"

#include <cstdint>

#include "bridge/handles.h"
#include "bridge/host.h"
#include "bridge/values.h"

namespace larch {

std::string LoadCharVariable(HostVarRef& ref) {
  LoadedValue loaded = LoadValue(ref);
  if (loaded.raw.type != kTypeChar) RaiseTypeError();
  return std::move(loaded.text);
}

void StoreCharVariable(HostVarRef& ref, std::string_view bytes) {
  OwnedHandle block(NewTextBlock(bytes, false));
  if (!block) RaiseMemoryError();
  HostValue value = TextValue(kTypeChar, block.get(), static_cast<uint32_t>(bytes.size()));
  CallHost(kStoreValue, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&ref)),
           static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&value)));
}

}  // namespace larch
