#include "crypto/md5.h"
#include "random_bytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

namespace larch {
namespace {

std::string Md5OfFile(const std::string& path) {
  char out[kDigestTextSize];
  std::memset(out, 'x', sizeof out);
  Md5HexOfFile(out, path.c_str());
  return out;
}

// The reference tool's digest of the same file.
std::string Md5sumOf(const std::string& path) {
  std::string command = "md5sum '" + path + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "";
  char line[128] = {};
  if (!std::fgets(line, sizeof line, pipe)) line[0] = '\0';
  pclose(pipe);
  return std::string(line).substr(0, 32);
}

TEST(Md5, Rfc1321TestSuite) {
  const struct {
    const char* input;
    const char* digest;
    // clang-format off
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(Md5Hex(c.input), c.digest) << '"' << c.input << '"';
}

TEST(Md5, DigestsEveryByteIncludingNuls) {
  std::string withNul("ab\0cd", 5);
  EXPECT_EQ(Md5Hex(withNul), "5d622b3d4d8cc07754fd386e7f29326e");
  EXPECT_NE(Md5Hex(withNul), Md5Hex("ab"));
}

TEST(Md5, PiecewiseUpdatesEqualOneShot) {
  std::string data = RandomBytes(5000, 1);
  std::mt19937 rng(2);
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    Md5Context context;
    Md5Init(context);
    size_t at = 0;
    while (at < data.size()) {
      size_t piece = std::min<size_t>(rng() % 200, data.size() - at);
      Md5Update(context, data.data() + at, piece);
      at += piece;
    }
    uint8_t digest[16];
    Md5Final(digest, context);
    char text[kDigestTextSize];
    for (int i = 0; i < 16; ++i) std::snprintf(text + 2 * i, 3, "%02x", digest[i]);
    EXPECT_EQ(text, Md5Hex(data));
  }
}

TEST(Md5, FinalClearsTheContext) {
  Md5Context context;
  Md5Init(context);
  Md5Update(context, "abc", 3);
  uint8_t digest[16];
  Md5Final(digest, context);
  const Md5Context zero{};
  EXPECT_EQ(std::memcmp(&context, &zero, sizeof context), 0);
}

TEST(Md5, SwappedTextExchangesTheDigitsOfEachByte) {
  EXPECT_EQ(Md5HexSwapped(std::string_view("abc")), "09100589c32df40b6d69f3d7821ef727");
}

TEST(Md5, NullOutputIsIgnored) {
  Md5HexOfBytes(nullptr, "abc", 3);
  Md5HexOfFile(nullptr, "/nonexistent");
}

TEST(Md5File, AgreesWithMd5sumAtBlockBoundaries) {
  for (size_t size : {0u, 1u, 1023u, 1024u, 1025u, 2048u, 100000u}) {
    std::string path = testing::TempDir() + "larch_md5_" + std::to_string(size);
    std::string data = RandomBytes(size, static_cast<unsigned>(size));
    std::ofstream(path, std::ios::binary).write(data.data(), data.size());
    EXPECT_EQ(Md5OfFile(path), Md5sumOf(path)) << size << " bytes";
    EXPECT_EQ(Md5OfFile(path), Md5Hex(data)) << size << " bytes";
    std::remove(path.c_str());
  }
}

TEST(Md5File, UnreadableFileWritesOnlyTheFirstByte) {
  // A folder opens here but every read of it fails: a failed read is no
  // digest, not the digest of the bytes before it.
  for (std::string path : {std::string("/nonexistent/larch/file"), std::string(), testing::TempDir()}) {
    char out[kDigestTextSize];
    std::memset(out, 'x', sizeof out);
    Md5HexOfFile(out, path.c_str());
    EXPECT_EQ(out[0], '\0') << path;
    EXPECT_EQ(std::string(out + 1, 32), std::string(32, 'x')) << path;
  }
}

}  // namespace
}  // namespace larch
