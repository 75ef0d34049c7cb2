// The published functions of the digests-and-ciphers family.
#pragma once

#include "bridge/records.h"

namespace larch {

void Get32Md5(ParamBlock* block);
void Get32Md5FileChecksum(ParamBlock* block);
void KVEncryptTxt1(ParamBlock* block);
void KVEncryptTxt2(ParamBlock* block);
void KVEncryptByteBlock2(ParamBlock* block);
void KVRunFoxBatch2(ParamBlock* block);
void KVEncryptFileBuffer2(ParamBlock* block);
void LoadStringSrcStream(ParamBlock* block);
void GetStringSrcById(ParamBlock* block);

}  // namespace larch
