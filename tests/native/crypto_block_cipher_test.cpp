#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "crypto/block_cipher.h"
#include "crypto/block_key.h"
#include "crypto/command_lines.h"
#include "random_bytes.h"

namespace larch {
namespace {

std::string NaiveCyclicXor(std::string data, const std::string& key) {
  for (size_t i = 0; i < data.size(); ++i) data[i] ^= key[i % key.size()];
  return data;
}

uint8_t Rotl(uint8_t v, int r) { return static_cast<uint8_t>((v << r) | (v >> (8 - r))); }

// The transform as a sequence of single steps: rotate, swap nibbles,
// rotate, flip (and the reverse sequence backward).
std::string StepwiseParityRotate(std::string s, bool forward) {
  for (size_t i = 0; i < s.size(); ++i) {
    uint8_t v = static_cast<uint8_t>(s[i]);
    bool odd = i % 2 == 1;
    if (forward) {
      v = odd ? Rotl(Rotl(Rotl(v, 5), 4), 6) ^ 0x0F : Rotl(Rotl(Rotl(v, 3), 4), 2) ^ 0x0F;
    } else {
      v = odd ? Rotl(Rotl(Rotl(v ^ 0x0F, 2), 4), 3) : Rotl(Rotl(Rotl(v ^ 0x0F, 6), 4), 5);
    }
    s[i] = static_cast<char>(v);
  }
  return s;
}

TEST(CyclicXor, MatchesTheByteLoopOnEveryPath) {
  for (size_t n : {0u, 1u, 31u, 512u, 513u, 4096u, 10000u, 300001u}) {
    for (size_t k : {1u, 3u, 32u, 4095u, 4097u, 6886u}) {
      std::string data = RandomBytes(n, static_cast<unsigned>(n));
      std::string key = RandomBytes(k, static_cast<unsigned>(k + 1));
      std::string expected = NaiveCyclicXor(data, key);
      CyclicXor(data.data(), n, key.data(), k);
      EXPECT_EQ(data, expected) << "n=" << n << " k=" << k;
    }
  }
}

TEST(CyclicXor, DoubleCycleMatchesTwoPasses) {
  std::string a = RandomBytes(32, 1), b = RandomBytes(6886, 2), c = RandomBytes(7, 3);
  for (size_t n : {0u, 100u, 110175u, 110176u, 250000u}) {
    std::string in = RandomBytes(n, 4);
    std::string out(n, '\0');
    DoubleCyclicXorCopy(out.data(), in.data(), n, a.data(), a.size(), b.data(), b.size());
    EXPECT_EQ(out, NaiveCyclicXor(NaiveCyclicXor(in, a), b)) << n;
    DoubleCyclicXorCopy(out.data(), in.data(), n, b.data(), b.size(), c.data(), c.size());
    EXPECT_EQ(out, NaiveCyclicXor(NaiveCyclicXor(in, b), c)) << n;
  }
}

TEST(ParityRotate, EqualsTheStepSequenceAndUndoesItself) {
  std::string all(256, '\0');
  for (int i = 0; i < 256; ++i) all[i] = static_cast<char>(i);
  all += all.substr(1);  // every byte at both parities

  std::string forward = all;
  ParityRotate(forward.data(), forward.size(), RotateDirection::Forward);
  EXPECT_EQ(forward, StepwiseParityRotate(all, true));
  std::string back = forward;
  ParityRotate(back.data(), back.size(), RotateDirection::Backward);
  EXPECT_EQ(back, StepwiseParityRotate(forward, false));
  EXPECT_EQ(back, all);
}

TEST(ParityRotate, ShortRanges) {
  std::string one = "\x81";
  ParityRotate(one.data(), 1, RotateDirection::Forward);
  EXPECT_EQ(static_cast<uint8_t>(one[0]), Rotl(0x81, 1) ^ 0x0F);  // even transform only
  std::string none = "ab";
  ParityRotate(none.data(), 0, RotateDirection::Forward);
  EXPECT_EQ(none, "ab");
}

TEST(BlockCipher, DecipherWithAFreshKeyUndoesEncipher) {
  for (size_t n : {0u, 1u, 2u, 125u, 1000u, 70000u}) {
    for (size_t k : {1u, 32u, 125u}) {
      SCOPED_TRACE(::testing::Message() << "n=" << n << " k=" << k);
      std::string plain = RandomBytes(n, static_cast<unsigned>(n + 9));
      std::string key = RandomBytes(k, static_cast<unsigned>(k));
      std::string data = plain, key1 = key, key2 = key;
      BlockEncipher(data.data(), n, key1.data(), k);
      EXPECT_NE(key1, key);  // the key buffer itself is turned
      BlockDecipher(data.data(), n, key2.data(), k);
      EXPECT_EQ(data, plain) << "n=" << n << " k=" << k;
    }
  }
}

TEST(BlockKey, FixedValuesHaveTheirStatedForm) {
  std::string alphabet = kKeyAlphabet;
  EXPECT_EQ(alphabet.size(), 65u);
  EXPECT_EQ(std::set<char>(alphabet.begin(), alphabet.end()).size(), 65u);
  for (char c : alphabet) EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(c)) || std::ispunct(c)) << c;

  char seed[kBlockKeyLength];
  FillKeySeed(seed);
  int high = 0;
  for (char c : seed) high += static_cast<uint8_t>(c) >= 0x80;
  EXPECT_GT(high, 0);
  EXPECT_EQ(static_cast<uint8_t>(seed[0]), 0x5A);
  EXPECT_EQ(static_cast<uint8_t>(seed[1]), static_cast<uint8_t>(0x5A * 109 + 89));
}

TEST(BlockKey, AlphabetPassReadsBytesAsSigned) {
  // One byte: step one picks A[(2^32 - 1) mod 65] = A[60]; step three picks
  // by that character's code.
  char key[2] = {'\xFF', '\0'};
  KeyAlphabetPass(key, 1);
  EXPECT_EQ(key[0], kKeyAlphabet[static_cast<uint8_t>(kKeyAlphabet[60]) % 65]);
}

// The pass written out with 64-bit arithmetic, adding 2^32 to a negative
// sum or difference before taking it modulo 65.
std::string ReferenceAlphabetPass(const std::string& key, int* negativeDifferences) {
  const int64_t kWrap = int64_t(1) << 32;
  size_t n = key.size();
  std::string r(n, '\0');
  for (size_t i = 0; i < n; ++i) {
    int64_t sum = int64_t(static_cast<int8_t>(key[i])) + int64_t(i);
    r[i] = kKeyAlphabet[(sum < 0 ? sum + kWrap : sum) % 65];
  }
  std::string q(r.rbegin(), r.rend());
  for (size_t i = 0; i < n; ++i) {
    int64_t difference = int64_t(static_cast<int8_t>(q[i])) - int64_t(i);
    *negativeDifferences += difference < 0;
    q[i] = kKeyAlphabet[(difference < 0 ? difference + kWrap : difference) % 65];
  }
  return q;
}

TEST(BlockKey, AlphabetPassWrapsNegativeValuesAsUnsigned32Bit) {
  for (unsigned seed = 0; seed < 8; ++seed) {
    SCOPED_TRACE(seed);
    std::string key = RandomBytes(kBlockKeyLength, seed);
    int negatives = 0;
    std::string expected = ReferenceAlphabetPass(key, &negatives);
    EXPECT_GT(negatives, 0);  // the case where unsigned and true modulo differ
    KeyAlphabetPass(key.data(), key.size());
    EXPECT_EQ(key, expected) << seed;
  }
}

TEST(BlockKey, EveryKeyByteIsAnAlphabetCharacter) {
  for (auto digest : {std::optional<std::string_view>(), std::optional<std::string_view>(""),
                      std::optional<std::string_view>("900150983cd24fb0d6963f7d28e17f72")}) {
    SCOPED_TRACE(digest ? "digest \"" + std::string(*digest) + "\"" : std::string("no digest"));
    BlockKey key = BuildBlockKey(digest);
    EXPECT_EQ(std::strlen(key.bytes), kBlockKeyLength);
    for (char c : std::string(key.bytes)) {
      EXPECT_NE(std::strchr(kKeyAlphabet, c), nullptr) << "byte " << static_cast<int>(static_cast<unsigned char>(c));
    }
  }
}

TEST(BlockKey, DigestSourcesGiveDistinctButRepeatableKeys) {
  auto keyOf = [](std::optional<std::string_view> d) { return std::string(BuildBlockKey(d).bytes); };
  EXPECT_EQ(keyOf(""), keyOf(""));  // an unreadable key file: still one fixed key
  EXPECT_NE(keyOf(""), keyOf(std::nullopt));
  EXPECT_NE(keyOf("900150983cd24fb0d6963f7d28e17f72"), keyOf("900150983cd24fb0d6963f7d28e17f73"));
}

TEST(BlockKey, MixReversesDigestMiddleAndKeyTail) {
  char key[kBlockKeyLength] = {};
  char digest[36] = "0123456789abcdefghijklmnopqrstuv";
  MixFileDigest(key, kBlockKeyLength, digest);
  EXPECT_EQ(std::string(digest, 32), "01234567vutsrqponmlkjihgfedcba98");
  EXPECT_EQ(std::string(key, 5), "01234");   // first five stay
  EXPECT_EQ(key[kBlockKeyLength - 1], '5');  // the rest is reversed
}

TEST(Batch, EncipherThenDecipherGivesThePlainText) {
  std::string plain = "x = 1\r\n\r\n? x\r\n";
  const std::string digest = "0cc175b9c0f1b6a831c399e269772661";
  for (auto d : {std::optional<std::string_view>(), std::optional<std::string_view>(digest)}) {
    SCOPED_TRACE(d ? "with the key file's digest" : "without a key file");
    std::string cipher = EncipherBatch(plain, d);
    EXPECT_EQ(cipher.size(), plain.size());
    EXPECT_NE(cipher, plain);
    EXPECT_EQ(DecipherBatch(cipher, d), plain);
  }
  EXPECT_NE(DecipherBatch(EncipherBatch(plain, digest), std::nullopt), plain);
}

TEST(Batch, SplitsLinesAtCrAndLf) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(SplitCommandLines("a\r\n\r\nb"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitCommandLines("a\nb\rc\r\n"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(SplitCommandLines("\r\n\n  \r\n"), (Lines{"  "}));
  EXPECT_EQ(SplitCommandLines(std::string_view("one\ntwo\0three", 13)), (Lines{"one", "two"}));
  EXPECT_EQ(SplitCommandLines(""), Lines{});
}

}  // namespace
}  // namespace larch
