// KVEncryptByteBlock2 and KVRunFoxBatch2, and batches made by larch-pack.
#include <gtest/gtest.h>

#include "crypto_pack.h"
#include "import_patch.h"
#include "test_support.h"

namespace larch::test {
namespace {

DWORD WINAPI NoModuleFileName(HMODULE, LPSTR buffer, DWORD size) {
  if (size) buffer[0] = '\0';
  return 0;
}

using Lines = std::vector<std::string>;

class CryptoBatch : public testing::Test {
 protected:
  CryptoBatch() {
    emu.commandHook = [](const std::string&) { return true; };  // record only
  }

  // KVEncryptByteBlock2 on a variable holding the text.
  std::string Encipher(const std::string& plain, std::vector<Arg> extra = {}, Caller caller = {}) {
    emu.setVariable("batch", Value::Text(plain));
    std::vector<Arg> args = {ByRef("batch")};
    args.insert(args.end(), extra.begin(), extra.end());
    CallWithoutResult(emu, "KVEncryptByteBlock2", args, caller);
    return emu.variable("batch")->scalar.text;
  }

  // The command lines KVRunFoxBatch2 ran.
  Lines Run(const std::string& cipher, std::vector<Arg> extra = {}, Caller caller = {}) {
    emu.commands.clear();
    std::vector<Arg> args = {Value::Text(cipher)};
    args.insert(args.end(), extra.begin(), extra.end());
    CallWithoutResult(emu, "KVRunFoxBatch2", args, caller);
    return emu.commands;
  }

  HostEmulator emu;
  TempDir dir;
};

const char kBatch[] = "x = 1\r\n\r\n? x\r\ny = \"two\"";
const Lines kBatchLines = {"x = 1", "? x", "y = \"two\""};

TEST_F(CryptoBatch, RunsTheLinesInOrder) {
  std::string cipher = Encipher(kBatch);
  EXPECT_EQ(cipher.size(), sizeof kBatch - 1);
  EXPECT_EQ(cipher.find("x = 1"), std::string::npos);
  EXPECT_EQ(Run(cipher), kBatchLines);
  // Only 1 mixes the executable's digest in.
  EXPECT_EQ(Run(cipher, {Value::Int(0)}), kBatchLines);
  EXPECT_EQ(Run(cipher, {Value::Int(2)}), kBatchLines);
  EXPECT_NE(Run(cipher, {Value::Int(1)}), kBatchLines);
}

TEST_F(CryptoBatch, BatchBoundToTheExecutableRunsWithOne) {
  std::string cipher = Encipher(kBatch, {Value::Text(TestExePath())});
  EXPECT_EQ(Run(cipher, {Value::Int(1)}), kBatchLines);
  EXPECT_NE(Run(cipher), kBatchLines);
}

TEST_F(CryptoBatch, KeyFileChoices) {
  std::string plain = "a = 1\nb = 2";
  EXPECT_EQ(Encipher(plain, {Value::Text("")}), Encipher(plain));  // empty: absent
  std::string keyA = dir.file("a.key"), keyB = dir.file("b.key");
  WriteFile(keyA, "first key file");
  WriteFile(keyB, "second key file");
  EXPECT_NE(Encipher(plain, {Value::Text(keyA)}), Encipher(plain, {Value::Text(keyB)}));
  EXPECT_NE(Encipher(plain, {Value::Text(keyA)}), Encipher(plain));
  // A key file that cannot be read still gives one fixed key every time.
  std::string missing = Encipher(plain, {Value::Text(dir.file("none.key"))});
  EXPECT_EQ(Encipher(plain, {Value::Text(dir.file("other-missing.key"))}), missing);
  EXPECT_NE(missing, Encipher(plain));
}

TEST_F(CryptoBatch, UnreadableExecutableGivesTheUnreadableKeyFileKey) {
  std::string cipher = Encipher(kBatch, {Value::Text(dir.file("none.key"))});
  host::ImportPatch patch(emu.module(), "kernel32.dll", "GetModuleFileNameA", host::FakeOf(&NoModuleFileName));
  ASSERT_TRUE(patch.active());
  EXPECT_EQ(Run(cipher, {Value::Int(1)}), kBatchLines);
}

TEST_F(CryptoBatch, CipherBytesOfValueZeroAreKept) {
  std::string plain;
  for (int i = 0; i < 300; ++i) plain += "n" + std::to_string(i) + " = " + std::to_string(i * i) + "\r\n";
  std::string cipher = Encipher(plain);
  ASSERT_EQ(cipher.size(), plain.size());
  EXPECT_NE(cipher.find('\0'), std::string::npos);
  Lines lines = Run(cipher);
  ASSERT_EQ(lines.size(), 300u);
  EXPECT_EQ(lines.back(), "n299 = 89401");
}

TEST_F(CryptoBatch, EmptyValuesAndWrongTypes) {
  EXPECT_EQ(Encipher(""), "");
  EXPECT_TRUE(Run("").empty());
  emu.setVariable("n", Value::Int(7));
  EXPECT_EQ(emu.call("KVEncryptByteBlock2", {ByRef("n")}).error, 9);
  EXPECT_EQ(emu.variable("n")->scalar, Value::Int(7));
}

TEST_F(CryptoBatch, BatchesMadeByLarchPack) {
  std::string source = dir.file("batch.prg"), plainOut = dir.file("plain.bin"), boundOut = dir.file("bound.bin");
  WriteFile(source, kBatch);
  ASSERT_EQ(RunPack("batch " + Quoted(source) + " " + Quoted(plainOut)), 0);
  ASSERT_EQ(RunPack("batch " + Quoted(source) + " " + Quoted(boundOut) + " --exe " + Quoted(TestExePath())), 0);

  std::string plainCipher = ReadFile(plainOut), boundCipher = ReadFile(boundOut);
  EXPECT_EQ(plainCipher, Encipher(kBatch));  // the library's own transform
  EXPECT_EQ(Run(plainCipher), kBatchLines);
  EXPECT_EQ(Run(boundCipher, {Value::Int(1)}), kBatchLines);
  EXPECT_NE(Run(boundCipher), kBatchLines);

  EXPECT_NE(RunPack("batch " + Quoted(source) + " " + Quoted(boundOut) + " --exe " + Quoted(dir.file("none.exe"))), 0);
}

}  // namespace
}  // namespace larch::test
