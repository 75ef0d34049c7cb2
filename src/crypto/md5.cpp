// MD5 as RFC 1321 defines it. The compression function is written out step
// by step with the message words loaded once per block: it is the library's
// most used routine (every file checksum and every cipher key goes through it).
#include "crypto/md5.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "bridge/unique_owner.h"

namespace larch {
namespace {

inline uint32_t Rotl(uint32_t x, int s) { return (x << s) | (x >> (32 - s)); }

inline uint32_t LoadLE32(const uint8_t* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
#else
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
#endif
}

inline void StoreLE32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

// The four auxiliary functions in forms with fewer operations after the
// newest word b is known (same truth tables). MD5 is one long chain of
// dependent steps, so that chain is what sets the speed. G's two terms
// never share a set bit, so adding them equals OR-ing them, and the term
// without b can be added before b is ready.
#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))
#define MD5_STEP(f, a, b, c, d, w, k, s) \
  (a) += (w) + (k);                      \
  (a) += f((b), (c), (d));               \
  (a) = Rotl((a), (s)) + (b)
#define MD5_GSTEP(a, b, c, d, w, k, s) \
  (a) += (w) + (k) + ((c) & ~(d));     \
  (a) += (b) & (d);                    \
  (a) = Rotl((a), (s)) + (b)

// Runs the compression function over `blocks` consecutive 64-byte blocks.
void Transform(uint32_t state[4], const uint8_t* p, size_t blocks) {
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (; blocks > 0; --blocks, p += 64) {
    const uint32_t x0 = LoadLE32(p), x1 = LoadLE32(p + 4), x2 = LoadLE32(p + 8), x3 = LoadLE32(p + 12),
                   x4 = LoadLE32(p + 16), x5 = LoadLE32(p + 20), x6 = LoadLE32(p + 24), x7 = LoadLE32(p + 28),
                   x8 = LoadLE32(p + 32), x9 = LoadLE32(p + 36), x10 = LoadLE32(p + 40), x11 = LoadLE32(p + 44),
                   x12 = LoadLE32(p + 48), x13 = LoadLE32(p + 52), x14 = LoadLE32(p + 56), x15 = LoadLE32(p + 60);
    const uint32_t aa = a, bb = b, cc = c, dd = d;

    MD5_STEP(MD5_F, a, b, c, d, x0, 0xd76aa478, 7);
    MD5_STEP(MD5_F, d, a, b, c, x1, 0xe8c7b756, 12);
    MD5_STEP(MD5_F, c, d, a, b, x2, 0x242070db, 17);
    MD5_STEP(MD5_F, b, c, d, a, x3, 0xc1bdceee, 22);
    MD5_STEP(MD5_F, a, b, c, d, x4, 0xf57c0faf, 7);
    MD5_STEP(MD5_F, d, a, b, c, x5, 0x4787c62a, 12);
    MD5_STEP(MD5_F, c, d, a, b, x6, 0xa8304613, 17);
    MD5_STEP(MD5_F, b, c, d, a, x7, 0xfd469501, 22);
    MD5_STEP(MD5_F, a, b, c, d, x8, 0x698098d8, 7);
    MD5_STEP(MD5_F, d, a, b, c, x9, 0x8b44f7af, 12);
    MD5_STEP(MD5_F, c, d, a, b, x10, 0xffff5bb1, 17);
    MD5_STEP(MD5_F, b, c, d, a, x11, 0x895cd7be, 22);
    MD5_STEP(MD5_F, a, b, c, d, x12, 0x6b901122, 7);
    MD5_STEP(MD5_F, d, a, b, c, x13, 0xfd987193, 12);
    MD5_STEP(MD5_F, c, d, a, b, x14, 0xa679438e, 17);
    MD5_STEP(MD5_F, b, c, d, a, x15, 0x49b40821, 22);

    MD5_GSTEP(a, b, c, d, x1, 0xf61e2562, 5);
    MD5_GSTEP(d, a, b, c, x6, 0xc040b340, 9);
    MD5_GSTEP(c, d, a, b, x11, 0x265e5a51, 14);
    MD5_GSTEP(b, c, d, a, x0, 0xe9b6c7aa, 20);
    MD5_GSTEP(a, b, c, d, x5, 0xd62f105d, 5);
    MD5_GSTEP(d, a, b, c, x10, 0x02441453, 9);
    MD5_GSTEP(c, d, a, b, x15, 0xd8a1e681, 14);
    MD5_GSTEP(b, c, d, a, x4, 0xe7d3fbc8, 20);
    MD5_GSTEP(a, b, c, d, x9, 0x21e1cde6, 5);
    MD5_GSTEP(d, a, b, c, x14, 0xc33707d6, 9);
    MD5_GSTEP(c, d, a, b, x3, 0xf4d50d87, 14);
    MD5_GSTEP(b, c, d, a, x8, 0x455a14ed, 20);
    MD5_GSTEP(a, b, c, d, x13, 0xa9e3e905, 5);
    MD5_GSTEP(d, a, b, c, x2, 0xfcefa3f8, 9);
    MD5_GSTEP(c, d, a, b, x7, 0x676f02d9, 14);
    MD5_GSTEP(b, c, d, a, x12, 0x8d2a4c8a, 20);

    MD5_STEP(MD5_H, a, b, c, d, x5, 0xfffa3942, 4);
    MD5_STEP(MD5_H, d, a, b, c, x8, 0x8771f681, 11);
    MD5_STEP(MD5_H, c, d, a, b, x11, 0x6d9d6122, 16);
    MD5_STEP(MD5_H, b, c, d, a, x14, 0xfde5380c, 23);
    MD5_STEP(MD5_H, a, b, c, d, x1, 0xa4beea44, 4);
    MD5_STEP(MD5_H, d, a, b, c, x4, 0x4bdecfa9, 11);
    MD5_STEP(MD5_H, c, d, a, b, x7, 0xf6bb4b60, 16);
    MD5_STEP(MD5_H, b, c, d, a, x10, 0xbebfbc70, 23);
    MD5_STEP(MD5_H, a, b, c, d, x13, 0x289b7ec6, 4);
    MD5_STEP(MD5_H, d, a, b, c, x0, 0xeaa127fa, 11);
    MD5_STEP(MD5_H, c, d, a, b, x3, 0xd4ef3085, 16);
    MD5_STEP(MD5_H, b, c, d, a, x6, 0x04881d05, 23);
    MD5_STEP(MD5_H, a, b, c, d, x9, 0xd9d4d039, 4);
    MD5_STEP(MD5_H, d, a, b, c, x12, 0xe6db99e5, 11);
    MD5_STEP(MD5_H, c, d, a, b, x15, 0x1fa27cf8, 16);
    MD5_STEP(MD5_H, b, c, d, a, x2, 0xc4ac5665, 23);

    MD5_STEP(MD5_I, a, b, c, d, x0, 0xf4292244, 6);
    MD5_STEP(MD5_I, d, a, b, c, x7, 0x432aff97, 10);
    MD5_STEP(MD5_I, c, d, a, b, x14, 0xab9423a7, 15);
    MD5_STEP(MD5_I, b, c, d, a, x5, 0xfc93a039, 21);
    MD5_STEP(MD5_I, a, b, c, d, x12, 0x655b59c3, 6);
    MD5_STEP(MD5_I, d, a, b, c, x3, 0x8f0ccc92, 10);
    MD5_STEP(MD5_I, c, d, a, b, x10, 0xffeff47d, 15);
    MD5_STEP(MD5_I, b, c, d, a, x1, 0x85845dd1, 21);
    MD5_STEP(MD5_I, a, b, c, d, x8, 0x6fa87e4f, 6);
    MD5_STEP(MD5_I, d, a, b, c, x15, 0xfe2ce6e0, 10);
    MD5_STEP(MD5_I, c, d, a, b, x6, 0xa3014314, 15);
    MD5_STEP(MD5_I, b, c, d, a, x13, 0x4e0811a1, 21);
    MD5_STEP(MD5_I, a, b, c, d, x4, 0xf7537e82, 6);
    MD5_STEP(MD5_I, d, a, b, c, x11, 0xbd3af235, 10);
    MD5_STEP(MD5_I, c, d, a, b, x2, 0x2ad7d2bb, 15);
    MD5_STEP(MD5_I, b, c, d, a, x9, 0xeb86d391, 21);

    a += aa;
    b += bb;
    c += cc;
    d += dd;
  }
  state[0] = a;
  state[1] = b;
  state[2] = c;
  state[3] = d;
}

#undef MD5_STEP
#undef MD5_F
#undef MD5_GSTEP
#undef MD5_H
#undef MD5_I

// Formats the digest byte by byte, as "%02x" would.
void FormatDigest(char* out, const uint8_t digest[16]) {
  static const char kDigits[] = "0123456789abcdef";
  for (int i = 0; i < 16; ++i) {
    out[2 * i] = kDigits[digest[i] >> 4];
    out[2 * i + 1] = kDigits[digest[i] & 0x0F];
  }
  out[32] = '\0';
}

void SwapDigitPairs(char* text) {
  for (int i = 0; i < 32; i += 2) std::swap(text[i], text[i + 1]);
}

}  // namespace

void Md5Init(Md5Context& context) {
  context.state[0] = 0x67452301;
  context.state[1] = 0xefcdab89;
  context.state[2] = 0x98badcfe;
  context.state[3] = 0x10325476;
  context.count[0] = context.count[1] = 0;
  std::memset(context.buffer, 0, sizeof context.buffer);
}

void Md5Update(Md5Context& context, const void* data, size_t length) {
  const uint8_t* input = static_cast<const uint8_t*>(data);
  size_t used = (context.count[0] >> 3) & 0x3F;
  // The bit count is kept modulo 2^64 in two words.
  uint64_t bits = (uint64_t(context.count[1]) << 32 | context.count[0]) + (uint64_t(length) << 3);
  context.count[0] = uint32_t(bits);
  context.count[1] = uint32_t(bits >> 32);

  if (used > 0) {
    size_t room = 64 - used;
    if (length < room) {
      std::memcpy(context.buffer + used, input, length);
      return;
    }
    std::memcpy(context.buffer + used, input, room);
    Transform(context.state, context.buffer, 1);
    input += room;
    length -= room;
  }
  // Whole blocks are digested straight from the caller's memory.
  Transform(context.state, input, length / 64);
  input += length & ~size_t(63);
  std::memcpy(context.buffer, input, length & 63);
}

void Md5Final(uint8_t digest[16], Md5Context& context) {
  static const uint8_t kPadding[64] = {0x80};
  uint8_t bits[8];
  StoreLE32(bits, context.count[0]);
  StoreLE32(bits + 4, context.count[1]);
  size_t used = (context.count[0] >> 3) & 0x3F;
  size_t padLength = used < 56 ? 56 - used : 120 - used;
  Md5Update(context, kPadding, padLength);
  Md5Update(context, bits, 8);
  for (int i = 0; i < 4; ++i) StoreLE32(digest + 4 * i, context.state[i]);
  std::memset(&context, 0, sizeof context);
}

void Md5HexOfBytes(char* out, const void* data, size_t length) {
  if (!out) return;
  Md5Context context;
  Md5Init(context);
  Md5Update(context, data, length);
  uint8_t digest[16];
  Md5Final(digest, context);
  FormatDigest(out, digest);
}

void Md5HexOfFile(char* out, const char* path) {
  if (!out) return;
  UniqueCFile file(path ? std::fopen(path, "rb") : nullptr);
  if (!file) {
    out[0] = '\0';
    return;
  }
  // The stream's own buffer is large so that the 1024-byte reads cost a copy
  // each rather than a system call each.
  std::setvbuf(file.get(), nullptr, _IOFBF, 1 << 16);
  Md5Context context;
  Md5Init(context);
  uint8_t block[1024];
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) Md5Update(context, block, got);
  // A read that fails ends the loop like the end of the file: the digest of
  // what came before it would pass for the file's.
  bool failed = std::ferror(file.get()) != 0;
  file.reset();
  if (failed) {
    out[0] = '\0';
    return;
  }
  uint8_t digest[16];
  Md5Final(digest, context);
  FormatDigest(out, digest);
}

void Md5HexSwapped(char* out, const void* data, size_t length) {
  if (!out) return;
  Md5HexOfBytes(out, data, length);
  SwapDigitPairs(out);
}

std::string Md5Hex(std::string_view bytes) {
  char text[kDigestTextSize];
  Md5HexOfBytes(text, bytes.data(), bytes.size());
  return std::string(text, 32);
}

std::string Md5HexSwapped(std::string_view bytes) {
  char text[kDigestTextSize];
  Md5HexSwapped(text, bytes.data(), bytes.size());
  return std::string(text, 32);
}

}  // namespace larch
