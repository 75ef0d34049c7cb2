// The character variables that the in-place ciphers read and write back.
#pragma once

#include <string>
#include <string_view>

#include "bridge/records.h"

namespace larch {

// The variable's bytes; raises host error 9 when it does not hold a
// character value.
std::string LoadCharVariable(HostVarRef& ref);

// Stores the bytes back. The host's answer is not looked at: when it
// refuses the store, the call ends as if the store had succeeded.
void StoreCharVariable(HostVarRef& ref, std::string_view bytes);

}  // namespace larch
