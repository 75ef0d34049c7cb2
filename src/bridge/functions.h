// The bridge's published information functions (lifecycle.cpp).
#pragma once

#include "bridge/records.h"

namespace larch {

void GetExeInfo(ParamBlock* block);
void GetFllInfo(ParamBlock* block);
void GetDefaultFontName(ParamBlock* block);
void GetDefaultFontSize(ParamBlock* block);
void GetMyBackColor(ParamBlock* block);
void GetCpuID(ParamBlock* block);
void LangIsChinese(ParamBlock* block);

}  // namespace larch
