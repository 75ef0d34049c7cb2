// LoadStringSrcStream and GetStringSrcById, with streams made by larch-pack.
#include <gtest/gtest.h>

#include "crypto_pack.h"
#include "import_patch.h"
#include "test_support.h"

namespace larch::test {
namespace {

DWORD WINAPI NoModuleFileName(HMODULE, LPSTR buffer, DWORD size) {
  if (size) buffer[0] = '\0';
  SetLastError(ERROR_ACCESS_DENIED);
  return 0;
}

class CryptoStringSource : public testing::Test {
 protected:
  // A stream made by larch-pack from the payload for the executable.
  std::string Pack(const std::string& payload, const std::string& exe = TestExePath(), const std::string& flags = "",
                   Caller caller = {}) {
    TRACE_CALLER(caller);
    std::string in = dir.file("strings.txt"), out = dir.file("strings.bin");
    WriteFile(in, payload);
    DeleteFileA(out.c_str());
    EXPECT_EQ(RunPack("strings " + Quoted(in) + " " + Quoted(out) + " --exe " + Quoted(exe) + " " + flags), 0);
    return ReadFile(out);
  }
  int32_t Load(const std::string& stream, Caller caller = {}) {
    return CallInteger(emu, "LoadStringSrcStream", {Value::Text(stream)}, caller);
  }
  std::string Get(int32_t n, Caller caller = {}) { return CallText(emu, "GetStringSrcById", {Value::Int(n)}, caller); }

  HostEmulator emu;
  TempDir dir;
};

TEST_F(CryptoStringSource, LoadsStringsByNumber) {
  EXPECT_EQ(Get(1), "!!!xxxxx");  // nothing loaded yet
  std::string stream = Pack("'one'\r\n\"two\"\r\n[three]");
  EXPECT_EQ(Load(stream), 3);
  EXPECT_EQ(Get(1), "one");
  EXPECT_EQ(Get(2), "two");
  EXPECT_EQ(Get(3), "three");
  for (int32_t n : {0, 4, -1}) EXPECT_EQ(Get(n), "!!!xxxxx") << n;
}

TEST_F(CryptoStringSource, BlankLinesAndLabelsDoNotShiftNumbers) {
  std::string payload =
      "\r\n"
      "title = \"\xD6\xD0\xCE\xC4\xB1\xEA\xCC\xE2\"   && window title\r\n"
      "\r\n\r\n"
      "ok: [OK]\n"
      "'it''s'\n";
  // The last line holds two strings: larch-pack refuses it unless told.
  std::string in = dir.file("bad.txt");
  WriteFile(in, payload);
  EXPECT_NE(RunPack("strings " + Quoted(in) + " " + Quoted(dir.file("bad.bin")) + " --exe " + Quoted(TestExePath())),
            0);

  EXPECT_EQ(Load(Pack(payload, TestExePath(), "--allow-malformed")), 3);
  EXPECT_EQ(Get(1), "\xD6\xD0\xCE\xC4\xB1\xEA\xCC\xE2");
  EXPECT_EQ(Get(2), "OK");
  EXPECT_EQ(Get(3), "it");
  EXPECT_EQ(Get(4), "!!!xxxxx");  // never an entry that no line holds
}

TEST_F(CryptoStringSource, OpensOnlyInItsOwnExecutable) {
  EXPECT_EQ(Load(Pack("'mine'")), 1);
  std::string foreign = Pack("'theirs'\n'more'", BinDir() + "larch-shell.exe");
  EXPECT_EQ(Load(foreign), 0);
  EXPECT_EQ(Get(1), "mine");  // a failed load keeps the table
  EXPECT_EQ(Get(2), "!!!xxxxx");
}

TEST_F(CryptoStringSource, RefusesShortOrAlteredStreams) {
  std::string stream = Pack("'a'\n'b'");
  EXPECT_EQ(Load(""), 0);
  EXPECT_EQ(Load(stream.substr(0, 84)), 0);
  EXPECT_EQ(Load(stream.substr(1)), 0);
  std::string altered = stream;
  altered[altered.size() - 10] ^= 1;
  EXPECT_EQ(Load(altered), 0);
  EXPECT_EQ(Load(stream), 2);
}

TEST_F(CryptoStringSource, UnreadableExecutableLoadsNothing) {
  std::string stream = Pack("'a'");
  {
    host::ImportPatch patch(emu.module(), "kernel32.dll", "GetModuleFileNameA", host::FakeOf(&NoModuleFileName));
    ASSERT_TRUE(patch.active());
    EXPECT_EQ(Load(stream), 0);
  }
  EXPECT_EQ(Load(stream), 1);
}

TEST_F(CryptoStringSource, SecondLoadReplacesTheFirst) {
  EXPECT_EQ(Load(Pack("'a'\n'b'\n'c'")), 3);
  EXPECT_EQ(Load(Pack("[z]")), 1);
  EXPECT_EQ(Get(1), "z");
  EXPECT_EQ(Get(2), "!!!xxxxx");
  EXPECT_EQ(Load(Pack("'x'\n\n'y'")), 2);
  EXPECT_EQ(Get(2), "y");
}

}  // namespace
}  // namespace larch::test
