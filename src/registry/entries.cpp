// Entry points of this family's published functions.
#include "bridge/entry_points.h"
#include "registry/functions.h"

namespace larch {
namespace {

constexpr NamedEntry kEntries[] = {
    {"FRSetRegPath", FRSetRegPath},
    {"FRCloseReg", FRCloseReg},
    {"FRSetRegValue", FRSetRegValue},
    {"FRGetRegValue", FRGetRegValue},
    {"FRDeleteValue", FRDeleteValue},
    {"FRDeleteKey", FRDeleteKey},
    {"FREnumRegValue", FREnumRegValue},
    {"FREnumRegKeyEx", FREnumRegKeyEx},
};

}  // namespace

EntryList RegistryEntries() { return MakeEntryList(kEntries); }

}  // namespace larch
