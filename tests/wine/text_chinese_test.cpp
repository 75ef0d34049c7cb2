// Code-page conversion, pinyin initials and stroke counts through the host
// interface.
#include <gtest/gtest.h>

#include "test_support.h"
#include "text_encoding.h"

namespace larch::test {
namespace {

struct Conversion {
  const char* traditional;  // as Big5 holds it
  const char* simplified;   // as GBK holds it
};

// Each test has a library of its own.
class CodePages : public ::testing::Test {
 protected:
  HostEmulator emu;
};

TEST_F(CodePages, Big5ToGbkSimplifies) {
  const Conversion cases[] = {
      {"國", "国"},
      {"中華民國萬歲", "中华民国万岁"},
      {"發展與後來", "发展与后来"},
      {"為眾裡", "为众里"},
      {"Mixed 臺灣 text, 123.", "Mixed 台湾 text, 123."},
  };
  for (const Conversion& c : cases) {
    EXPECT_EQ(Utf8(CallText(emu, "KVBig5ToGb2312", {Value::Text(Big5(c.traditional))}), kGbk), c.simplified)
        << c.traditional;
  }
}

TEST_F(CodePages, Big5ToGbkTakesTheFormListedForTheCharacterItself) {
  // A character OpenCC and Unihan both keep stays (抬, 著, 潀); one they
  // simplify takes the form they list for it, not the form of a Taiwan
  // variant (顎 is 颚, not 腭 of 齶; 鯰 is 鲶, not 鲇 of 鮎).
  const Conversion cases[] = {
      {"抬頭", "抬头"}, {"著名", "著名"}, {"顎骨", "颚骨"}, {"鯰魚", "鲶鱼"}, {"潀", "潀"}, {"什麼", "什么"},
  };
  for (const Conversion& c : cases) {
    EXPECT_EQ(Utf8(CallText(emu, "KVBig5ToGb2312", {Value::Text(Big5(c.traditional))}), kGbk), c.simplified)
        << c.traditional;
  }
}

TEST_F(CodePages, GbkToBig5UsesTaiwanForms) {
  // clang-format off
  const Conversion cases[] = {
      {"國", "国"},
      {"中華民國萬歲", "中华民国万岁"},
      {"發展與後來", "发展与后来"},
      {"幹", "干"},
      {"臺", "台"},
      {"為眾偽啟裡", "为众伪启里"},
  };
  // clang-format on
  for (const Conversion& c : cases) {
    EXPECT_EQ(Utf8(CallText(emu, "KVGb2312ToBig5", {Value::Text(Gbk(c.simplified))}), kBig5), c.traditional)
        << c.simplified;
  }
}

TEST_F(CodePages, AsciiEmptyAndReplacement) {
  for (const char* name : {"KVBig5ToGb2312", "KVGb2312ToBig5"}) {
    EXPECT_EQ(CallText(emu, name, {Value::Text("")}), "") << name;
    const std::string ascii = "Plain ASCII ~!@#$%^&*()_+ 0123456789";
    EXPECT_EQ(CallText(emu, name, {Value::Text(ascii)}), ascii) << name;
  }
  // Characters the other code page lacks become one replacement byte each;
  // 硷 and 瘘 take the traditional forms Big5 has.
  EXPECT_EQ(CallText(emu, "KVGb2312ToBig5", {Value::Text(Gbk("a硷ぁb"))}), "a" + Big5("鹼") + "?b");
  EXPECT_EQ(Utf8(CallText(emu, "KVGb2312ToBig5", {Value::Text(Gbk("硷瘘"))}), kBig5), "鹼瘺");
  EXPECT_EQ(CallText(emu, "KVBig5ToGb2312", {Value::Text(Big5("a‧b"))}), "a?b");
  // GBK characters that Big5 lacks take the system's best fit where it has
  // one: á a, ü u, ㈠ 一, ＂ ”.
  EXPECT_EQ(Utf8(CallText(emu, "KVGb2312ToBig5", {Value::Text(Gbk("áü㈠＂ぁ"))}), kBig5), "au一”?");
  // ... unless the code page has a best fit: Big5's macron (A1 C2) becomes
  // GBK's ˉ (A1 A5), two bytes.
  // clang-format off
  EXPECT_EQ(CallText(emu, "KVBig5ToGb2312", {Value::Text("a\xA1\xC2" "b")}), "a\xA1\xA5" "b");
  // clang-format on
  // The text ends at its first NUL, as the code-page calls read it.
  EXPECT_EQ(CallText(emu, "KVBig5ToGb2312", {Value::Text(std::string("ab\0cd", 5))}), "ab");
}

TEST_F(CodePages, ResultsThatGrow) {
  // GBK's one-byte euro sign (0x80) is two bytes in Big5 (A3 E1): each
  // result holds every character whole, however much it grew.
  auto euros = [](int n) {
    std::string big5;
    for (int k = 0; k < n; ++k) big5 += "\xA3\xE1";
    return big5;
  };
  EXPECT_EQ(CallText(emu, "KVGb2312ToBig5", {Value::Text(std::string(20, '\x80'))}), euros(20));
  EXPECT_EQ(CallText(emu, "KVGb2312ToBig5", {Value::Text("x" + std::string(3000, '\x80') + "y")}),
            "x" + euros(3000) + "y");
  // And back: Big5's euro sign is one GBK byte again.
  EXPECT_EQ(CallText(emu, "KVBig5ToGb2312", {Value::Text(euros(20))}), std::string(20, '\x80'));
}

TEST_F(CodePages, LongText) {
  std::string traditional;
  std::string simplified;
  for (int k = 0; k < 20000; ++k) {
    traditional += Big5("國語x");
    simplified += Gbk("国语x");
  }
  EXPECT_EQ(CallText(emu, "KVBig5ToGb2312", {Value::Text(traditional)}), simplified);
}

TEST(CnCharToSpell, InitialsThroughTheInterface) {
  HostEmulator emu;
  EXPECT_EQ(CallText(emu, "KVCnCharToSpell", {Value::Text("")}), "");
  EXPECT_EQ(CallText(emu, "KVCnCharToSpell", {Value::Text("plain ASCII 1.")}), "plain ASCII 1.");
  EXPECT_EQ(CallText(emu, "KVCnCharToSpell", {Value::Text(Gbk("abc中文"))}), "abcZW");
  EXPECT_EQ(CallText(emu, "KVCnCharToSpell", {Value::Text(Gbk("阿八匝廓，"))}), Gbk("ABZL，"));
}

TEST(CnCharToSpell, CompatibilityIdeographsAreSpelledAndCounted) {
  HostEmulator emu;
  // GBK FD9C-FE41 are the compatibility ideographs U+F92C U+F979 U+F995
  // U+F9E7 U+F9F1 U+FA0C U+FA0D, which stand for 郎 凉 秊 裏 隣 兀 嗀; each
  // takes the initial of its character, and the stroke count agrees that
  // it is a character.
  const std::pair<const char*, const char*> cases[] = {
      {"\xFD\x9C", "L"}, {"\xFD\x9D", "L"}, {"\xFD\x9E", "N"}, {"\xFD\x9F", "L"},
      {"\xFD\xA0", "L"}, {"\xFE\x40", "W"}, {"\xFE\x41", "H"},
  };
  for (const auto& [gbk, initial] : cases) {
    EXPECT_EQ(CallText(emu, "KVCnCharToSpell", {Value::Text(std::string("a") + gbk)}), std::string("a") + initial)
        << Hex(gbk);
    EXPECT_EQ(CallText(emu, "KVCnCharToStroke", {Value::Text(gbk), Value::Int(1)}).size(), 2u) << Hex(gbk);
  }
}

TEST(CnCharToStroke, ModesThroughTheInterface) {
  HostEmulator emu;
  const std::string text = Gbk("a一b二北");
  EXPECT_EQ(CallText(emu, "KVCnCharToStroke", {Value::Text(text)}), "8");
  EXPECT_EQ(CallText(emu, "KVCnCharToStroke", {Value::Text(text), Value::Int(0)}), "8");
  EXPECT_EQ(CallText(emu, "KVCnCharToStroke", {Value::Text(text), Value::Int(1)}), "010205");
  EXPECT_EQ(CallText(emu, "KVCnCharToStroke", {Value::Text(text), Value::Int(2)}), "");
  EXPECT_EQ(CallText(emu, "KVCnCharToStroke", {Value::Text("abc")}), "0");
  EXPECT_EQ(CallText(emu, "KVCnCharToStroke", {Value::Text("abc"), Value::Int(1)}), "");
  EXPECT_EQ(CallText(emu, "KVCnCharToStroke", {Value::Text("")}), "");
  EXPECT_EQ(CallText(emu, "KVCnCharToStroke", {Value::Text("\xB1")}), "0");
}

}  // namespace
}  // namespace larch::test
