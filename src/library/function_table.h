// The table of published functions the host asks for when it attaches.
#pragma once

#include "bridge/records.h"

namespace larch {

// The table handed to the host (built once, valid for the process).
const FunctionTableHeader* PublishedTable();

}  // namespace larch
