#include "text/chinese_chars.h"

#include <gtest/gtest.h>

#include <string>

#include "text/chinese_tables.h"
#include "text_gbk.h"

namespace larch {
namespace {

using testing::Gbk;

TEST(ChineseTables, PairsAreSortedAndUnique) {
  for (size_t k = 1; k < kTraditionalToSimplifiedCount; ++k) {
    ASSERT_LT(kTraditionalToSimplified[k - 1].from, kTraditionalToSimplified[k].from) << k;
  }
  for (size_t k = 1; k < kSimplifiedToTraditionalCount; ++k) {
    ASSERT_LT(kSimplifiedToTraditional[k - 1].from, kSimplifiedToTraditional[k].from) << k;
  }
}

TEST(ChineseCounterpart, BothDirections) {
  struct Case {
    char16_t simplified;
    char16_t traditional;
  };
  // OpenCC's defaults for one-to-many characters, Taiwan forms that Big5 has.
  // clang-format off
  const Case toTraditional[] = {{u'国', u'國'}, {u'发', u'發'}, {u'后', u'後'}, {u'干', u'幹'},
                                {u'台', u'臺'}, {u'为', u'為'}, {u'众', u'眾'}, {u'伪', u'偽'},
                                {u'启', u'啟'}, {u'里', u'裡'}, {u'A', u'A'},  {u'國', u'國'},
                                // The usual forms 礆, 瘻 are not in Big5; these are.
                                {u'硷', u'鹼'}, {u'瘘', u'瘺'}, {u'镎', u'錼'}};
  // clang-format on
  for (const Case& c : toTraditional) {
    EXPECT_EQ(ChineseCounterpart(c.simplified, ChineseForm::Traditional), c.traditional)
        << std::hex << static_cast<int>(c.simplified);
  }
  const Case toSimplified[] = {{u'国', u'國'}, {u'发', u'發'}, {u'发', u'髮'}, {u'后', u'後'}, {u'为', u'為'},
                               {u'众', u'眾'}, {u'里', u'裡'}, {u'干', u'乾'}, {u'A', u'A'},   {u'国', u'国'}};
  for (const Case& c : toSimplified) {
    EXPECT_EQ(ChineseCounterpart(c.traditional, ChineseForm::Simplified), c.simplified)
        << std::hex << static_cast<int>(c.traditional);
  }
}

// A character takes the simplified form listed for itself, never one that
// a Taiwan-variant pair implies (抬->擡, 顎->齶->腭), and one that is a
// simplified form already stays.
TEST(ChineseCounterpart, SimplifiedFormsListedForTheCharacterItself) {
  struct Case {
    char16_t traditional;
    char16_t simplified;
  };
  // clang-format off
  const Case cases[] = {
      {u'抬', u'抬'}, {u'著', u'著'}, {u'潀', u'潀'},  // kept by OpenCC and Unihan
      {u'么', u'么'}, {u'戠', u'戠'},                   // listed as simplified forms of their own
      {u'顎', u'颚'}, {u'鯰', u'鲶'},                   // not 腭, 鲇 (the forms of 齶, 鮎)
      {u'齶', u'腭'}, {u'麼', u'么'}, {u'乾', u'干'}, {u'汙', u'污'},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(ChineseCounterpart(c.traditional, ChineseForm::Simplified), c.simplified)
        << std::hex << static_cast<int>(c.traditional);
  }
}

TEST(PinyinInitials, Text) {
  struct Case {
    const char* utf8;
    const char* initials;
  };
  const Case cases[] = {
      {"abc 123,.", "abc 123,."},
      {"abc中文", "abcZW"},
      // Boundary characters classify under their own rows; 啊 sorts with 阿.
      {"阿啊八匝廓", "AABZL"},
      {"北京欢迎你", "BJHYN"},
      {"长城", "CC"},
      {"驴女略", "LNL"},
      {"，。（）", "，。（）"},  // symbols sort before all characters
      {"鑫犇", "XB"},            // outside GB2312 level 1: by their first reading
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PinyinInitials(Gbk(c.utf8)), Gbk(c.initials)) << c.utf8;
  }
  EXPECT_EQ(PinyinInitials("ab\xB0"), "ab\xB0");  // a lone last lead byte
}

// GBK's compatibility ideographs are read as the characters they stand
// for, and counted like them: both functions take them for characters.
TEST(PinyinInitials, CompatibilityIdeographsTakeTheirUnifiedCharactersInitial) {
  struct Case {
    const char* gbk;      // the compatibility ideograph
    const char* unified;  // the character it stands for, UTF-8
  };
  // clang-format off
  const Case cases[] = {
      {"\xFD\x9C", "郎"}, {"\xFD\x9D", "凉"}, {"\xFD\x9E", "秊"}, {"\xFD\x9F", "裏"},
      {"\xFD\xA0", "隣"}, {"\xFE\x40", "兀"}, {"\xFE\x41", "嗀"},
      {"\xFE\x49", "蘒"},  // 蘒 U+FA20, another compatibility ideograph of GBK
  };
  // clang-format on
  std::string all, initials;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.unified);
    const std::string initial = PinyinInitials(Gbk(c.unified));
    ASSERT_EQ(initial.size(), 1u);
    EXPECT_EQ(PinyinInitials(c.gbk), initial);
    EXPECT_NE(StrokeCounts(c.gbk, 1), "");
    all += c.gbk;
    initials += initial;
  }
  EXPECT_EQ(initials, "LLNLLWHQ");
  EXPECT_EQ(PinyinInitials(all), initials);
}

TEST(StrokeCounts, ModesAndCounts) {
  struct Case {
    const char* utf8;
    const char* total;
    const char* each;
  };
  // clang-format off
  const Case cases[] = {
      {"abc", "0", ""},
      {"一二", "3", "0102"},
      {"a一b二c", "3", "0102"},
      {"北雨国", "21", "050808"},
      {"丣並乾亁僵", "53", "0708111215"},
      {"灩", "29", "29"},
      {"灪", "0", ""},        // at the last row's character: counts nothing
      {"，", "0", ""},        // symbols sort before 一
      {"齉", "0", ""},        // 36 strokes: beyond the last row
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(StrokeCounts(Gbk(c.utf8), 0), c.total) << c.utf8;
    EXPECT_EQ(StrokeCounts(Gbk(c.utf8), 1), c.each) << c.utf8;
    EXPECT_EQ(StrokeCounts(Gbk(c.utf8), 2), "") << c.utf8;
  }
  EXPECT_EQ(StrokeCounts("\xD2", 0), "0");  // a lone last lead byte
}

TEST(CompareGbkChars, InvalidCodesSortFirst) {
  const unsigned char a[] = {0xB0, 0xA1};  // 啊
  const unsigned char bad[] = {0x80, 0x41};
  const unsigned char symbol[] = {0xA1, 0xA2};
  EXPECT_GT(CompareGbkChars(Collation::Pinyin, a, bad), 0);
  EXPECT_EQ(CompareGbkChars(Collation::Strokes, bad, symbol), 0);
  EXPECT_LT(CompareGbkChars(Collation::Strokes, symbol, a), 0);
}

}  // namespace
}  // namespace larch
