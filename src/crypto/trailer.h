// The 84-byte trailer that ends an enciphered file buffer or string-source
// stream: it records the payload length and the digest of the key text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace larch {

constexpr size_t kTrailerSize = 84;
using Trailer = std::array<char, kTrailerSize>;

// The fields before sealing (integers little-endian): 1 at 0; `kind` at 4
// (1 for file buffers, 0 for streams); the swapped digest text of the tag
// at 8; the payload length at 44; the digest text of the key at 48. All
// other bytes, the digest texts' NULs among them, are zero.
Trailer TrailerFields(uint32_t kind, const char* tag, uint32_t payloadLength, const char* key);

}  // namespace larch
