// The file-buffer cipher: the payload XORed with a 32-byte payload key and
// with the library's resource key, followed by a sealed 84-byte trailer
// that deciphering recomputes and compares, so a wrong key or a changed
// length gives nothing instead of garbage.
#pragma once

#include <cstddef>
#include <string>

#include "crypto/trailer.h"

namespace larch {

// The line whose digest stands in every file-buffer trailer: 27 printable
// characters, fixed for good (buffers made under it open only under it):
//   "Larch file buffer seal v1.3"
extern const char kBufferTag[];

// The key material as it is used, after its load step.
struct KeyBlock {
  const char* bytes;
  size_t size;  // at least 1
};

// The trailer that the payload length and the key text must give.
Trailer SealedBufferTrailer(uint32_t payloadLength, const char* key);
// 32 characters (a swapped digest text), from the sealed trailer and the key.
std::string BufferPayloadKey(const Trailer& sealed, const char* key);

// `key` is the key text up to its first NUL and must not be empty.
// Writes n + 84 bytes to out.
void EncipherFileBuffer(char* out, const char* in, size_t n, const char* key, KeyBlock resourceKey);
// Writes n - 84 bytes to out; false (out left unspecified) when n is 84 or
// less or the trailer does not match the key and the length.
bool DecipherFileBuffer(char* out, const char* in, size_t n, const char* key, KeyBlock resourceKey);

// The resource stores the key block with bytes 53 to the end in reverse
// order; this turns one form into the other (it is its own inverse).
void FlipStoredKeyBlock(char* bytes, size_t size);

}  // namespace larch
