#include "crypto/file_buffer_cipher.h"

#include <cstring>

#include "bridge/reverse_bytes.h"
#include "crypto/block_cipher.h"
#include "crypto/md5.h"

namespace larch {

const char kBufferTag[] = "Larch file buffer seal v1.3";
static_assert(sizeof kBufferTag == 28, "the buffer tag holds 27 characters");

namespace {

constexpr uint32_t kFileBufferKind = 1;
constexpr size_t kStoredKeyFixedPrefix = 53;

}  // namespace

Trailer SealedBufferTrailer(uint32_t payloadLength, const char* key) {
  Trailer t = TrailerFields(kFileBufferKind, kBufferTag, payloadLength, key);
  char keyDigest[kDigestTextSize];
  Md5HexSwapped(keyDigest, key, std::strlen(key));
  BlockEncipher(t.data(), t.size(), keyDigest, 32);
  char trailerDigest[kDigestTextSize];
  Md5HexOfBytes(trailerDigest, t.data(), t.size());
  CyclicXor(t.data(), t.size(), trailerDigest, 32);
  return t;
}

std::string BufferPayloadKey(const Trailer& sealed, const char* key) {
  Trailer o = sealed;
  // The block cipher turns the key text itself, so it works on a copy.
  std::string transformed(key);
  BlockEncipher(o.data(), o.size(), transformed.data(), transformed.size());
  // The turn can make a byte 0 and so shorten the text that is digested.
  char digest[kDigestTextSize];
  Md5HexOfBytes(digest, transformed.data(), std::strlen(transformed.c_str()));
  CyclicXor(o.data(), o.size(), digest, 32);
  return Md5HexSwapped(std::string_view(o.data(), o.size()));
}

void EncipherFileBuffer(char* out, const char* in, size_t n, const char* key, KeyBlock resourceKey) {
  Trailer h = SealedBufferTrailer(static_cast<uint32_t>(n), key);
  std::string pk = BufferPayloadKey(h, key);
  DoubleCyclicXorCopy(out, in, n, pk.data(), 32, resourceKey.bytes, resourceKey.size);
  CyclicXor(h.data(), h.size(), pk.data(), 32);
  std::memcpy(out + n, h.data(), h.size());
}

bool DecipherFileBuffer(char* out, const char* in, size_t n, const char* key, KeyBlock resourceKey) {
  if (n <= kTrailerSize) return false;
  size_t payload = n - kTrailerSize;
  Trailer h = SealedBufferTrailer(static_cast<uint32_t>(payload), key);
  std::string pk = BufferPayloadKey(h, key);
  Trailer stored;
  std::memcpy(stored.data(), in + payload, kTrailerSize);
  CyclicXor(stored.data(), stored.size(), pk.data(), 32);
  if (stored != h) return false;
  DoubleCyclicXorCopy(out, in, payload, resourceKey.bytes, resourceKey.size, pk.data(), 32);
  return true;
}

void FlipStoredKeyBlock(char* bytes, size_t size) {
  if (size > kStoredKeyFixedPrefix) ReverseBytes(bytes + kStoredKeyFixedPrefix, size - kStoredKeyFixedPrefix);
}

}  // namespace larch
