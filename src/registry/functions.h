// The registry session's published functions. Their logical results are
// true on failure and false on success.
#pragma once

#include "bridge/records.h"

namespace larch {

void FRSetRegPath(ParamBlock* block);
void FRCloseReg(ParamBlock* block);
void FRSetRegValue(ParamBlock* block);
void FRGetRegValue(ParamBlock* block);
void FRDeleteValue(ParamBlock* block);
void FRDeleteKey(ParamBlock* block);
void FREnumRegValue(ParamBlock* block);
void FREnumRegKeyEx(ParamBlock* block);

}  // namespace larch
