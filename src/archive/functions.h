// Published functions of the directory walk and the cabinets.
#pragma once

#include "bridge/records.h"

namespace larch {

// The directory walk (traverse_function.cpp).
void KVTraverseDirectory(ParamBlock* block);

// Cabinets (cabinet_functions.cpp).
void CabCreateCabinet(ParamBlock* block);
void CabAddFile2Cab(ParamBlock* block);
void CabFlushCab(ParamBlock* block);
void CabCompress(ParamBlock* block);
void CabDecompress(ParamBlock* block);

}  // namespace larch
