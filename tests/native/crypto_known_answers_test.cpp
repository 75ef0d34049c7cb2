// Known answers for the portable cipher code: fixed inputs and the exact
// bytes they must give. The expected bytes do not come from the code under
// test: tests/reference/ciphers.py is a separate implementation of every
// algorithm here, written from the algorithms' descriptions, and it printed
// each table between its BEGIN and END lines. To check that the tables are
// still what it gives (or to print them again after changing a row):
//   python3 tests/reference/ciphers.py --check     (or --write, or no option)
// The host-function forms (key files, the executable's digest, the key
// resource) have their own tables in tests/wine/crypto_known_answers_test.cpp.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/additive_xor.h"
#include "crypto/block_cipher.h"
#include "crypto/block_key.h"
#include "crypto/file_buffer_cipher.h"
#include "crypto/md5.h"
#include "crypto/string_source.h"
#include "crypto/text_cipher_one.h"

namespace larch {
namespace {

using namespace std::literals;

std::string Bytes(std::string_view s) { return std::string(s); }

// n bytes start, start + 1, ... (mod 256), as the reference builds them.
std::string Counting(size_t n, unsigned start) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((start + i) % 256);
  return s;
}

struct Txt1EncipherCase {
  const char* name;
  std::string_view plain, cipher, deciphered;
};
// clang-format off
const Txt1EncipherCase kTxt1Encipher[] = {
// BEGIN reference table txt1_encipher
    {"one byte", "a"sv, "QYdcba=="sv, "a"sv},
    {"two bytes", "ab"sv, "WYdcba=I"sv, "ab"sv},
    {"one whole group", "abc"sv, "WYdcbajJ"sv, "abc"sv},
    {"one past a group", "abcd"sv, "WYdcba==AZjJ"sv, "abcd"sv},
    {"0x00 and 0xFF", "\xff\x00\xff\x00"sv, "w/dcba==AA/D"sv, "\xff"sv},
    {"top-bit bytes", "\x80\xfe\xff"sv, "Pgdcba/7"sv, "\x80\xfe\xff"sv},
    {"Chinese", "\xd6\xd0\xce\xc4 text"sv, "t1dcba0hXZ0BCxOD"sv, "\xd6\xd0\xce\xc4 text"sv},
// END reference table txt1_encipher
};
// clang-format on

TEST(CryptoKnownAnswers, Txt1Encipher) {
  for (const auto& c : kTxt1Encipher) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EncipherTxt1(c.plain), c.cipher);
    // Deciphering stops at the first byte of value 0.
    EXPECT_EQ(DecipherTxt1(c.cipher), c.deciphered);
  }
}

struct Txt1DecipherCase {
  const char* name;
  std::string_view cipher, plain;
};
// clang-format off
const Txt1DecipherCase kTxt1Decipher[] = {
// BEGIN reference table txt1_decipher
    {"one character", "W"sv, ""sv},
    {"three characters", "WYd"sv, ""sv},
    {"the marker alone", "dcba"sv, ""sv},
    {"CR LF appended", "WYdcbajJ\r\n"sv, "abc"sv},
    {"blanks and a line break after the sixth character", "GSdcbaoNmc\r\nhxGIs8GbsV  "sv, "Hello, larch"sv},
    {"a blank in front", " GSdcbaoNmchxGIs8GbsV"sv, "\x19[\x1b\x1b\xcb\x08\x1b\x18\\\x98\xda\x1a"sv},
    {"characters with the top bit set", "\xd7\xd9" "dcba\xea\xca"sv, "abc"sv},
    {"characters outside the alphabet", "!~dcba*&"sv, "\xfb\xef\xbe"sv},
    {"padding in the first two places", "==dcbaAB"sv, "\xff\xf0@"sv},
    {"three characters after the marker", "QYdcba="sv, "a"sv},
// END reference table txt1_decipher
};
// clang-format on

// Short, wrapped, padded and malformed cipher texts: nothing is rejected,
// every character decodes through the formulas.
TEST(CryptoKnownAnswers, Txt1Decipher) {
  for (const auto& c : kTxt1Decipher) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecipherTxt1(c.cipher), c.plain);
  }
}

struct AdditiveXorCase {
  const char* name;
  std::string_view data, key, expected;
};
// clang-format off
const AdditiveXorCase kAdditiveXor[] = {
// BEGIN reference table additive_xor
    {"one-character key", "abc"sv, "k"sv, "\xc1\xc2\xc3"sv},
    {"key character 0xCB turns to 0", "\x00\xff z"sv, "\xcb"sv, "\x00\xff z"sv},
    {"key shorter than the data wraps", "0123456789"sv, "abc"sv, "\xa6\xa6\xaa\xa5\xa3\xad\xa0\xa0\xa0\xaf"sv},
    {"key longer than the data", "xy"sv, "Larch/TextCipher2:default-key#0413$bW7qZk"sv, "\xf9\xef"sv},
    {"default key on 45 bytes wraps",
     " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKL"sv,
     "Larch/TextCipher2:default-key#0413$bW7qZk"sv,
     "\xa1\xb7\x85\xbb\xb9" "A\xaf\xbd\x85\x80R\xb5\x89\xb0\xb4\x88W^\xab\xa9\xaf\xa3\x9c\x96\x91[\x9a\xa1"
      "\x92" "e[V&)\x1b\xd4\xc8)\xe0\xc8\xe8\xc8\xdc\xec\xd4"sv},
    {"a NUL ends the key", "plain text"sv, "ab\x00" "cd"sv, "\xe6\xfb\xf7\xfe\xf8\xb7\xe2\xf2\xee\xe3"sv},
    {"Chinese key and text",
     "\xbc\xd3\xc3\xdc\xb5\xc4\xce\xc4\xb1\xbe"sv,
     "\xc3\xdc\xd4\xbf"sv,
     "D\xc2\xca(M\xd5\xc7" "0I\xaf"sv},
    {"0x00 and 0xFF in data and key", "\x00\xff\x00\x80\x7f\xff\x01\xfe"sv, "\xff\x01\x80"sv, "4\xc9\xb5\xb4IJ5\xc8"sv},
    {"empty key", "abc"sv, ""sv, "abc"sv},
// END reference table additive_xor
};
// clang-format on

TEST(CryptoKnownAnswers, AdditiveXor) {
  for (const auto& c : kAdditiveXor) {
    SCOPED_TRACE(c.name);
    std::string data = Bytes(c.data), key = Bytes(c.key);
    AdditiveXor(data.data(), data.size(), key.c_str());
    EXPECT_EQ(data, c.expected);
  }
}

struct ParityRotateCase {
  const char* name;
  std::string_view in, forward;
};
// clang-format off
const ParityRotateCase kParityRotate[] = {
// BEGIN reference table parity_rotate
    {"one byte: the even transform only", "\x01"sv, "\r"sv},
    {"every single bit, 0x00 and 0xFF", "\x00\xff\x01\x02\x04\x08\x10 @\x80"sv, "\x0f\xf0\r\x0e\x07\x0b/\x1f\x8fO"sv},
// END reference table parity_rotate
};
// clang-format on

TEST(CryptoKnownAnswers, ParityRotate) {
  for (const auto& c : kParityRotate) {
    SCOPED_TRACE(c.name);
    std::string s = Bytes(c.in);
    ParityRotate(s.data(), s.size(), RotateDirection::Forward);
    EXPECT_EQ(s, c.forward);
    ParityRotate(s.data(), s.size(), RotateDirection::Backward);
    EXPECT_EQ(s, c.in);
  }
}

struct BlockCipherCase {
  const char* name;
  std::string_view data, key, cipher, turnedKey;
};
// clang-format off
const BlockCipherCase kBlockEncipher[] = {
// BEGIN reference table block_encipher
    {"empty data", ""sv, "k"sv, ""sv, "\xd9"sv},
    {"one byte, one-byte key", "\x00"sv, "\xff"sv, "\xff"sv, "\xf0"sv},
    {"key longer than the data", "abc"sv, "\x00\xffkey"sv, "\xc2\xce\x10"sv, "\x0f\xf0\xd9\xbd\xfd"sv},
    {"data one past the key", "\xff\x00\x80\x7f"sv, "K\x01\xfe"sv, "i\x80\xfc)"sv, "\x99\x8f\xf2"sv},
    {"Chinese data and key",
     "\xbc\xd3\xc3\xdc\xb5\xc4\xce\xc4\xb1\xbe"sv,
     "\xc3\xdc\xd4\xbf"sv,
     "\xfe\x87.\xb1\xec\x0c" "4\xbd\xe4" "1"sv,
     "\x88" "a\xa6\xd0"sv},
// END reference table block_encipher
};
// clang-format on

// Both directions turn the caller's key buffer the same way.
TEST(CryptoKnownAnswers, BlockEncipherAndDecipher) {
  for (const auto& c : kBlockEncipher) {
    SCOPED_TRACE(c.name);
    std::string data = Bytes(c.data), key = Bytes(c.key);
    BlockEncipher(data.data(), data.size(), key.data(), key.size());
    EXPECT_EQ(data, c.cipher);
    EXPECT_EQ(key, c.turnedKey);
    key = Bytes(c.key);
    BlockDecipher(data.data(), data.size(), key.data(), key.size());
    EXPECT_EQ(data, c.data);
    EXPECT_EQ(key, c.turnedKey);
  }
}

struct KeyAlphabetCase {
  const char* name;
  std::string_view key, expected;
};
// clang-format off
const KeyAlphabetCase kKeyAlphabetPass[] = {
// BEGIN reference table key_alphabet_pass
    {"0xFF at position 0, 0x00, 0x80", "\xff\x00\x80\x7f"sv, "A.W*"sv},
    {"70 bytes: positions past the alphabet's length",
     "\xc0\xc1\xc2\xc3\xc4\xc5\xc6\xc7\xc8\xc9\xca\xcb\xcc\xcd\xce\xcf\xd0\xd1\xd2\xd3\xd4\xd5\xd6\xd7\xd8"
      "\xd9\xda\xdb\xdc\xdd\xde\xdf\xe0\xe1\xe2\xe3\xe4\xe5\xe6\xe7\xe8\xe9\xea\xeb\xec\xed\xee\xef\xf0\xf1"
      "\xf2\xf3\xf4\xf5\xf6\xf7\xf8\xf9\xfa\xfb\xfc\xfd\xfe\xff\x00\x01\x02\x03\x04\x05"sv,
     "icO#AA*gNMm!gtes!h+?imhFuNwtTRLehBSxR$qxi!fFI@@Y-$wDAs!duEyQME?yLFwWW#"sv},
// END reference table key_alphabet_pass
};
// clang-format on

TEST(CryptoKnownAnswers, KeyAlphabetPass) {
  for (const auto& c : kKeyAlphabetPass) {
    SCOPED_TRACE(c.name);
    std::string key = Bytes(c.key);  // with the NUL the pass relies on
    KeyAlphabetPass(key.data(), key.size());
    EXPECT_EQ(key, c.expected);
  }
}

struct BlockKeyCase {
  const char* name;
  std::optional<std::string_view> digest;
  std::string_view key;
};
// clang-format off
const BlockKeyCase kBlockKey[] = {
// BEGIN reference table block_key
    {"no key file",
     std::nullopt,
     "+x..g!i*zkn?SLMANj.!%-eTaE=E&i$efH#RvcEDJ-KmF@piJg!cePT=FGxG-fH+LUAAGVhvpP=N.uRf@iAVy!qYEhzhaC=qWjB:"
      "#Zh%IsFLJ!nCIfVZNcYkJWrW!"sv},
    {"digest of \"abc\"",
     std::optional<std::string_view>("900150983cd24fb0d6963f7d28e17f72"sv),
     "%B%$IRfIaXAUxPc-oXWzLQv@&prgvot+BlLGCruH*AJZF@sP#dyi@G*bByZr-#jNlh-hwilUD:=*$ctfmmrfusE&a$oRPfgpUWUI"
      "DgMpv?C#jlqCYNRF!WHwy=&oQ"sv},
    {"unreadable key file (empty digest text)",
     std::optional<std::string_view>(""sv),
     "gbp:oXnz*@k@%$FNEND=%zDzJY-#X&#kjIg:rkogr.aWAECMbTH.RLsxE%oVD%Q:b!Ghhg$#k#$zkt+Np&bl+boxh!vtiUXwCfb+"
      "jFBA.wu%PwCPVatlQ%ypJWrW!"sv},
// END reference table block_key
};
// clang-format on

TEST(CryptoKnownAnswers, BlockKey) {
  for (const auto& c : kBlockKey) {
    SCOPED_TRACE(c.name);
    BlockKey key = BuildBlockKey(c.digest);
    EXPECT_EQ(std::string_view(key.bytes, kBlockKeyLength), c.key);
    EXPECT_EQ(key.bytes[kBlockKeyLength], '\0');
  }
}

struct BatchCase {
  const char* name;
  std::string_view plain;
  std::optional<std::string_view> digest;
  std::string_view cipher;
};
// clang-format off
const BatchCase kBatch[] = {
// BEGIN reference table batch
    {"empty", ""sv, std::nullopt, ""sv},
    {"one byte", "x"sv, std::nullopt, "\xa6"sv},
    {"two bytes", "\xff\x00"sv, std::nullopt, "\xa9<"sv},
    {"125 bytes, the key's length",
     "\x00\x01\x02\x03\x04\x05\x06\x07\x08\t\n\x0b\x0c\r\x0e\x0f\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a"
      "\x1b\x1c\x1d\x1e\x1f !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklm"
      "nopqrstuvwxyz{|"sv,
     std::nullopt,
     "V\xbcX\x96\xc6\x12\xde\x96\xe4" "1\xc8\x1a\xbe\xa0\x86'\xbc\xbdx\x19" "b\x1c\xe6\xa1\xf2.N/t:t=\x8c\xb4"
      "\x02\xb8\xa4#\xc6\xb1\xc4\x02\xc2#\xd4\xb6\xbc#\xf4+&(\xa2\xb2\xc4\x05\xfc?\x84>\"\xad\xec\n\x18\n\x06"
      "\x01\x06\x89\\\x98p\x8c\xee\x82\xc4\x1c" "8\x94 \x1c&\x82Z:N\x07:\x98@\x99z\x0f\xc6\x17n\x85@\xac\x8e"
      "\x9f\x1c!B\rX\x93L&\x00\x16r\x8bH\x94t\x0b^\x0e" "d\x17\x10\x16\xba"sv},
    {"126 bytes, one past the key",
     "\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8a\x8b\x8c\x8d\x8e\x8f\x90\x91\x92\x93\x94\x95\x96\x97\x98"
      "\x99\x9a\x9b\x9c\x9d\x9e\x9f\xa0\xa1\xa2\xa3\xa4\xa5\xa6\xa7\xa8\xa9\xaa\xab\xac\xad\xae\xaf\xb0\xb1"
      "\xb2\xb3\xb4\xb5\xb6\xb7\xb8\xb9\xba\xbb\xbc\xbd\xbe\xbf\xc0\xc1\xc2\xc3\xc4\xc5\xc6\xc7\xc8\xc9\xca"
      "\xcb\xcc\xcd\xce\xcf\xd0\xd1\xd2\xd3\xd4\xd5\xd6\xd7\xd8\xd9\xda\xdb\xdc\xdd\xde\xdf\xe0\xe1\xe2\xe3"
      "\xe4\xe5\xe6\xe7\xe8\xe9\xea\xeb\xec\xed\xee\xef\xf0\xf1\xf2\xf3\xf4\xf5\xf6\xf7\xf8\xf9\xfa\xfb\xfc"
      "\xfd"sv,
     std::optional<std::string_view>("900150983cd24fb0d6963f7d28e17f72"sv),
     "K\xe1O\xd3\x9b\xeb\xc1g\xd3\xe8\x97o\xe9\xee\xdbQ\xff\xe4\x8b\xf4\xb1" "b\xc1\xeb}\xf4\xd1~\xd5y\xd5"
      "Z\xc5\xe6\xddr\xcf\xeb\xa7\xf7\x05t\xc1\xf8\xd5\xf6\xbb\xff'\xea\x97m\xe9y9\xea\xf5`\xc1\xe4#O\xa9\xf8"
      "Y\xd4\xdf\xd5gVUI\x19\xf9\xef\xf0\xd1Wu\xd4{^A\xda" "CS'\xf8s\xfek\xc4\x19\xdds\xd7k[oUAAW\xcb=kSd\r"
      "\xc0?VS\xdf" "A\xda\xabQ}@\x03" "b\xb9J[\xb4"sv},
    {"command lines with Chinese",
     "? '\xd6\xd0\xce\xc4 text'\r\nx = 1"sv,
     std::optional<std::string_view>("ed0c38d94152feafeff08bae2f48d468"sv),
     "\xd2\xac\x88\xfa" "C\xdf\xcf\x82$\x00r'\x92" "0\xc8\x84\x9e" "7\xda\x08"sv},
// END reference table batch
};
// clang-format on

TEST(CryptoKnownAnswers, Batch) {
  for (const auto& c : kBatch) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EncipherBatch(c.plain, c.digest), c.cipher);
    EXPECT_EQ(DecipherBatch(c.cipher, c.digest), c.plain);
  }
}

// The file-buffer rows use this small key block in place of the resource.
constexpr std::string_view kSmallKeyBlock = "\x01\x80\xff\x00\x7f\x55\xaa"sv;

struct FileBufferCase {
  const char* name;
  std::string_view plain, key, cipher;
};
// clang-format off
const FileBufferCase kFileBuffer[] = {
// BEGIN reference table file_buffer
    {"one byte, one-character key",
     "x"sv,
     "k"sv,
     "I\xc1\x1d<\xb0" "4i\xc0\x1c\x00\x8a\xaf!\xb2\x85W\x85\xa8\x00\xf7\xd1_S\xfe\xf9K.\xad\xff\xa8\x03ZQ\xa7"
      "\x81\xf8\xabVq\xa4\x06`\x13m=t\x1e;\x9f\xb6\x01\xf9W\xfdyZxG\xad\xabW\xbe\x83Ny\x01\xadL\xab\xf0s\xa4"
      "\x84\xaa\x0f\x03\xa7\x04,\xf7\x06\xc6\xb0" "3M"sv},
    {"32 bytes, the payload key's cycle",
     "\x00\x01\x02\x03\x04\x05\x06\x07\x08\t\n\x0b\x0c\r\x0e\x0f\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a"
      "\x1b\x1c\x1d\x1e\x1f"sv,
     "key"sv,
     "7\xb6\xc9" "3Nh\xca" "5\xbf\xc4n\x17;\x92l\xeb\x8b%X\"\x8e-\xf5\xd0~\x02x\x89y\xa5\x80-\xc3\x98\xcdN"
      "\xc5\x18\x96\x1b\xa7\x0e\xf9\x83\xf0\x85\xaeR_\xa9\xe2\x83\x14\xdc\xb8\x0b\xf1\xd0\xa4\xde\x01\t\xfd"
      "\xae\xa5\x04\tU\xa7\x00\xf2\x01\xc7\x97;\x9ft\x1e\xc2HW\xa8J\xad\x12_\x00\x0b\xeb\xfb\x04v\x03\x8c\xf3"
      ",\xb1\x81\xa9R\x03\x84T\x87\xb7&\xf9\x07^\x87\xa0z1\x19&\x1f"sv},
    {"33 bytes, one past",
     "\xf0\xf1\xf2\xf3\xf4\xf5\xf6\xf7\xf8\xf9\xfa\xfb\xfc\xfd\xfe\xff\x00\x01\x02\x03\x04\x05\x06\x07\x08"
      "\t\n\x0b\x0c\r\x0e\x0f\x10"sv,
     "key"sv,
     "\x95" "D8\x92\xed\x94:\xc3\x19" "d\xca\xb1\x9d" "d\xcc\x1a\xca" "0J4\xcd=\xb1\x9e" "1Of\x90?\xba\xc4"
      ":\x0b\x91\x9e\xcd\x1e\x95N\xc6L\xf7U\xfd\x82\xa2\x88\xff\x01\r\xfe\xe0\x83\x11\x83\xe8U\xaf\x8a\xa8\x82"
      "\x01\x05\xfe\xfe\xf7\x02\t\x05\xf7V\xa2V\x97\xcc?\x9e$\x13\x93\x1b\x05\xffH\xad\x17\x00PU\xb5\xa1\x08"
      "*\x03\x80\xf0|\xe3\x87\xa9\x02S\xd2\x04\xd0\xe7}\xfd\x06\x0c\x8a\xf1)cN$\x1f"sv},
    {"0x00 and 0xFF, Chinese key",
     "\x00\xff\x00\x80\x7f\xff\x01\xfe"sv,
     "\xc3\xdc\xd4\xbf"sv,
     "0L\xcd\xb3" "9\x9a\x9f\x9a" "3\xb0" "2\xce\xc5\xe5\xcd" "2\x01\xa8\xfa\x82\xf3.\xa0\xf8\x04\xdf\xa1\x06"
      "\xf3\x82\xbe\xd2\x08\x8a\xf6\x85" "C\xdbV\x84U,\xf6\xd5\xa7\xfd\xa9(a18\x9e'\xb5\xcc\xe2\xac\xf7\x03"
      "\x02S\x81\xbaQ\xac\x88" "F,\xef_\xf2\x84\xf9(@\xd4\x0b\xd4\x05\xae\x11(\xfa\x87[\xa9\x06\xfbjoe\x9a"sv},
    {"200-character key",
     "\xbc\xd3\xc3\xdc\xb5\xc4\xce\xc4\xb1\xbe"sv,
     " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~ !\""
      "#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~12345"sv,
     "\x8c" "1\r\xe4\xfe\xa5\x02\xfc\x07 \xc5Ga\xc1tJi\x93\x1eP\xa8[\\-\xfd\x03\t-\xaf\x04W}\xacV\xa6\x03Z"
      "|@\x7f\x12\xff\xa3\xdb\xa5\xda\x16R\r\x89~\xc9jG\x8c\xb6\x91\x19\x17\xac\x01\x80QS\x0e\xfd\xa8\x85\xe8"
      "T\xe0\xd2\x18|\xa1_\x13[\x04Q\xaf\x8b\x10y\x0e\xf6^*\xf3\x05g\x9dk\x98"sv},
    {"key whose turn makes a NUL at an odd position",
     "data"sv,
     "A\x1e" "bc"sv,
     "]\xd5\xe8\x07" "0\x19 C\x90\xb6\x99\xcd\xa7\x7f\x03\xd7P~\x0cy\n\xfb\xaf\x8f\xfaP\xfe\x06\xf7\xac\xa9"
      "\xa9\x04\xd0\x01\x03V\x85\xe4X\xf2\xae\xfd\xd7\xc7\xe6\xc1\xcb\x9c\xe5`c\x00\xd0\x1b\x0fZ\xd3T\x84]\x87"
      "\x05*\xa8}\xab\xa9V\x81P\xd8P\x04_U\x0bT\xaf\xd2\xfc\xfc\xa4{dKk\x13"sv},
    {"key whose turn makes a NUL at position 0",
     "data"sv,
     "\x87zz"sv,
     "W\x82\xe8\x07g\x9d(\xc9\x90\x1bjMV\xd8\xa2V\xf8\xfcY#P[\xa5\x8c\ry\xe6W_\xd4\xb4\x0f\x0f\x07^\"\x01\x01"
      "\xec\xd2\xf2\x03\x0eW6A`J4g59\\p\x0f\x8c\x07\xf9^|[V\x12&\xad\x80\xf4\x89\xa3\x06HQ\xf8\x83\xa0\xd1^"
      "\xdb\xa4\xd6Z\xfdU\">\xeb" "a\x10"sv},
// END reference table file_buffer
};
// clang-format on

TEST(CryptoKnownAnswers, FileBuffer) {
  const KeyBlock block{kSmallKeyBlock.data(), kSmallKeyBlock.size()};
  for (const auto& c : kFileBuffer) {
    SCOPED_TRACE(c.name);
    std::string key = Bytes(c.key);
    std::string cipher(c.plain.size() + kTrailerSize, '\0');
    EncipherFileBuffer(cipher.data(), c.plain.data(), c.plain.size(), key.c_str(), block);
    EXPECT_EQ(cipher, c.cipher);
    std::string plain(c.plain.size(), '\0');
    ASSERT_TRUE(DecipherFileBuffer(plain.data(), c.cipher.data(), c.cipher.size(), key.c_str(), block));
    EXPECT_EQ(plain, c.plain);
  }
}

struct FileBufferResourceCase {
  const char* name;
  size_t length;  // of Counting(length, 0)
  const char* key;
  const char* cipherDigest;  // MD5 of the whole cipher buffer
};
// clang-format off
const FileBufferResourceCase kFileBufferResource[] = {
// BEGIN reference table file_buffer_resource
    {"6887 bytes: one past the resource key's length", 6887, "resource key", "ebfb0cf7c9be8867d8804afd9afcd3bc"},
// END reference table file_buffer_resource
};
// clang-format on

// With the library's own key block, read from the stored resource file,
// over a payload one byte longer than the block.
TEST(CryptoKnownAnswers, FileBufferWithTheResourceKey) {
  std::ifstream in(LARCH_SOURCE_DIR "/src/crypto/resource_key.bin", std::ios::binary);
  std::string stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(stored.size(), 6886u);
  FlipStoredKeyBlock(stored.data(), stored.size());
  const KeyBlock block{stored.data(), stored.size()};
  for (const auto& c : kFileBufferResource) {
    SCOPED_TRACE(c.name);
    std::string plain = Counting(c.length, 0);
    std::string cipher(plain.size() + kTrailerSize, '\0');
    EncipherFileBuffer(cipher.data(), plain.data(), plain.size(), c.key, block);
    EXPECT_EQ(Md5Hex(cipher), c.cipherDigest);
    std::string back(plain.size(), '\0');
    ASSERT_TRUE(DecipherFileBuffer(back.data(), cipher.data(), cipher.size(), c.key, block));
    EXPECT_EQ(back, plain);
  }
}

struct StringStreamCase {
  const char* name;
  std::string_view payload, key, stream;
};
// clang-format off
const StringStreamCase kStringStream[] = {
// BEGIN reference table string_stream
    {"one byte",
     "x"sv,
     "ae208cb64afb5ebe62a3cc12b8e7a438"sv,
     "\x1eg\x9bilie\x96\x9bW\x0c\xaf\xa6\xfe\n\xa3\x0e\xfe\\\x00\x0e\x0fQ\xaf\x04\xfaV^X^\xa5_T\x00\xa3_\x08"
      "[S\xa3\xfdgh\x99\x96\x9an\x9bj\xfdZQ\\\\]\xf0\x07\xa8\\\n\tP\xf1S\x00P\xfdZ]]R\xa7\xfa^\x0e\xa1\xa0\xf9"
      "Z\xaa[\x9bkfh"sv},
    {"three strings",
     "'one'\r\n\"two\"\r\n[three]"sv,
     "ae208cb64afb5ebe62a3cc12b8e7a438"sv,
     "A\x06\xf6\r\xbdhaK\x1d\x1c\x01Gdc>\x1e\x00\xe8\x03\xfc" "1g\x9bilie\x96\x9bW\x0c\xaf\xa6\xfe\n\xa3\x0e"
      "\xfe\\\x00\x0e\x0fQ\xaf\x04\xfaV^X^\xa5_T\x00\xa3_\x08[S\xa3\xfdgh\x99\x96\x8en\x9bj\xfdZQ\\\\]\xf0\x07"
      "\xa8\\\n\tP\xf1S\x00P\xfdZ]]R\xa7\xfa^\x0e\xa1\xa0\xf9Z\xaa[\x9bkfh"sv},
    {"the same under another executable",
     "'one'\r\n\"two\"\r\n[three]"sv,
     "5fb73cd23f0cfc9b7f671a4beca0eb23"sv,
     "@\xf5\xf7\x08Nc\x9c\xb9\x1c\x12\x03\xb9jm2\x1e\x04\x1c\xfe\xfc" "1f\x97m\x99neemY\x0c\xa1W\xfd\x01\xaf"
      "\x02\xf2_\x08\x0c\xf4\xa2S\xf5\x04VP\xa2_XR\xa4\x01\xaf[\xfd\\SP\x0bih\x97g\x8d" "e\x97" "f\xf5Z\nR\xa7"
      "\xa3R\xa7VZW\xf5X\tZ\xf4T\xf5X\xa0\x0b\x07\x07XPX\xf5W\xadV\xf6P\x97hnj"sv},
    {"Chinese, 0x00 and 0xFF",
     "[\xd6\xd0\xce\xc4 text]\n'\x00\xff'"sv,
     "5fb73cd23f0cfc9b7f671a4beca0eb23"sv,
     "<LI\xa3\xadN\xe2\xfe\x10\x11" "1\x91@g\x96Mf\x97m\x99neemY\x0c\xa1W\xfd\x01\xaf\x02\xf2_\x08\x0c\xf4"
      "\xa2S\xf5\x04VP\xa2_XR\xa4\x01\xaf[\xfd\\SP\x0bih\x97g\x88" "e\x97" "f\xf5Z\nR\xa7\xa3R\xa7VZW\xf5X\t"
      "Z\xf4T\xf5X\xa0\x0b\x07\x07XPX\xf5W\xadV\xf6P\x97hnj"sv},
// END reference table string_stream
};
// clang-format on

// The key is the digest text of the executable the stream is bound to.
TEST(CryptoKnownAnswers, StringStream) {
  for (const auto& c : kStringStream) {
    SCOPED_TRACE(c.name);
    std::string key = Bytes(c.key);
    EXPECT_EQ(MakeStringStream(c.payload, key.c_str()), c.stream);
    EXPECT_EQ(OpenStringStream(c.stream, key.c_str()), std::optional<std::string>(Bytes(c.payload)));
  }
}

struct StringEntriesCase {
  const char* name;
  std::string_view payload;
  std::vector<std::string_view> entries;
};
// clang-format off
const StringEntriesCase kStringEntries[] = {
// BEGIN reference table string_entries
    {"empty pair", "''"sv, {""sv}},
    {"blank lines, labels, CR and LF alone",
     "\r\ntitle = \"\xd6\xd0\xce\xc4 text\"  && comment\r\n\r\n[x]\n'y'\r"sv,
     {"\xd6\xd0\xce\xc4 text"sv, "x"sv, "y"sv}},
    {"NUL inside and right after the opening",
     "'a\x00" "b'\n\"\x00" "cd\"\n[\xff\xfe]"sv,
     {"a"sv, "cd"sv, "\xff\xfe"sv}},
// END reference table string_entries
};
// clang-format on

TEST(CryptoKnownAnswers, StringEntries) {
  for (const auto& c : kStringEntries) {
    SCOPED_TRACE(c.name);
    StringSrcTable table;
    table.load(c.payload);
    ASSERT_EQ(table.count(), c.entries.size());
    for (uint32_t n = 1; n <= table.count(); ++n) EXPECT_EQ(table.entry(n), c.entries[n - 1]) << n;
    EXPECT_EQ(table.entry(table.count() + 1), nullptr);
  }
}

// Every table of both files is what the reference prints now.
TEST(CryptoKnownAnswers, TablesAreTheReferencesOutput) {
  EXPECT_EQ(std::system("python3 '" LARCH_SOURCE_DIR "/tests/reference/ciphers.py' --check"), 0);
}

}  // namespace
}  // namespace larch
