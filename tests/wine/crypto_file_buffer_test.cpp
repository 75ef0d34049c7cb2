// KVEncryptFileBuffer2, its key-block resource and files made by larch-pack.
#include <gtest/gtest.h>
#include <windows.h>

#include "crypto_pack.h"
#include "import_patch.h"
#include "test_support.h"

namespace larch::test {
namespace {

using host::FakeOf;
using host::ImportPatch;

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131) ^ (i >> 7));
  return s;
}

class CryptoFileBuffer : public testing::Test {
 protected:
  // A text result either way: bytes ('C') for an answer, an empty handed
  // text ('H') for a refusal.
  CallResult Call(const std::string& buffer, const std::string& key, int mode, Caller caller = {}) {
    TRACE_CALLER(caller);
    CallResult r = emu.call("KVEncryptFileBuffer2", {Value::Text(buffer), Value::Text(key), Value::Int(mode)});
    EXPECT_TRUE(r.sent());
    EXPECT_EQ(r.error, 0);
    return r;
  }
  std::string Encipher(const std::string& buffer, const std::string& key, Caller caller = {}) {
    return Call(buffer, key, 1, caller).value.text;
  }
  std::string Decipher(const std::string& buffer, const std::string& key, Caller caller = {}) {
    return Call(buffer, key, 0, caller).value.text;
  }

  HostEmulator emu;
};

TEST_F(CryptoFileBuffer, RoundTripsWholeBuffers) {
  for (size_t n : {1u, 84u, 85u, 7000u, 300000u}) {
    SCOPED_TRACE(n);
    std::string plain = Pattern(n);
    CallResult cipher = Call(plain, "key text", 1);
    EXPECT_EQ(cipher.rawType, 'C');  // bytes of value 0 cross whole
    ASSERT_EQ(cipher.value.text.size(), n + 84);
    for (int mode : {0, 2, -1}) {
      CallResult back = Call(cipher.value.text, "key text", mode);
      EXPECT_EQ(back.value.text, plain) << n << " mode " << mode;
    }
  }
}

TEST_F(CryptoFileBuffer, KeyDecides) {
  std::string plain = Pattern(1000);
  std::string a = Encipher(plain, "alpha");
  EXPECT_EQ(Encipher(plain, "alpha"), a);
  std::string b = Encipher(plain, "beta");
  EXPECT_NE(a.substr(1000), b.substr(1000));
  EXPECT_EQ(Decipher(a, "beta"), "");
  // The key text ends at its first NUL.
  EXPECT_EQ(Encipher(plain, std::string("alpha\0tail", 10)), a);
  EXPECT_EQ(Encipher(plain, std::string("\0x", 2)), "");
}

TEST_F(CryptoFileBuffer, RefusedBuffers) {
  std::string cipher = Encipher(Pattern(500), "k");
  EXPECT_EQ(Decipher(cipher.substr(0, cipher.size() - 1), "k"), "");
  EXPECT_EQ(Decipher(cipher.substr(0, 84), "k"), "");
  EXPECT_EQ(Decipher("short", "k"), "");
  EXPECT_EQ(Encipher("", "k"), "");
  EXPECT_EQ(Encipher("data", ""), "");
  EXPECT_EQ(Decipher(cipher, ""), "");
}

HMODULE g_findResourceModule;
int g_findResourceCalls;
std::vector<std::pair<std::string, std::string>> g_messages;

HRSRC WINAPI MissingResource(HMODULE, LPCSTR, LPCSTR) {
  ++g_findResourceCalls;
  return nullptr;
}

int WINAPI RecordMessage(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  EXPECT_EQ(owner, nullptr);
  EXPECT_EQ(type, static_cast<UINT>(MB_OK));
  g_messages.emplace_back(text, caption);
  return IDOK;
}

TEST_F(CryptoFileBuffer, MissingResourceIsReportedOnEveryCallUntilFound) {
  std::string cipher = Encipher("payload", "k");  // the key block is loaded now
  g_findResourceCalls = 0;
  g_messages.clear();
  {
    ImportPatch find(emu.module(), "kernel32.dll", "FindResourceA", FakeOf(&MissingResource));
    ImportPatch box(emu.module(), "user32.dll", "MessageBoxA", FakeOf(&RecordMessage));
    ASSERT_TRUE(find.active() && box.active());
    EXPECT_EQ(Decipher(cipher, "k"), "payload");  // kept: not looked up again
    EXPECT_EQ(g_findResourceCalls, 0);

    EXPECT_FALSE(emu.runHook("ONQUIT").sent());  // releases the key block
    EXPECT_EQ(Decipher(cipher, "k"), "");
    EXPECT_EQ(Encipher("payload", "k"), "");
    EXPECT_EQ(g_findResourceCalls, 2);
    ASSERT_EQ(g_messages.size(), 2u);
    EXPECT_EQ(g_messages[0].first, "Fll Resource Invalid !!!");
    EXPECT_EQ(g_messages[0].second, "Larch_fll by brenwick");
  }
  EXPECT_EQ(Decipher(cipher, "k"), "payload");
}

TEST_F(CryptoFileBuffer, WithoutADisplayAMissingResourceFailsWithoutABox) {
  std::string cipher = Encipher("payload", "k");
  EXPECT_FALSE(emu.runHook("ONQUIT").sent());
  g_findResourceCalls = 0;
  g_messages.clear();
  {
    ImportPatch find(emu.module(), "kernel32.dll", "FindResourceA", FakeOf(&MissingResource));
    ImportPatch box(emu.module(), "user32.dll", "MessageBoxA", FakeOf(&RecordMessage));
    NoDesktop display(emu);
    ASSERT_TRUE(find.active() && box.active() && display.active());
    EXPECT_EQ(Decipher(cipher, "k"), "");
    EXPECT_EQ(Encipher("payload", "k"), "");
    EXPECT_EQ(g_findResourceCalls, 2);
    EXPECT_TRUE(g_messages.empty()) << g_messages.size() << " boxes";
  }
  EXPECT_EQ(Decipher(cipher, "k"), "payload") << "found again once it is there";
}

TEST_F(CryptoFileBuffer, FilesMadeAndOpenedByLarchPack) {
  TempDir dir;
  std::string plain = Pattern(20000);
  std::string in = dir.file("in.bin"), packed = dir.file("packed.bin"), back = dir.file("back.bin");
  WriteFile(in, plain);
  ASSERT_EQ(RunPack("encrypt " + Quoted(in) + " " + Quoted(packed) + " --key \"open sesame\""), 0);
  EXPECT_TRUE(SameBytes(ReadFile(packed), Encipher(plain, "open sesame")));
  EXPECT_TRUE(SameBytes(Decipher(ReadFile(packed), "open sesame"), plain));

  WriteFile(packed, Encipher(plain, "second key"));
  ASSERT_EQ(RunPack("decrypt " + Quoted(packed) + " " + Quoted(back) + " --key \"second key\""), 0);
  EXPECT_TRUE(SameBytes(ReadFile(back), plain));
  EXPECT_NE(RunPack("decrypt " + Quoted(packed) + " " + Quoted(back) + " --key wrong"), 0);
}

}  // namespace
}  // namespace larch::test
