// The addresses the host hands over when it attaches, and the one way the
// library calls code at such an address.
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

// Calls a foreign function (the host's callback, an address a dispatch
// record names) with one or two 32-bit arguments, whichever calling
// convention it was declared with; answers the word it left in EAX.
uint32_t CallForeign(uint32_t function, uint32_t a, uint32_t b);

}  // namespace larch
