// The registry session's published functions. Their logical results are
// true on failure and false on success.
#pragma once

#include "bridge/records.h"

namespace larch {

// The session (session_functions.cpp).
void FRSetRegPath(ParamBlock* block);
void FRCloseReg(ParamBlock* block);

// Values and keys (value_functions.cpp).
void FRSetRegValue(ParamBlock* block);
void FRGetRegValue(ParamBlock* block);
void FRDeleteValue(ParamBlock* block);
void FRDeleteKey(ParamBlock* block);

// Enumeration (enum_functions.cpp).
void FREnumRegValue(ParamBlock* block);
void FREnumRegKeyEx(ParamBlock* block);

}  // namespace larch
