#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "crypto/additive_xor.h"
#include "crypto/base64_codec.h"
#include "crypto/text_cipher_one.h"
#include "random_bytes.h"

namespace larch {
namespace {

// The base64 text that coreutils makes of the same bytes.
std::string CoreutilsBase64(const std::string& bytes) {
  std::string path = testing::TempDir() + "larch_b64_input";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  std::FILE* pipe = popen(("base64 -w0 '" + path + "'").c_str(), "r");
  std::string out;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  pclose(pipe);
  std::remove(path.c_str());
  return out;
}

// Cipher one is the shuffled base64 text plus the marker; undoing the
// shuffle shows the codec's own output.
std::string Base64InsideCipher(const std::string& cipher) {
  std::string text = cipher;
  TextShuffle(text.data(), text.size());
  return text.substr(0, text.size() - 4);
}

TEST(TextCipherOne, WorkedValues) {
  EXPECT_EQ(EncipherTxt1("abc"), "WYdcbajJ");
  EXPECT_EQ(DecipherTxt1("WYdcbajJ"), "abc");
  EXPECT_EQ(EncipherTxt1("a"), "QYdcba==");
  EXPECT_EQ(DecipherTxt1("QYdcba=="), "a");
}

TEST(TextCipherOne, Base64AgreesWithCoreutils) {
  std::mt19937 rng(7);
  for (size_t n : {1u, 2u, 3u, 4u, 5u, 57u, 58u, 59u, 1000u, 5000u}) {
    std::string bytes = RandomBytes(n, rng);
    EXPECT_EQ(Base64InsideCipher(EncipherTxt1(bytes)), CoreutilsBase64(bytes)) << n << " bytes";
  }
}

TEST(TextCipherOne, RoundTripsTextsWithoutNul) {
  std::mt19937 rng(11);
  for (size_t n = 1; n < 300; n += 7) {
    SCOPED_TRACE(n);
    std::string plain = RandomBytes(n, rng);
    for (char& c : plain) c = c ? c : 'z';
    std::string cipher = EncipherTxt1(plain);
    EXPECT_EQ(cipher.size(), 4 * ((n + 2) / 3) + 4);
    EXPECT_EQ(cipher.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
              std::string::npos);
    EXPECT_EQ(DecipherTxt1(cipher), plain) << n << " bytes";
  }
}

TEST(TextCipherOne, NulBytesAreEncipheredButDecipheringStopsAtTheFirst) {
  std::string plain("ab\0cd", 5);
  std::string cipher = EncipherTxt1(plain);
  EXPECT_EQ(cipher.size(), 12u);
  EXPECT_EQ(DecipherTxt1(cipher), "ab");
}

TEST(TextCipherOne, TrailingLineBreakIsIgnored) {
  std::string cipher = EncipherTxt1("hello, world");
  EXPECT_EQ(DecipherTxt1(cipher + "\r\n"), "hello, world");
  EXPECT_EQ(DecipherTxt1(cipher + "\n"), "hello, world");
}

TEST(TextCipherOne, ShortCipherTexts) {
  EXPECT_EQ(DecipherTxt1(""), "");
  EXPECT_EQ(DecipherTxt1("W"), "");
  EXPECT_EQ(DecipherTxt1("WY"), "");
  EXPECT_EQ(DecipherTxt1("WYd"), "");
  EXPECT_EQ(DecipherTxt1("abcd"), "");
}

TEST(TextCipherOne, MalformedTextDecodesWithoutComplaint) {
  // Characters outside the alphabet enter the formulas as 0xFE: a whole
  // group of them gives FB EF BE, a short group of two gives FB E0 (00).
  EXPECT_EQ(DecipherTxt1("!!dcba~~~~"), "\xFB\xEF\xBE\xFB\xE0");
}

TEST(TextShuffle, MovesTheFirstTwoAndReversesTheRest) {
  std::string text = "012345";
  TextShuffle(text.data(), text.size());
  EXPECT_EQ(text, "105432");
  TextShuffle(text.data(), text.size());
  EXPECT_EQ(text, "012345");
  std::string one = "x";
  TextShuffle(one.data(), 1);
  EXPECT_EQ(one, "x");
}

TEST(Base64Codec, DecodeTreatsHighBitCharactersLikeTheirLowTwins) {
  Base64Codec plain, high;
  plain.decode("YWJj");
  high.decode("\xD9\xD7\xCA\xEA");  // "YWJj" with bit 7 set
  EXPECT_STREQ(reinterpret_cast<const char*>(high.plain()), "abc");
  EXPECT_EQ(high.plainLength(), plain.plainLength());
}

TEST(Base64Codec, DecodeSkipsIgnorableCharactersAndKeepsPaddedLength) {
  Base64Codec codec;
  codec.decode("Y W\tJ\r\nj");
  EXPECT_STREQ(reinterpret_cast<const char*>(codec.plain()), "abc");
  codec.decode("YQ==");
  EXPECT_EQ(codec.plainLength(), 3u);  // a whole group counts three bytes
  EXPECT_STREQ(reinterpret_cast<const char*>(codec.plain()), "a");
  codec.decode("YWI");  // a short last group counts its characters
  EXPECT_EQ(codec.plainLength(), 3u);
  EXPECT_STREQ(reinterpret_cast<const char*>(codec.plain()), "ab");
}

TEST(AdditiveXor, RaisesEachKeyCharacterBy53) {
  std::string data = "AAAA";
  AdditiveXor(data.data(), data.size(), "\x01");
  EXPECT_EQ(data, std::string(4, static_cast<char>('A' ^ 54)));

  std::string twice = "secret text";
  AdditiveXor(twice.data(), twice.size(), "key");
  EXPECT_NE(twice, "secret text");
  AdditiveXor(twice.data(), twice.size(), "key");
  EXPECT_EQ(twice, "secret text");
}

TEST(AdditiveXor, KeyCharacter203LeavesBytesUnchanged) {
  std::string data("data\0", 5);
  AdditiveXor(data.data(), data.size(), "\xCB");
  EXPECT_EQ(data, std::string("data\0", 5));
}

TEST(AdditiveXor, EmptyOrMissingKeyLeavesData) {
  std::string data = "data";
  AdditiveXor(data.data(), data.size(), "");
  AdditiveXor(data.data(), data.size(), nullptr);
  AdditiveXor(data.data(), 0, "key");
  EXPECT_EQ(data, "data");
}

TEST(AdditiveXor, DefaultKeyIs41PrintableCharacters) {
  std::string key = kDefaultTxt2Key;
  EXPECT_EQ(key.size(), 41u);
  for (char c : key) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << int(c);
}

}  // namespace
}  // namespace larch
