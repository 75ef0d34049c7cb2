// KVEncryptTxt1 and KVEncryptTxt2 through the binary interface.
#include <gtest/gtest.h>

#include "test_support.h"

namespace larch::test {
namespace {

std::string Txt1(HostEmulator& emu, const std::string& text, int mode, Caller caller = {}) {
  return CallText(emu, "KVEncryptTxt1", {Value::Text(text), Value::Int(mode)}, caller);
}

// Each test has a library of its own.
class CryptoTxt1 : public ::testing::Test {
 protected:
  HostEmulator emu;
};

TEST_F(CryptoTxt1, WorkedValuesAndModes) {
  EXPECT_EQ(Txt1(emu, "abc", 1), "WYdcbajJ");
  EXPECT_EQ(Txt1(emu, "a", 1), "QYdcba==");
  for (int mode : {0, 2, -1}) EXPECT_EQ(Txt1(emu, "WYdcbajJ", mode), "abc") << mode;
  EXPECT_EQ(Txt1(emu, "WYdcbajJ\r\n", 0), "abc");
}

TEST_F(CryptoTxt1, RoundTripOfChineseAndBinaryText) {
  const std::string texts[] = {"\xD6\xD0\xCE\xC4 text", std::string(1000, '\xFF'), "x"};
  for (const std::string& t : texts) EXPECT_EQ(Txt1(emu, Txt1(emu, t, 1), 0), t);
  // Deciphering stops at the first NUL of the plain text.
  EXPECT_EQ(Txt1(emu, Txt1(emu, std::string("ab\0cd", 5), 1), 0), "ab");
}

TEST_F(CryptoTxt1, EmptyAndShortTexts) {
  for (int mode : {1, 0}) EXPECT_EQ(Txt1(emu, "", mode), "") << mode;
  for (const char* t : {"W", "WY", "WYd", "abcd"}) EXPECT_EQ(Txt1(emu, t, 0), "") << t;
}

class CryptoTxt2 : public testing::Test {
 protected:
  std::string Run(const std::string& value, std::vector<Arg> extra = {}, Caller caller = {}) {
    emu.setVariable("v", Value::Text(value));
    std::vector<Arg> args = {ByRef("v")};
    args.insert(args.end(), extra.begin(), extra.end());
    CallWithoutResult(emu, "KVEncryptTxt2", args, caller);
    return emu.variable("v")->scalar.text;
  }
  HostEmulator emu;
};

TEST_F(CryptoTxt2, SameCallTwiceGivesTheValueBack) {
  const std::string plain = "Secret \xD6\xD0\xCE\xC4 value";
  std::string keyed = Run(plain, {Value::Text("key")});
  EXPECT_NE(keyed, plain);
  EXPECT_EQ(keyed.size(), plain.size());
  EXPECT_EQ(Run(keyed, {Value::Text("key")}), plain);

  std::string unkeyed = Run(plain);
  EXPECT_NE(unkeyed, plain);
  EXPECT_NE(unkeyed, keyed);
  EXPECT_EQ(Run(unkeyed), plain);
}

TEST_F(CryptoTxt2, OneCharacterKeyAddsFiftyThree) {
  EXPECT_EQ(Run("AB", {Value::Text("\x01")}), (std::string{'A' ^ 54, 'B' ^ 54}));
  EXPECT_EQ(Run("AB", {Value::Text("\xCB")}), "AB");  // 0xCB + 53 wraps to 0
}

TEST_F(CryptoTxt2, ShortValuesWithoutKeyStayAndNulsAreKept) {
  for (const char* v : {"a", "ab", "abc"}) EXPECT_EQ(Run(v), v);
  EXPECT_NE(Run("abcd"), "abcd");
  std::string withNul("\0\0\0\0\0", 5);
  std::string out = Run(withNul, {Value::Text("k")});
  EXPECT_EQ(out.size(), 5u);
  EXPECT_EQ(out, std::string(5, static_cast<char>('k' + 53)));
}

TEST_F(CryptoTxt2, KeyIsCutAtItsFirstNul) {
  EXPECT_EQ(Run("some text", {Value::Text(std::string("key\0more", 8))}), Run("some text", {Value::Text("key")}));
  EXPECT_EQ(Run("some text", {Value::Text(std::string("\0x", 2))}), "some text");
  EXPECT_EQ(Run("some text", {Value::Text("")}), "some text");
  EXPECT_EQ(Run(""), "");
}

TEST_F(CryptoTxt2, NonCharacterVariableRaisesNine) {
  for (const Value& v : {Value::Int(5), Value::Bool(true), Value::Num(1.5)}) {
    SCOPED_TRACE(v.display());
    emu.setVariable("n", v);
    CallResult r = emu.call("KVEncryptTxt2", {ByRef("n"), Value::Text("key")});
    EXPECT_EQ(r.error, 9);
    EXPECT_EQ(emu.variable("n")->scalar, v);
  }
}

TEST_F(CryptoTxt2, RefusedStoreIsNotRaised) {
  emu.serviceHook = [](ServiceRecord& r) {
    if (r.operation != kStoreValue) return false;
    r.arg1 = static_cast<uint32_t>(-12);
    return true;
  };
  EXPECT_EQ(Run("abcdef", {Value::Text("key")}), "abcdef");
}

}  // namespace
}  // namespace larch::test
