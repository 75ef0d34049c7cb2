#include "text/wildcard.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "text_wildcard_reference.h"

namespace larch {
namespace {

std::string RandomText(std::mt19937& rng, const std::string& alphabet, size_t maxLength) {
  std::uniform_int_distribution<size_t> length(0, maxLength);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::string s(length(rng), ' ');
  for (char& c : s) c = alphabet[pick(rng)];
  return s;
}

struct SearchCase {
  const char* text;
  const char* pattern;
  std::ptrdiff_t start;
  std::ptrdiff_t expected;
};

TEST(WildcardSearch, Cases) {
  // clang-format off
  const SearchCase cases[] = {
      {"abc", "", 0, 0},        {"abc", "", 3, 3},        {"abc", "", 5, -1},
      {"abcabc", "b?a", 0, 1},  {"abc", "*", 0, -1},      {"a*c", "*", 0, 1},
      {"abcabc", "abc", 1, 3},  {"abc", "abc", -1, -1},   {"abc", "abcd", 0, -1},
      // A failure table built with "?" misses or skips these occurrences.
      {"aaab", "a?b", 0, 1},    {"aaabb", "a?b", 0, 1},   {"baaba", "a?a", 0, 2},
      {"xyz\xB9\xFA", "?\xFA", 0, 3},
  };
  // clang-format on
  for (const SearchCase& c : cases) {
    EXPECT_EQ(WildcardSearch(c.text, c.pattern, c.start), c.expected)
        << c.text << " / " << c.pattern << " from " << c.start;
  }
}

TEST(WildcardSearch, AgreesWithBruteForce) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = RandomText(rng, "ab?", 24);
    const std::string pattern = RandomText(rng, "ab?", 6);
    const std::ptrdiff_t start = std::uniform_int_distribution<int>(-1, 8)(rng);
    ASSERT_EQ(WildcardSearch(text, pattern, start), BruteSearch(text, pattern, start))
        << text << " / " << pattern << " from " << start;
  }
}

TEST(WildcardSearch, PatternsLongerThanAWord) {
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    std::string text = RandomText(rng, "aab", 400);
    std::string pattern = RandomText(rng, "a?", 150);
    if (round % 3 == 0 && text.size() > 10) {
      // Plant an occurrence (with some bytes turned into "?").
      const size_t at = text.size() / 3;
      pattern = text.substr(at, std::min<size_t>(text.size() - at, 70 + round % 60));
      for (size_t k = 0; k < pattern.size(); k += 5) pattern[k] = '?';
    }
    ASSERT_EQ(WildcardSearch(text, pattern, 0), BruteSearch(text, pattern, 0)) << text << " / " << pattern;
  }
}

struct MatchCase {
  const char* text;
  const char* pattern;
  bool caseSensitive;
  bool expected;
};

TEST(WildcardMatch, Cases) {
  // clang-format off
  const MatchCase cases[] = {
      {"Hello.txt", "*.TXT", false, true}, {"Hello.txt", "*.TXT", true, false},
      {"", "", false, true},               {"a", "", false, false},
      {"", "*", false, true},              {"anything", "*", false, true},
      {"ab", "ab?", false, false},         {"abc", "ab", false, false},
      {"abxcd", "a**cd", false, true},     {"aXbXc", "*x*x*", false, true},
      {"aXbXc", "*x*x*", true, false},     {"abc", "a?c", false, true},
      {"ab", "a*b*", false, true},         {"aab", "*ab", false, true},
      {"ab", "*ab*b", false, false},       {"\xC4\xE3\xBA\xC3", "??\xBA?", false, true},
      {"mississippi", "m*iss*ppi", false, true},
      {"[A]", "[a]", false, true},         {"\xC1", "\xE1", false, false},
  };
  // clang-format on
  for (const MatchCase& c : cases) {
    EXPECT_EQ(WildcardMatch(c.text, c.pattern, c.caseSensitive), c.expected)
        << c.text << " / " << c.pattern << (c.caseSensitive ? " (case)" : "");
  }
}

TEST(WildcardMatch, AgreesWithBruteForce) {
  std::mt19937 rng(99);
  for (int round = 0; round < 30000; ++round) {
    const std::string text = RandomText(rng, "abAB", 12);
    const std::string pattern = RandomText(rng, "aAb?**", 8);
    const bool caseSensitive = round % 2 == 0;
    ASSERT_EQ(WildcardMatch(text, pattern, caseSensitive), BruteMatch(text, pattern, caseSensitive))
        << text << " / " << pattern << (caseSensitive ? " (case)" : "");
  }
}

TEST(WildcardMatch, ManyStarsOnALongTextStayLinear) {
  // Backtracking matchers take a polynomial of high degree here; this one
  // scans the text once per piece.
  const std::string text(1 << 20, 'a');
  EXPECT_FALSE(WildcardMatch(text, "*a*a*a*a*a*b", true));
  EXPECT_TRUE(WildcardMatch(text + "b", "*a*a*a*a*a*b", true));
}

}  // namespace
}  // namespace larch

namespace larch {
namespace {

TEST(WildcardMatchList, ItemsAreTriedInTurn) {
  const MatchCase cases[] = {
      {"report.doc", "*.txt,*.doc", false, true},
      {"report.doc", "*.txt,*.xls", false, false},
      {"a", ",,,", false, false},
      {"a", "a,", false, true},
      {"a", ",a", false, true},
      {"", ",", false, false},
      {"a b", "x, a b", false, false},  // the blank belongs to the item
      {"a b", "x,a b", false, true},
      {"README", "*.txt,read*", false, true},
      {"README", "*.txt,read*", true, false},
  };
  for (const MatchCase& c : cases) {
    EXPECT_EQ(WildcardMatchList(c.text, c.pattern, c.caseSensitive), c.expected) << c.text << " / " << c.pattern;
  }
}

}  // namespace
}  // namespace larch

namespace larch {
namespace {

// GBK: 中 D6 D0, 文 CE C4, 形 D0 CE (its bytes straddle 中文), 東 96 7C,
// 丄 81 41 (second byte "A"), 乤 81 61 (second byte "a").
const LeadBytes kGbk = LeadBytes::gbk();

TEST(WildcardChars, SearchFindsWholeCharactersOnly) {
  // clang-format off
  const SearchCase cases[] = {
      {"\xD6\xD0\xCE\xC4", "\xD0\xCE", 0, -1},                   // 形 in 中文
      {"\xD6\xD0\xCE\xC4\xD0\xCE", "\xD0\xCE", 0, 4},            // 形 in 中文形
      {"\x96\x7C" "a|b", "|", 0, 3},                             // not the second byte of 東
      {"\xD6\xD0\xCE\xC4", "??", 1, 2},                          // ?? is one character
      {"\xD6\xD0\xCE\xC4", "?", 0, -1},                          // half a character is no match
      {"\xD6\xD0" "a", "?", 0, 2},
      {"\xD6\xD0" "ab", "", 1, 2},                               // empty: next character start
      {"a\xD6\xD0", "a\xD6\xD0", 0, 0},
  };
  // clang-format on
  for (const SearchCase& c : cases) {
    EXPECT_EQ(WildcardSearch(c.text, c.pattern, c.start, kGbk), c.expected)
        << testing::PrintToString(std::string(c.text)) << " / " << testing::PrintToString(std::string(c.pattern))
        << " from " << c.start;
  }
  // Without lead bytes the same texts are bytes, as before.
  EXPECT_EQ(WildcardSearch("\xD6\xD0\xCE\xC4", "\xD0\xCE", 0), 1);
  // clang-format off
  EXPECT_EQ(WildcardSearch("\x96\x7C" "a|b", "|", 0), 1);
  // clang-format on
}

TEST(WildcardChars, MatchTakesLiteralsAsWholeCharacters) {
  // clang-format off
  const MatchCase cases[] = {
      {"\xD6\xD0\xCE\xC4", "*\xD0\xCE*", false, false},          // 中文 / *形*
      {"\xD6\xD0\xCE\xC4", "\xD6\xD0*", false, true},            // 中文 / 中*
      {"\xD6\xD0\xCE\xC4", "????", false, true},                 // two characters as four bytes
      {"\xD6\xD0\xCE\xC4", "??\xCE\xC4", false, true},
      {"\xD6\xD0\xCE\xC4", "?*", false, true},                   // "?" still takes one byte
      {"\xD6\xD0\xCE\xC4", "*?", false, true},
      {"\xC4\xE3\xBA\xC3", "??\xBA?", false, false},             // half of 好 is no character
      {"\x96\x7C", "?|", false, false},                          // "|" is not 東's second byte
      {"\x96\x7C" "|", "*|", false, true},
      {"\x81\x41", "\x81\x61", false, false},                    // 丄 is not 乤 without case
      {"\x81\x41" "A", "\x81\x41" "a", false, true},             // a lone A still folds
      {"a\xD6\xD0" "b", "A*B", false, true},
  };
  // clang-format on
  for (const MatchCase& c : cases) {
    EXPECT_EQ(WildcardMatch(c.text, c.pattern, c.caseSensitive, kGbk), c.expected)
        << testing::PrintToString(std::string(c.text)) << " / " << testing::PrintToString(std::string(c.pattern));
  }
  EXPECT_TRUE(WildcardMatch("\xD6\xD0\xCE\xC4", "*\xD0\xCE*", false));  // bytes without lead bytes
  EXPECT_TRUE(WildcardMatchList("\xD6\xD0\xCE\xC4", "*\xD0\xCE*,\xD6\xD0*", false, kGbk));
  EXPECT_FALSE(WildcardMatchList("\xD6\xD0\xCE\xC4", "*\xD0\xCE*,?", false, kGbk));
}

TEST(WildcardChars, AgreeWithBruteForce) {
  std::mt19937 rng(936);
  // Lead bytes, bytes that are second bytes of some characters ("A", "|",
  // 0xD0) and wildcards.
  for (int round = 0; round < 30000; ++round) {
    const std::string text = RandomText(rng, "aA|\xD6\xD0\x81", 12);
    const std::string pattern = RandomText(rng, "aA|?*\xD6\xD0\x81", 7);
    const bool caseSensitive = round % 2 == 0;
    ASSERT_EQ(WildcardMatch(text, pattern, caseSensitive, kGbk), BruteMatch(text, pattern, caseSensitive, kGbk))
        << testing::PrintToString(text) << " / " << testing::PrintToString(pattern);
    const std::ptrdiff_t start = std::uniform_int_distribution<int>(0, 4)(rng);
    ASSERT_EQ(WildcardSearch(text, pattern, start, kGbk), BruteSearch(text, pattern, start, kGbk))
        << testing::PrintToString(text) << " / " << testing::PrintToString(pattern) << " from " << start;
  }
  for (int round = 0; round < 1000; ++round) {
    // Past the 64 bytes the scan keeps in a word.
    const std::string text = RandomText(rng, "a\xD6\xD0", 300);
    std::string pattern = RandomText(rng, "a?\xD0", 100);
    if (round % 2 == 0 && text.size() > 90) pattern = text.substr(text.size() / 3, 80);
    ASSERT_EQ(WildcardSearch(text, pattern, 0, kGbk), BruteSearch(text, pattern, 0, kGbk))
        << testing::PrintToString(text) << " / " << testing::PrintToString(pattern);
  }
}

}  // namespace
}  // namespace larch
