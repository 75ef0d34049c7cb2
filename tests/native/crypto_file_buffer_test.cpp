#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "crypto/file_buffer_cipher.h"
#include "random_bytes.h"

namespace larch {
namespace {

std::string StoredKeyPath() { return std::string(LARCH_SOURCE_DIR) + "/src/crypto/resource_key.bin"; }

// The key block as the library holds it after loading the resource.
std::string LoadedResourceKey() {
  std::ifstream in(StoredKeyPath(), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  FlipStoredKeyBlock(bytes.data(), bytes.size());
  return bytes;
}

class FileBufferCipher : public testing::Test {
 protected:
  std::string Encipher(const std::string& in, const char* key) {
    std::string out(in.size() + kTrailerSize, '\0');
    EncipherFileBuffer(out.data(), in.data(), in.size(), key, Key());
    return out;
  }
  // "<failed>" when the buffer does not open.
  std::string Decipher(const std::string& in, const char* key) {
    if (in.size() <= kTrailerSize) return "<failed>";
    std::string out(in.size() - kTrailerSize, '\0');
    return DecipherFileBuffer(out.data(), in.data(), in.size(), key, Key()) ? out : "<failed>";
  }
  KeyBlock Key() const { return {resourceKey_.data(), resourceKey_.size()}; }

  std::string resourceKey_ = LoadedResourceKey();
};

TEST(ResourceKeyFile, IsTheGeneratorsOutput) {
  EXPECT_EQ(LoadedResourceKey().size(), 6886u);
  std::string command = "python3 '" LARCH_SOURCE_DIR "/tools/crypto-keygen/make_resource_key.py' --check '" +
                        StoredKeyPath() + "' >/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST_F(FileBufferCipher, RoundTripsAnyLength) {
  for (size_t n : {1u, 83u, 84u, 85u, 6886u, 6887u, 110176u, 300000u}) {
    SCOPED_TRACE(n);
    std::string plain = RandomBytes(n, static_cast<unsigned>(n));
    std::string cipher = Encipher(plain, "key text");
    EXPECT_EQ(cipher.size(), n + 84);
    EXPECT_NE(cipher.substr(0, n), plain);
    EXPECT_EQ(Decipher(cipher, "key text"), plain) << n;
  }
}

TEST_F(FileBufferCipher, DeterministicAndKeyed) {
  std::string plain("binary\0data\0", 12);
  EXPECT_EQ(Encipher(plain, "k1"), Encipher(plain, "k1"));
  std::string a = Encipher(plain, "k1"), b = Encipher(plain, "k2");
  EXPECT_NE(a.substr(12), b.substr(12));  // another trailer
  EXPECT_EQ(Decipher(a, "k2"), "<failed>");
  EXPECT_EQ(Decipher(a, "k1"), plain);
}

TEST_F(FileBufferCipher, RefusesChangedLengthOrTrailer) {
  std::string cipher = Encipher(RandomBytes(500, 3), "secret");
  EXPECT_EQ(Decipher(cipher.substr(0, cipher.size() - 1), "secret"), "<failed>");
  EXPECT_EQ(Decipher(cipher.substr(1), "secret"), "<failed>");
  EXPECT_EQ(Decipher(cipher + "x", "secret"), "<failed>");
  for (size_t at : {size_t(500), size_t(540), cipher.size() - 1}) {
    std::string altered = cipher;
    altered[at] ^= 1;
    EXPECT_EQ(Decipher(altered, "secret"), "<failed>") << at;
  }
  EXPECT_EQ(Decipher(cipher.substr(0, 84), "secret"), "<failed>");
}

TEST_F(FileBufferCipher, PayloadCarriesNoCheck) {
  std::string plain = "abcdef";
  std::string cipher = Encipher(plain, "secret");
  cipher[2] ^= 0x20;
  EXPECT_EQ(Decipher(cipher, "secret"), "abCdef");
}

TEST_F(FileBufferCipher, KeyWhoseTurnMakesANulStillWorks) {
  // 0x1E at an odd position and 0x87 at an even one become 0 when the key
  // text is turned, which shortens the text the payload key digests.
  for (const char* key : {"a\x1E", "\x87", "ab\x87z"}) {
    SCOPED_TRACE(::testing::PrintToString(std::string(key)));
    std::string plain = RandomBytes(100, 5);
    EXPECT_EQ(Decipher(Encipher(plain, key), key), plain);
  }
  // clang-format off
  EXPECT_NE(Encipher("data", "a\x1E" "b"), Encipher("data", "a\x1E" "c"));
  // clang-format on
}

TEST_F(FileBufferCipher, OneByteKeyBlockIsEnough) {
  std::string tiny = "\x5A";
  std::string plain = RandomBytes(1000, 8), cipher(1084, '\0'), back(1000, '\0');
  EncipherFileBuffer(cipher.data(), plain.data(), plain.size(), "k", {tiny.data(), 1});
  ASSERT_TRUE(DecipherFileBuffer(back.data(), cipher.data(), cipher.size(), "k", {tiny.data(), 1}));
  EXPECT_EQ(back, plain);
}

TEST(FileBufferTrailer, FieldsBeforeSealing) {
  Trailer t = TrailerFields(1, kBufferTag, 0x01020304, "abc");
  EXPECT_EQ(std::string(&t[0], 8), std::string("\1\0\0\0\1\0\0\0", 8));
  EXPECT_EQ(std::string(&t[44], 4), "\x04\x03\x02\x01");
  EXPECT_EQ(std::string(&t[48], 32), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(std::string(&t[40], 4), std::string(4, '\0'));
  EXPECT_EQ(std::string(&t[80], 4), std::string(4, '\0'));
  EXPECT_EQ(std::string(kBufferTag).size(), 27u);
}

}  // namespace
}  // namespace larch
