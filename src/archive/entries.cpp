// Entry points of the directory walk and the cabinet functions.
#include "archive/functions.h"
#include "bridge/entry_points.h"

namespace larch {
namespace {

constexpr NamedEntry kEntries[] = {
    {"KVTraverseDirectory", KVTraverseDirectory},
    {"CabCreateCabinet", CabCreateCabinet},
    {"CabAddFile2Cab", CabAddFile2Cab},
    {"CabFlushCab", CabFlushCab},
    {"CabCompress", CabCompress},
    {"CabDecompress", CabDecompress},
};

}  // namespace

EntryList ArchiveEntries() { return MakeEntryList(kEntries); }

}  // namespace larch
