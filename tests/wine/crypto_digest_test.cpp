// Get32Md5 and Get32Md5FileChecksum through the binary interface.
#include <gtest/gtest.h>
#include <windows.h>

#include "test_support.h"

namespace larch::test {
namespace {

// Each test has a library of its own and a fresh folder for its files.
class CryptoDigest : public ::testing::Test {
 protected:
  HostEmulator emu;
  TempDir dir;
};

TEST_F(CryptoDigest, TextDigests) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {std::string("ab\0cd", 5), "5d622b3d4d8cc07754fd386e7f29326e"},  // all bytes, NULs too
  };
  for (const auto& [text, digest] : cases) {
    SCOPED_TRACE(Hex(text));
    CallResult r = emu.call("Get32Md5", {Value::Text(text)});
    EXPECT_EQ(r.value.text, digest) << Hex(text);
    EXPECT_EQ(r.rawType, 'H');
  }
}

TEST_F(CryptoDigest, FileDigestsEqualTheDigestOfTheirBytes) {
  for (size_t size : {0u, 1u, 1024u, 1025u, 2048u}) {
    SCOPED_TRACE(size);
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + size);
    std::string path = dir.file("f" + std::to_string(size) + ".bin");
    WriteFile(path, bytes);
    CallResult file = emu.call("Get32Md5FileChecksum", {Value::Text(path)});
    EXPECT_EQ(file.value.text, emu.call("Get32Md5", {Value::Text(bytes)}).value.text) << size;
    EXPECT_EQ(file.value.text.size(), 32u);
  }
}

TEST_F(CryptoDigest, UnreadableFilesGiveEmptyText) {
  for (const std::string& path : {std::string(""), dir.file("missing.txt"), dir.path()}) {
    CallResult r = emu.call("Get32Md5FileChecksum", {Value::Text(path)});
    EXPECT_TRUE(r.sent()) << path;
    EXPECT_EQ(r.value.text, "") << path;
  }
}

}  // namespace
}  // namespace larch::test
