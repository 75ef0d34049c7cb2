// Known answers for the cipher host functions, in the forms that only the
// library gives: the no-key rule of KVEncryptTxt2, key files, batches run
// with and without the executable's digest, the key resource of the
// file-buffer cipher, streams bound to an executable. The expected bytes do
// not come from the code under test: tests/reference/ciphers.py is a
// separate implementation of every algorithm here, written from the
// algorithms' descriptions, and it printed each table between its BEGIN and
// END lines. To check that the tables are still what it gives (or to print
// them again after changing a row):
//   python3 tests/reference/ciphers.py --check     (or --write, or no option)
// The executable a batch or stream is bound to is a stand-in file with the
// bytes of the row: the library's request for the host program's path is
// answered with that file's path.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import_patch.h"
#include "test_support.h"

namespace larch::test {
namespace {

using namespace std::literals;

std::string Bytes(std::string_view s) { return std::string(s); }

// The path the library gets for the host program, while a StandInExe lives.
std::string g_standInPath;
const void* g_moduleFileName = nullptr;

DWORD WINAPI StandInModuleFileName(HMODULE module, LPSTR buffer, DWORD size) {
  if (module != nullptr) {
    return reinterpret_cast<decltype(&GetModuleFileNameA)>(g_moduleFileName)(module, buffer, size);
  }
  if (size <= g_standInPath.size()) return 0;
  g_standInPath.copy(buffer, g_standInPath.size());
  buffer[g_standInPath.size()] = '\0';
  return static_cast<DWORD>(g_standInPath.size());
}

// A file with the given bytes that the library takes for the executable of
// the host process.
class StandInExe {
 public:
  StandInExe(HostEmulator& emu, const TempDir& dir, std::string_view bytes)
      : patch_(emu.module(), "kernel32.dll", "GetModuleFileNameA", host::FakeOf(&StandInModuleFileName)) {
    g_standInPath = dir.file("stand-in.exe");
    g_moduleFileName = patch_.original();
    WriteFile(g_standInPath, Bytes(bytes));
  }
  bool active() const { return patch_.active(); }

 private:
  host::ImportPatch patch_;
};

class CryptoKnownAnswers : public testing::Test {
 protected:
  CryptoKnownAnswers() {
    emu.commandHook = [](const std::string&) { return true; };  // record only
  }

  // Calls a function that changes the variable passed by reference and
  // sends no result; the variable's value afterwards.
  std::string InPlace(const char* function, std::string_view value, std::vector<Arg> extra) {
    emu.setVariable("v", Value::Text(Bytes(value)));
    std::vector<Arg> args = {ByRef("v")};
    args.insert(args.end(), extra.begin(), extra.end());
    CallResult r = emu.call(function, args);
    EXPECT_FALSE(r.sent());
    EXPECT_EQ(r.error, 0);
    return emu.variable("v")->scalar.text;
  }

  HostEmulator emu;
  TempDir dir;
};

struct Txt2Case {
  const char* name;
  std::string_view value;
  std::optional<std::string_view> key;
  std::string_view expected;
};
// clang-format off
const Txt2Case kTxt2[] = {
// BEGIN reference table txt2
    {"no key, three bytes: unchanged", "abc"sv, std::nullopt, "abc"sv},
    {"no key, four bytes", "abcd"sv, std::nullopt, "\xe0\xf4\xc4\xfc"sv},
    {"no key, 45 bytes with 0x00, 0xFF and Chinese",
     "\x00\xff\x00\x80\x7f\xff\x01\xfe\xbc\xd3\xc3\xdc\xb5\xc4\xce\xc4\xb1\xbe" "0123456789:;<=>?@ABCDEFGH"
      "IJ"sv,
     std::nullopt,
     "\x81i\xa7\x18\xe2\x9b\x88" "d\x11z\xbb" "B\x10YTc\xd6\xd1\xa9\xab\xa9\xa5\x9e\x94\x9fU\x98\xa3\x94" "c"
      "YTXW\x19\xd6\xce/\xe2\xca\xe6\xc6\xde\xee\xd2"sv},
    {"empty key: unchanged", "abcd"sv, std::optional<std::string_view>(""sv), "abcd"sv},
    {"a NUL ends the key", "abcd"sv, std::optional<std::string_view>("ab\x00" "cd"sv), "\xf7\xf5\xf5\xf3"sv},
    {"Chinese key",
     "\xbc\xd3\xc3\xdc\xb5\xc4\xce\xc4\xb1\xbe"sv,
     std::optional<std::string_view>("\xc3\xdc\xd4\xbf"sv),
     "D\xc2\xca(M\xd5\xc7" "0I\xaf"sv},
// END reference table txt2
};
// clang-format on

TEST_F(CryptoKnownAnswers, Txt2) {
  for (const auto& c : kTxt2) {
    SCOPED_TRACE(c.name);
    std::vector<Arg> key;
    if (c.key) key.push_back(Value::Text(Bytes(*c.key)));
    std::string cipher = InPlace("KVEncryptTxt2", c.value, key);
    EXPECT_TRUE(SameBytes(cipher, Bytes(c.expected)));
    EXPECT_TRUE(SameBytes(InPlace("KVEncryptTxt2", cipher, key), Bytes(c.value)));
  }
}

struct KeyFile {
  enum Kind { kNone, kMissing, kWith } kind;
  std::string_view bytes;
};
struct ByteBlockCase {
  const char* name;
  std::string_view plain;
  KeyFile keyFile;
  std::string_view cipher;
};
// clang-format off
const ByteBlockCase kByteBlock[] = {
// BEGIN reference table byte_block
    {"no key file, one byte", "x"sv, {KeyFile::kNone, {}}, "\xa6"sv},
    {"key file with 0x00, 0xFF and Chinese",
     "\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8a\x8b\x8c\x8d\x8e\x8f\x90\x91\x92\x93\x94\x95\x96\x97\x98"
      "\x99\x9a\x9b\x9c\x9d\x9e\x9f\xa0\xa1\xa2\xa3\xa4\xa5\xa6\xa7\xa8\xa9\xaa\xab\xac\xad\xae\xaf\xb0\xb1"
      "\xb2\xb3\xb4\xb5\xb6\xb7\xb8\xb9\xba\xbb\xbc\xbd\xbe\xbf\xc0\xc1\xc2\xc3\xc4\xc5\xc6\xc7\xc8\xc9\xca"
      "\xcb\xcc\xcd\xce\xcf\xd0\xd1\xd2\xd3\xd4\xd5\xd6\xd7\xd8\xd9\xda\xdb\xdc\xdd\xde\xdf\xe0\xe1\xe2\xe3"
      "\xe4\xe5\xe6\xe7\xe8\xe9\xea\xeb\xec\xed\xee\xef\xf0\xf1\xf2\xf3\xf4\xf5\xf6\xf7\xf8\xf9\xfa\xfb\xfc"
      "\xfd"sv,
     {KeyFile::kWith, "key file\x00\xff\xc3\xdc\xd4\xbf"sv},
     "\xad|\xc3P\xebzKQ\xddv\x97\xd8\xc5p\xc1\x7f\xff" "a\xbfYsc\x8b\xeb\x93\xe0\xc7\xde\xd1y\xe5n\xa7\xc7"
      "\x93\xe5\x8d\xe3\x01\xf8\x81h\xc1\xee\xf1\xe4\x91\xe6'M9\xf4\xc9\xf0\xf7\xea\xc1\xee\x95\xe7\x07O\x93"
      "vi\xd5\xdfJ\x0f\xc1\t\xce!\\\xef" "D\xe3SM\xdb" "1\xff\x01\xc2\xeb\xfd\xf1\xf8{X9]c\xdd" "5y\x05\xd5"
      "'Ao\xc5\x0fY7\xddSdkioKK\xc9gh/V\xa5@\x1f\\\xb9M}R"sv},
    {"empty key file", "? 1"sv, {KeyFile::kWith, ""sv}, "\xbc\xac\xa4"sv},
    {"unreadable key file", "? 1"sv, {KeyFile::kMissing, {}}, "\xb0!\x82"sv},
// END reference table byte_block
};
// clang-format on

TEST_F(CryptoKnownAnswers, ByteBlockWithKeyFiles) {
  for (const auto& c : kByteBlock) {
    SCOPED_TRACE(c.name);
    std::vector<Arg> keyFile;
    if (c.keyFile.kind != KeyFile::kNone) {
      std::string path = dir.file("row.key");
      DeleteFileA(path.c_str());
      if (c.keyFile.kind == KeyFile::kWith) WriteFile(path, Bytes(c.keyFile.bytes));
      keyFile.push_back(Value::Text(path));
    }
    EXPECT_TRUE(SameBytes(InPlace("KVEncryptByteBlock2", c.plain, keyFile), Bytes(c.cipher)));
  }
}

struct RunBatchCase {
  const char* name;
  std::string_view cipher;
  std::optional<std::string_view> exe;  // bytes of the executable it is bound to
  std::vector<std::string_view> lines;
};
// clang-format off
const RunBatchCase kRunBatch[] = {
// BEGIN reference table run_batch
    {"lines, an empty line, no line break at the end",
     "\xa6,&\x07\xa6\x08\xc8\x10\xee\xb0\xa2\x8fV6\xcc\xb0\xfe"sv,
     std::nullopt,
     {"x = 41"sv, "? x + 1"sv}},
    {"a NUL ends the text",
     "\x94,&\x07\xac\x95\x16\x05\x8e\xa5\xb8\x9f`6\xe0\xb0\xfa"sv,
     std::nullopt,
     {"a = 1"sv, "b = 2"sv}},
    {"bound to the executable, Chinese",
     "\xbc\xa0\xc2\xfa\xe9\xdfS\xa3*\x9e\x04\x16\xae\x14"sv,
     std::optional<std::string_view>("MZ stand-in executable A\x00\xff\xd6\xd0\xce\xc4 text"sv),
     {"? '\xd6\xd0\xce\xc4 text'"sv}},
// END reference table run_batch
};
// clang-format on

// Cipher texts made by the reference alone, run by the library.
TEST_F(CryptoKnownAnswers, RunBatch) {
  for (const auto& c : kRunBatch) {
    SCOPED_TRACE(c.name);
    std::optional<StandInExe> exe;
    std::vector<Arg> args = {Value::Text(Bytes(c.cipher))};
    if (c.exe) {
      exe.emplace(emu, dir, *c.exe);
      ASSERT_TRUE(exe->active());
      args.push_back(Value::Int(1));
    }
    emu.commands.clear();
    CallResult r = emu.call("KVRunFoxBatch2", args);
    EXPECT_FALSE(r.sent());
    EXPECT_EQ(r.error, 0);
    EXPECT_EQ(emu.commands, std::vector<std::string>(c.lines.begin(), c.lines.end()));
  }
}

struct FileBuffer2Case {
  const char* name;
  std::string_view buffer, key, cipher;
};
// clang-format off
const FileBuffer2Case kFileBuffer2[] = {
// BEGIN reference table file_buffer2
    {"one byte, one-character key",
     "x"sv,
     "k"sv,
     "\xd7\xc1\x1d<\xb0" "4i\xc0\x1c\x00\x8a\xaf!\xb2\x85W\x85\xa8\x00\xf7\xd1_S\xfe\xf9K.\xad\xff\xa8\x03"
      "ZQ\xa7\x81\xf8\xabVq\xa4\x06`\x13m=t\x1e;\x9f\xb6\x01\xf9W\xfdyZxG\xad\xabW\xbe\x83Ny\x01\xadL\xab\xf0"
      "s\xa4\x84\xaa\x0f\x03\xa7\x04,\xf7\x06\xc6\xb0" "3M"sv},
    {"0x00 and 0xFF, Chinese key",
     "\x00\xff\x00\x80\x7f\xff\x01\xfe"sv,
     "\xc3\xdc\xd4\xbf"sv,
     "\xaeg$\xac\xa8R\xe4\xe7" "3\xb0" "2\xce\xc5\xe5\xcd" "2\x01\xa8\xfa\x82\xf3.\xa0\xf8\x04\xdf\xa1\x06"
      "\xf3\x82\xbe\xd2\x08\x8a\xf6\x85" "C\xdbV\x84U,\xf6\xd5\xa7\xfd\xa9(a18\x9e'\xb5\xcc\xe2\xac\xf7\x03"
      "\x02S\x81\xbaQ\xac\x88" "F,\xef_\xf2\x84\xf9(@\xd4\x0b\xd4\x05\xae\x11(\xfa\x87[\xa9\x06\xfbjoe\x9a"sv},
    {"a NUL ends the key",
     "secret data"sv,
     "key\x00more"sv,
     "\xdd\xfc" "B[\xba\xdb\x94|<?m\x91\x9b\x99\x1f\xc7\x1b\xc2N\xa9R\xfe\xd3\xf2\x80\xa9Q[\xfe\xbc\xdf" "E"
      "\xde\xb0\x05\xa8\x80\xf6\xd9PR\xac\xad\xf7\x07]\x04\xa5\x03\xa6T\xc9\xcb<\xcf \x1b\xc5KS\xff\x14\xf1"
      "C]\x08\x05\xb2\xabVqR\xd7\xa2/\xe3\x82\xfd\x03\x01\x87\x00\xd2\xb9z\xfeW\\\x82\xa7y5NxC"sv},
    {"33 bytes",
     "\xf0\xf1\xf2\xf3\xf4\xf5\xf6\xf7\xf8\xf9\xfa\xfb\xfc\xfd\xfe\xff\x00\x01\x02\x03\x04\x05\x06\x07\x08"
      "\t\n\x0b\x0c\r\x0e\x0f\x10"sv,
     "key"sv,
     "\x0bo\xd1\x8d|\\A\xbe\xf2\xe1\xa3\xd5\xfd" "2'\x80o\x0b\x11\xdd\xea'\x97\xdfqe>\t\xd9\xf7^b\xbc\x91\x9e"
      "\xcd\x1e\x95N\xc6L\xf7U\xfd\x82\xa2\x88\xff\x01\r\xfe\xe0\x83\x11\x83\xe8U\xaf\x8a\xa8\x82\x01\x05\xfe"
      "\xfe\xf7\x02\t\x05\xf7V\xa2V\x97\xcc?\x9e$\x13\x93\x1b\x05\xffH\xad\x17\x00PU\xb5\xa1\x08*\x03\x80\xf0"
      "|\xe3\x87\xa9\x02S\xd2\x04\xd0\xe7}\xfd\x06\x0c\x8a\xf1)cN$\x1f"sv},
    {"100 bytes, into the reordered part of the key block",
     "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~\x7f\x80\x81\x82\x83\x84\x85\x86\x87"
      "\x88\x89\x8a\x8b\x8c\x8d\x8e\x8f\x90\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9a\x9b\x9c\x9d\x9e\x9f\xa0"
      "\xa1\xa2\xa3"sv,
     "key"sv,
     "\xbe\xd2m=\x93\xba\xa6Y\x17W\x10" "dA\x85\xc1" "b8YE\x8c\xe1{\xc0\x8d*55X\x8c\xf4\x03" "4\xc9\xef" "1"
      "\xef\xa7" "1\x19\x98\x1d\xbb\xe4\x88\xe6" "8t\xae\xbe\xbe\xb9\xc5\xe6\xe5L\xd7%\x99" "9U\xb3x\xd2\xea"
      "jS\xca\x94" "1\xac\x90W2\xf3" "b\xa5v\xb6u\x03\x89_,\xe6\xb8l\x18\x13\xe9" "B\x07\xee\x19ww\x87\x92\xc8"
      "\xd8" "b\xc6\xc0\x96\x18\xc6\x19\xc5\x1a\xa6\x00\xff\x81\xac\x85\xf8V]\xa7\xb1\xd7M\x84\xeeV\xa4\x8c"
      "\xfb\xd0\x06W\xa4\xfb\xa0\\R\x03\xa4\x01\xa1\x00\xc6\x99=\x9d\xa0\x1e\x94LU\xa6\x19\xf9K\x07VV\xbe\xa7"
      "[x\x04\xd2\xaay\xb4\xd9\xf2\x04\x00\x85\x07\x86\xb6(\xff\x05\x02\x87\xf6~3\x17uK"sv},
// END reference table file_buffer2
};
// clang-format on

// With the library's own key resource.
TEST_F(CryptoKnownAnswers, FileBuffer2) {
  for (const auto& c : kFileBuffer2) {
    SCOPED_TRACE(c.name);
    Value key = Value::Text(Bytes(c.key));
    CallResult enciphered = emu.call("KVEncryptFileBuffer2", {Value::Text(Bytes(c.buffer)), key, Value::Int(1)});
    EXPECT_TRUE(SameBytes(enciphered.value.text, Bytes(c.cipher)));
    CallResult deciphered = emu.call("KVEncryptFileBuffer2", {Value::Text(Bytes(c.cipher)), key, Value::Int(0)});
    EXPECT_TRUE(SameBytes(deciphered.value.text, Bytes(c.buffer)));
  }
}

struct StreamCase {
  const char* name;
  std::string_view exe, stream;
  std::vector<std::string_view> entries;
};
// clang-format off
const StreamCase kStreams[] = {
// BEGIN reference table streams
    {"three strings",
     "MZ stand-in executable A\x00\xff\xd6\xd0\xce\xc4 text"sv,
     "A\x06\xf6\r\xbdhaK\x1d\x1c\x01Gdc>\x1e\x00\xe8\x03\xfc" "1g\x9bilie\x96\x9bW\x0c\xaf\xa6\xfe\n\xa3\x0e"
      "\xfe\\\x00\x0e\x0fQ\xaf\x04\xfaV^X^\xa5_T\x00\xa3_\x08[S\xa3\xfdgh\x99\x96\x8en\x9bj\xfdZQ\\\\]\xf0\x07"
      "\xa8\\\n\tP\xf1S\x00P\xfdZ]]R\xa7\xfa^\x0e\xa1\xa0\xf9Z\xaa[\x9bkfh"sv,
     {"one"sv, "two"sv, "three"sv}},
    {"Chinese, blank lines",
     "MZ stand-in executable B"sv,
     "j\x90\xc2\xbb\xb9\xa0R\xbb\x1c\x00\x14\xef:mcM\x93If\x97m\x99neemY\x0c\xa1W\xfd\x01\xaf\x02\xf2_\x08"
      "\x0c\xf4\xa2S\xf5\x04VP\xa2_XR\xa4\x01\xaf[\xfd\\SP\x0bih\x97g\x8a" "e\x97" "f\xf5Z\nR\xa7\xa3R\xa7V"
      "ZW\xf5X\tZ\xf4T\xf5X\xa0\x0b\x07\x07XPX\xf5W\xadV\xf6P\x97hnj"sv,
     {"\xd6\xd0\xce\xc4 text"sv, "\xff"sv}},
// END reference table streams
};
// clang-format on

// Streams made by the reference alone for a stand-in executable.
TEST_F(CryptoKnownAnswers, Streams) {
  for (const auto& c : kStreams) {
    SCOPED_TRACE(c.name);
    StandInExe exe(emu, dir, c.exe);
    ASSERT_TRUE(exe.active());
    CallResult loaded = emu.call("LoadStringSrcStream", {Value::Text(Bytes(c.stream))});
    ASSERT_EQ(loaded.value.integer, static_cast<int32_t>(c.entries.size()));
    for (size_t n = 1; n <= c.entries.size(); ++n) {
      EXPECT_TRUE(SameBytes(emu.call("GetStringSrcById", {Value::Int(static_cast<int32_t>(n))}).value.text,
                            Bytes(c.entries[n - 1])))
          << n;
    }
    EXPECT_EQ(emu.call("GetStringSrcById", {Value::Int(static_cast<int32_t>(c.entries.size() + 1))}).value.text,
              "!!!xxxxx");
  }
}

}  // namespace
}  // namespace larch::test
