// Entry points of this family's published functions.
#include "bridge/entry_points.h"

namespace larch {

EntryList DialogsEntries() { return {nullptr, 0}; }

}  // namespace larch
