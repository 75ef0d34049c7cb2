#include "crypto/trailer.h"

#include <cstring>

#include "crypto/md5.h"

namespace larch {
namespace {

void PutLE32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(v >> (8 * i));
}

}  // namespace

Trailer TrailerFields(uint32_t kind, const char* tag, uint32_t payloadLength, const char* key) {
  Trailer t{};
  char digest[kDigestTextSize];
  PutLE32(&t[0], 1);
  PutLE32(&t[4], kind);
  Md5HexSwapped(digest, tag, std::strlen(tag));
  std::memcpy(&t[8], digest, 32);
  PutLE32(&t[44], payloadLength);
  Md5HexOfBytes(digest, key, std::strlen(key));
  std::memcpy(&t[48], digest, 32);
  return t;
}

}  // namespace larch
