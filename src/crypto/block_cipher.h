// The byte-block cipher's building blocks, shared by the enciphered batches
// and the file-buffer cipher.
#pragma once

#include <cstddef>

namespace larch {

// data[i] ^= key[i mod k]; k must be at least 1. Large buffers are worked
// sixteen bytes at a time against the key repeated into a longer cycle.
void CyclicXor(char* data, size_t n, const char* key, size_t k);
// The same, writing into out (which may be in).
void CyclicXorCopy(char* out, const char* in, size_t n, const char* key, size_t k);
// out[i] = in[i] ^ first[i mod f] ^ second[i mod s], in one pass when the
// combined cycle is short enough to build.
void DoubleCyclicXorCopy(char* out, const char* in, size_t n, const char* first, size_t f, const char* second,
                         size_t s);

enum class RotateDirection { Forward, Backward };
// Per byte: at odd positions rotate left by 7 then flip the low nibble, at
// even positions rotate left by 1 then flip; backward undoes it.
void ParityRotate(char* bytes, size_t n, RotateDirection direction);

// Both transform the caller's key buffer in place.
void BlockEncipher(char* data, size_t n, char* key, size_t k);
void BlockDecipher(char* data, size_t n, char* key, size_t k);

}  // namespace larch
