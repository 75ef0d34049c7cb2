#include "crypto/string_source.h"

#include <gtest/gtest.h>

#include <string>

namespace larch {
namespace {

const char kExeDigest[] = "0cc175b9c0f1b6a831c399e269772661";
const char kOtherDigest[] = "900150983cd24fb0d6963f7d28e17f72";

std::vector<std::string> Entries(const StringSrcTable& table) {
  std::vector<std::string> out;
  for (uint32_t n = 1; n <= table.count(); ++n) out.emplace_back(table.entry(n));
  return out;
}

std::vector<std::string> Load(std::string_view text) {
  StringSrcTable table;
  table.load(text);
  return Entries(table);
}

using Strings = std::vector<std::string>;

TEST(StringSourceStream, OpensOnlyForItsExecutable) {
  std::string payload = "'one'\r\n\"two\"\r\n[three]";
  std::string stream = MakeStringStream(payload, kExeDigest);
  EXPECT_EQ(stream.size(), payload.size() + 84);
  EXPECT_EQ(stream.find("two"), std::string::npos);
  EXPECT_EQ(OpenStringStream(stream, kExeDigest), payload);
  EXPECT_EQ(OpenStringStream(stream, kOtherDigest), std::nullopt);
  EXPECT_EQ(OpenStringStream(stream, ""), std::nullopt);
  EXPECT_EQ(OpenStringStream(stream, nullptr), std::nullopt);
}

TEST(StringSourceStream, RefusesShortOrAlteredStreams) {
  std::string stream = MakeStringStream("'x'", kExeDigest);
  EXPECT_EQ(OpenStringStream(stream.substr(0, 84), kExeDigest), std::nullopt);
  EXPECT_EQ(OpenStringStream(stream.substr(1), kExeDigest), std::nullopt);
  EXPECT_EQ(OpenStringStream("", kExeDigest), std::nullopt);
  for (size_t at = 3; at < stream.size(); at += 9) {
    std::string altered = stream;
    altered[at] ^= 1;
    EXPECT_EQ(OpenStringStream(altered, kExeDigest), std::nullopt) << at;
  }
}

TEST(StringSourceStream, TrailerFieldsAndTag) {
  Trailer t = TrailerFields(0, kStreamTag, 3, kExeDigest);
  EXPECT_EQ(std::string(&t[4], 4), std::string(4, '\0'));
  EXPECT_EQ(std::string(kStreamTag).size(), 34u);
  EXPECT_NE(StreamTrailer(3, kExeDigest), t);  // sealed
}

TEST(StringSrcTable, ThreeDelimiterKinds) {
  StringSrcTable table;
  StringSourceShape shape = table.load("'one'\r\n\"two\"\r\n[three]");
  EXPECT_EQ(shape.lines, 3u);
  EXPECT_EQ(shape.strings, 3u);
  EXPECT_EQ(Entries(table), (Strings{"one", "two", "three"}));
  EXPECT_EQ(table.entry(0), nullptr);
  EXPECT_EQ(table.entry(4), nullptr);
}

TEST(StringSrcTable, WellFormedPayloads) {
  const struct {
    const char* text;
    Strings expected;
    // clang-format off
  } cases[] = {
      {"\r\n'a'\n\n\r\n\"b\"\r\r", {"a", "b"}},                        // blank lines don't count
      {"label = 'a' // note\nnext: [b c] end", {"a", "b c"}},          // text outside is ignored
      {"'it\"s'\n\"don't\"\n[x'y\"z]", {"it\"s", "don't", "x'y\"z"}},  // other delimiters inside
      {"''\n[]", {"", ""}},                                            // empty strings
      {"'a'\n'", {"a", ""}},  // an opening delimiter at the very end
      {"", {}},
      {"\r\n\r\n", {}},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(Load(c.text), c.expected) << c.text;
}

TEST(StringSrcTable, NulBytesAreSkipped) {
  EXPECT_EQ(Load(std::string_view("'a\0b'\n\0\n'c'", 12)), (Strings{"a", "c"}));
}

TEST(StringSrcTable, MalformedPayloadsKeepOnlyFilledEntries) {
  const struct {
    const char* text;
    Strings expected;
    uint32_t lines, strings;
    // clang-format off
  } cases[] = {
      {"no string here\n'a'", {"a"}, 2, 1},          // a line with no string
      {"'a' 'b'\n'c'", {"a", "b"}, 2, 3},            // two strings on one line
      {"'a' 'b' 'c' 'd'", {"a"}, 1, 4},              // never more entries than lines
      {"'open\nstill\n'x'", {"open", ""}, 3, 2},     // a string left open across lines
      {"'\n\"x\"", {""}, 2, 1},                     // ... from the end of its line
      {"plain\ntext\n", {}, 2, 0},
  };
  // clang-format on
  for (const auto& c : cases) {
    StringSrcTable table;
    StringSourceShape shape = table.load(c.text);
    EXPECT_EQ(Entries(table), c.expected) << c.text;
    EXPECT_EQ(shape.lines, c.lines) << c.text;
    EXPECT_EQ(shape.strings, c.strings) << c.text;
  }
}

TEST(StringSrcTable, SecondLoadReplacesTheFirst) {
  StringSrcTable table;
  table.load("'a'\n'b'\n'c'");
  table.load("'z'");
  EXPECT_EQ(Entries(table), (Strings{"z"}));
  EXPECT_EQ(table.entry(2), nullptr);
}

}  // namespace
}  // namespace larch
