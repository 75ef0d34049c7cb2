#include "crypto/block_key.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "bridge/reverse_bytes.h"
#include "crypto/block_cipher.h"

namespace larch {

const char kKeyAlphabet[] = "FJIS.AfWrgGxU*v#BwZbuc+LPtmkXn=zp$:CMRihyjE%HaDo&lVq@!eN-s?YQdTOK";
static_assert(sizeof kKeyAlphabet == 66, "the key alphabet holds 65 characters");

void FillKeySeed(char seed[kBlockKeyLength]) {
  uint8_t x = 0x5A;
  for (size_t i = 0; i < kBlockKeyLength; ++i) {
    seed[i] = static_cast<char>(x);
    x = static_cast<uint8_t>(x * 109 + 89);
  }
}

void KeyAlphabetPass(char* key, size_t n) {
  const uint32_t size = static_cast<uint32_t>(std::strlen(kKeyAlphabet));
  for (size_t i = 0; i < n; ++i) {
    uint32_t sum = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(key[i])) + static_cast<int32_t>(i));
    key[i] = kKeyAlphabet[sum % size];
  }
  ReverseBytes(key, n);
  for (size_t i = 0; i < n; ++i) {
    uint32_t difference =
        static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(key[i])) - static_cast<int32_t>(i));
    key[i] = kKeyAlphabet[difference % size];
  }
}

void MixFileDigest(char* key, size_t n, char digestBuffer[36]) {
  ReverseBytes(digestBuffer + 8, 24);
  CyclicXor(key, n, digestBuffer, 32);
  if (n > 5) ReverseBytes(key + 5, n - 5);
}

BlockKey BuildBlockKey(std::optional<std::string_view> digest) {
  BlockKey key{};
  FillKeySeed(key.bytes);
  key.bytes[kBlockKeyLength] = '\0';
  if (digest) {
    char buffer[36] = {};
    std::memcpy(buffer, digest->data(), std::min<size_t>(digest->size(), 32));
    MixFileDigest(key.bytes, kBlockKeyLength, buffer);
  }
  KeyAlphabetPass(key.bytes, kBlockKeyLength);
  return key;
}

std::string EncipherBatch(std::string_view plain, std::optional<std::string_view> digest) {
  BlockKey key = BuildBlockKey(digest);
  std::string data(plain);
  BlockEncipher(data.data(), data.size(), key.bytes, kBlockKeyLength);
  return data;
}

std::string DecipherBatch(std::string_view cipher, std::optional<std::string_view> digest) {
  BlockKey key = BuildBlockKey(digest);
  std::string data(cipher);
  BlockDecipher(data.data(), data.size(), key.bytes, kBlockKeyLength);
  return data;
}

}  // namespace larch
