#include "crypto/additive_xor.h"

#include <cstdint>

namespace larch {

const char kDefaultTxt2Key[] = "Larch/TextCipher2:default-key#0413$bW7qZk";
static_assert(sizeof kDefaultTxt2Key == 42, "the default key holds 41 characters");

void AdditiveXor(char* data, size_t n, const char* key) {
  if (n == 0 || !key || !*key) return;
  const char* k = key;
  for (size_t i = 0; i < n; ++i) {
    data[i] = static_cast<char>(static_cast<uint8_t>(data[i]) ^ static_cast<uint8_t>(*k + 53));
    if (!*++k) k = key;
  }
}

}  // namespace larch
