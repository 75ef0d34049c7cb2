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
  while (!state.AtEnd()) {
    walk.items.push_back(state.NextItem());
    walk.ends.push_back(state.AtEnd());
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
    state.SetLine(c.line);
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
  const Case cases[] = {
      {"\x96\x7C\xB7\xBD|\x83\x7C\xD4\xAA|\xAC\x7C", '|', {"\x96\x7C\xB7\xBD", "\x83\x7C\xD4\xAA", "\xAC\x7C"}},
      {"\xB9\x7C\xB9", '|', {"\xB9\x7C\xB9"}},  // one character and a lone lead byte
      {"||\x96\x7C||\x96\x7C|", '|', {"\x96\x7C", "\x96\x7C"}},
      {"\x96\x7C\x7C", '|', {"\x96\x7C"}},
      // A lead byte as delimiter never splits a character.
      {"a\xD6\xD0" "b", '\xD6', {"a\xD6\xD0" "b"}},
  };
  for (const Case& c : cases) {
    ParseStringState state;
    state.SetLine(c.line, LeadBytes::Gbk());
    state.SetDelimiter(c.delimiter);
    EXPECT_EQ(ReadAll(state).items, c.items) << testing::PrintToString(c.line);
  }
  ParseStringState state;
  state.SetLine("\x96\x7C" "a|b", LeadBytes::Gbk());
  EXPECT_EQ(state.NextItem(), "\x96\x7C" "a");
  EXPECT_EQ(state.TakeRest(), "b");
}

TEST(ParseString, NothingLoaded) {
  ParseStringState state;
  EXPECT_TRUE(state.AtEnd());
  EXPECT_EQ(state.NextItem(), "");
  EXPECT_EQ(state.TakeRest(), "");
}

TEST(ParseString, DelimiterIsResetByLoadingALine) {
  ParseStringState state;
  state.SetDelimiter(',');
  state.SetLine("a,b");
  EXPECT_EQ(state.NextItem(), "a,b");

  state.SetLine("a,b");
  state.SetDelimiter(',');
  EXPECT_EQ(state.NextItem(), "a");
  EXPECT_EQ(state.NextItem(), "b");
}

TEST(ParseString, RestRewindAndLongItems) {
  ParseStringState state;
  state.SetLine("a|b|c");
  EXPECT_EQ(state.NextItem(), "a");
  EXPECT_EQ(state.TakeRest(), "b|c");
  EXPECT_TRUE(state.AtEnd());
  EXPECT_EQ(state.TakeRest(), "");
  state.Rewind();
  EXPECT_EQ(ReadAll(state).items, (std::vector<std::string>{"a", "b", "c"}));

  state.SetLine("|x");
  EXPECT_EQ(state.TakeRest(), "|x");  // leading delimiters are kept

  const std::string longItem(1000, 'x');
  state.SetLine(longItem + "|y");
  EXPECT_EQ(state.NextItem(), longItem);
  EXPECT_EQ(state.NextItem(), "y");
}

TEST(ParseString, LineStopsAtItsFirstNul) {
  ParseStringState state;
  state.SetLine(std::string("a|b\0c", 5));
  EXPECT_EQ(ReadAll(state).items, (std::vector<std::string>{"a", "b"}));
  state.SetLine(std::string("\0a", 2));
  EXPECT_TRUE(state.AtEnd());
}

}  // namespace
}  // namespace larch
