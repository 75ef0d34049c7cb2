#include "text/parse_string.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace larch {
namespace {

// Reads items until the tokenizer reports the end, noting AtEnd after each.
struct Walk {
  std::vector<std::string> items;
  std::vector<bool> ends;
};

Walk ReadAll(ParseStringState& state) {
  Walk walk;
  while (!state.atEnd()) {
    walk.items.push_back(state.nextItem());
    walk.ends.push_back(state.atEnd());
  }
  return walk;
}

TEST(ParseString, ItemsAndEnds) {
  struct Case {
    const char* line;
    std::vector<std::string> items;
    std::vector<bool> ends;
  };
  const Case cases[] = {
      {"a|b|c", {"a", "b", "c"}, {false, false, true}},
      {"a|b|", {"a", "b"}, {false, true}},
      {"||a", {"a"}, {true}},
      {"a||", {"a", ""}, {false, true}},
      {"a||b", {"a", "b"}, {false, true}},
      {"|||", {""}, {true}},
      {"\xB9\x7C\xB9", {"\xB9", "\xB9"}, {false, true}},  // a GBK trail byte equal to "|"
  };
  for (const Case& c : cases) {
    ParseStringState state;
    state.setLine(c.line);
    const Walk walk = ReadAll(state);
    EXPECT_EQ(walk.items, c.items) << c.line;
    EXPECT_EQ(walk.ends, c.ends) << c.line;
  }
}

TEST(ParseString, DelimitersOnlyAtCharacterStarts) {
  struct Case {
    std::string line;
    char delimiter;
    std::vector<std::string> items;
  };
  // GBK: 東 96 7C, 億 83 7C, 瑋 AC 7C end in "|"; 方 B7 BD, 元 D4 AA.
  // clang-format off
  const Case cases[] = {
      {"\x96\x7C\xB7\xBD|\x83\x7C\xD4\xAA|\xAC\x7C", '|', {"\x96\x7C\xB7\xBD", "\x83\x7C\xD4\xAA", "\xAC\x7C"}},
      {"\xB9\x7C\xB9", '|', {"\xB9\x7C\xB9"}},  // one character and a lone lead byte
      {"||\x96\x7C||\x96\x7C|", '|', {"\x96\x7C", "\x96\x7C"}},
      {"\x96\x7C\x7C", '|', {"\x96\x7C"}},
      // A lead byte as delimiter never splits a character.
      {"a\xD6\xD0" "b", '\xD6', {"a\xD6\xD0" "b"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    ParseStringState state;
    state.setLine(c.line, LeadBytes::gbk());
    state.setDelimiter(c.delimiter);
    EXPECT_EQ(ReadAll(state).items, c.items) << testing::PrintToString(c.line);
  }
  ParseStringState state;
  // clang-format off
  state.setLine("\x96\x7C" "a|b", LeadBytes::gbk());
  EXPECT_EQ(state.nextItem(), "\x96\x7C" "a");
  // clang-format on
  EXPECT_EQ(state.takeRest(), "b");
}

TEST(ParseString, NothingLoaded) {
  ParseStringState state;
  EXPECT_TRUE(state.atEnd());
  EXPECT_EQ(state.nextItem(), "");
  EXPECT_EQ(state.takeRest(), "");
}

TEST(ParseString, DelimiterIsResetByLoadingALine) {
  ParseStringState state;
  state.setDelimiter(',');
  state.setLine("a,b");
  EXPECT_EQ(state.nextItem(), "a,b");

  state.setLine("a,b");
  state.setDelimiter(',');
  EXPECT_EQ(state.nextItem(), "a");
  EXPECT_EQ(state.nextItem(), "b");
}

TEST(ParseString, RestRewindAndLongItems) {
  ParseStringState state;
  state.setLine("a|b|c");
  EXPECT_EQ(state.nextItem(), "a");
  EXPECT_EQ(state.takeRest(), "b|c");
  EXPECT_TRUE(state.atEnd());
  EXPECT_EQ(state.takeRest(), "");
  state.rewind();
  EXPECT_EQ(ReadAll(state).items, (std::vector<std::string>{"a", "b", "c"}));

  state.setLine("|x");
  EXPECT_EQ(state.takeRest(), "|x");  // leading delimiters are kept

  const std::string longItem(1000, 'x');
  state.setLine(longItem + "|y");
  EXPECT_EQ(state.nextItem(), longItem);
  EXPECT_EQ(state.nextItem(), "y");
}

TEST(ParseString, LineStopsAtItsFirstNul) {
  ParseStringState state;
  state.setLine(std::string("a|b\0c", 5));
  EXPECT_EQ(ReadAll(state).items, (std::vector<std::string>{"a", "b"}));
  state.setLine(std::string("\0a", 2));
  EXPECT_TRUE(state.atEnd());
}

}  // namespace
}  // namespace larch
