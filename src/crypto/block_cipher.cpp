#include "crypto/block_cipher.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <vector>

namespace larch {
namespace {

// Below this many bytes the plain byte loop beats building a longer cycle.
constexpr size_t kShortBuffer = 512;
// A key shorter than this is repeated into a cycle at least this long, so
// the inner loop runs over long contiguous stretches.
constexpr size_t kCycleTarget = 4096;
// Longest combined cycle DoubleCyclicXorCopy builds.
constexpr size_t kCombinedCycleLimit = size_t(1) << 20;

void XorBytes(char* out, const char* in, const char* key, size_t n) {
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<char>(in[i] ^ key[i]);
}

#if defined(__GNUC__)
typedef uint8_t Vector16 __attribute__((vector_size(16)));
#else
typedef uint64_t Vector16;
#endif

// out[i] = in[i] ^ key[i] for i < n, a vector at a time; out may be in.
void XorStretch(char* out, const char* in, const char* key, size_t n) {
  size_t i = 0;
  for (; i + sizeof(Vector16) <= n; i += sizeof(Vector16)) {
    Vector16 a, b;
    std::memcpy(&a, in + i, sizeof a);
    std::memcpy(&b, key + i, sizeof b);
    a ^= b;
    std::memcpy(out + i, &a, sizeof a);
  }
  XorBytes(out + i, in + i, key + i, n - i);
}

// The key repeated whole until the cycle is at least kCycleTarget long.
std::vector<char> RepeatedCycle(const char* key, size_t k) {
  size_t copies = k >= kCycleTarget ? 1 : (kCycleTarget + k - 1) / k;
  std::vector<char> cycle(k * copies);
  for (size_t c = 0; c < copies; ++c) std::memcpy(cycle.data() + c * k, key, k);
  return cycle;
}

inline uint8_t Rotl8(uint8_t v, int r) { return static_cast<uint8_t>((v << r) | (v >> (8 - r))); }

}  // namespace

void CyclicXorCopy(char* out, const char* in, size_t n, const char* key, size_t k) {
  if (n == 0 || k == 0) return;
  if (n <= kShortBuffer) {
    for (size_t i = 0, j = 0; i < n; ++i) {
      out[i] = static_cast<char>(in[i] ^ key[j]);
      if (++j == k) j = 0;
    }
    return;
  }
  // Any whole number of key repetitions keeps the stretches in phase.
  std::vector<char> cycle = RepeatedCycle(key, k);
  for (size_t at = 0; at < n; at += cycle.size()) {
    XorStretch(out + at, in + at, cycle.data(), std::min(cycle.size(), n - at));
  }
}

void CyclicXor(char* data, size_t n, const char* key, size_t k) { CyclicXorCopy(data, data, n, key, k); }

void DoubleCyclicXorCopy(char* out, const char* in, size_t n, const char* first, size_t f, const char* second,
                         size_t s) {
  if (n == 0 || f == 0 || s == 0) return;
  size_t period = f / std::gcd(f, s) * s;
  if (period > n || period > kCombinedCycleLimit) {
    CyclicXorCopy(out, in, n, first, f);
    CyclicXor(out, n, second, s);
    return;
  }
  std::vector<char> combined(period, 0);
  CyclicXor(combined.data(), period, first, f);
  CyclicXor(combined.data(), period, second, s);
  CyclicXorCopy(out, in, n, combined.data(), period);
}

void ParityRotate(char* bytes, size_t n, RotateDirection direction) {
  uint8_t* p = reinterpret_cast<uint8_t*>(bytes);
  if (direction == RotateDirection::Forward) {
    for (size_t i = 1; i < n; i += 2) p[i] = Rotl8(p[i], 7) ^ 0x0F;
    for (size_t i = 0; i < n; i += 2) p[i] = Rotl8(p[i], 1) ^ 0x0F;
  } else {
    for (size_t i = 1; i < n; i += 2) p[i] = Rotl8(p[i] ^ 0x0F, 1);
    for (size_t i = 0; i < n; i += 2) p[i] = Rotl8(p[i] ^ 0x0F, 7);
  }
}

void BlockEncipher(char* data, size_t n, char* key, size_t k) {
  ParityRotate(data, n, RotateDirection::Forward);
  ParityRotate(key, k, RotateDirection::Forward);
  CyclicXor(data, n, key, k);
}

void BlockDecipher(char* data, size_t n, char* key, size_t k) {
  ParityRotate(key, k, RotateDirection::Forward);
  CyclicXor(data, n, key, k);
  ParityRotate(data, n, RotateDirection::Backward);
}

}  // namespace larch
