// The addresses the host hands over when it attaches.
#pragma once

#include "bridge/records.h"

namespace larch {

using HostCallbackAddress = uint32_t;

struct BridgeState {
  HostCallbackAddress callback = 0;
  HandleTable* handles = nullptr;
  SlotTable* slots = nullptr;
};

BridgeState& Bridge();

}  // namespace larch
