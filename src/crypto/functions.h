// The published functions of the digests-and-ciphers family.
#pragma once

#include "bridge/records.h"

namespace larch {

// Digests (digest_functions.cpp).
void Get32Md5(ParamBlock* block);
void Get32Md5FileChecksum(ParamBlock* block);

// Text ciphers (text_cipher_functions.cpp).
void KVEncryptTxt1(ParamBlock* block);
void KVEncryptTxt2(ParamBlock* block);

// The block cipher and enciphered batches (batch_functions.cpp).
void KVEncryptByteBlock2(ParamBlock* block);
void KVRunFoxBatch2(ParamBlock* block);

// The file-buffer cipher (file_buffer_function.cpp).
void KVEncryptFileBuffer2(ParamBlock* block);

// Enciphered string tables (string_source_functions.cpp).
void LoadStringSrcStream(ParamBlock* block);
void GetStringSrcById(ParamBlock* block);

}  // namespace larch
