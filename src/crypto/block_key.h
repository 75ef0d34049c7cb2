// The 125-byte key of the enciphered batches: a fixed seed, optionally mixed
// with the digest text of a file, passed through a fixed alphabet.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace larch {

constexpr size_t kBlockKeyLength = 125;

// 125 key bytes and the NUL the alphabet pass relies on.
struct BlockKey {
  char bytes[kBlockKeyLength + 1];
};

// 65 distinct printable characters, letters and punctuation, fixed for good
// (batches enciphered under it open only under it):
//   "FJIS.AfWrgGxU*v#BwZbuc+LPtmkXn=zp$:CMRihyjE%HaDo&lVq@!eN-s?YQdTOK"
extern const char kKeyAlphabet[];

// The seed is built by an 8-bit linear congruential walk, fixed for good:
// seed[0] = 0x5A, seed[i + 1] = (seed[i] * 109 + 89) mod 256.
void FillKeySeed(char seed[kBlockKeyLength]);

// Replaces each key byte by an alphabet character chosen from the byte
// (taken as signed) plus its position, reverses the key, then chooses again
// from the byte minus its position (the difference taken as unsigned 32-bit).
void KeyAlphabetPass(char* key, size_t n);

// Mixes a digest text held in a 36-byte buffer into the key; the buffer's
// bytes 8 to 31 are reversed in place and its first 32 bytes are consumed.
void MixFileDigest(char* key, size_t n, char digestBuffer[36]);

// The batch key. With a digest, that text is mixed in; an empty digest text
// (a file that could not be read) still gives one fixed key, because the
// digest buffer is zero-filled before the text goes in.
BlockKey BuildBlockKey(std::optional<std::string_view> digest);

// KVEncryptByteBlock2's transform and its inverse (the second is the
// deciphering step of KVRunFoxBatch2). Same length out as in.
std::string EncipherBatch(std::string_view plain, std::optional<std::string_view> digest);
std::string DecipherBatch(std::string_view cipher, std::optional<std::string_view> digest);

}  // namespace larch
