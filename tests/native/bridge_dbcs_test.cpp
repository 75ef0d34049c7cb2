#include "bridge/dbcs.h"

#include <gtest/gtest.h>

namespace larch {
namespace {

constexpr size_t npos = std::string_view::npos;
// 誠 = D5 5C, 東 = 96 7C in GBK: their second bytes are '\' and '|'.
constexpr std::string_view kCheng = "\xD5\x5C";
constexpr std::string_view kDong = "\x96\x7C";

TEST(Dbcs, SearchesLookOnlyAtCharacterStarts) {
  const LeadBytes gbk = LeadBytes::gbk();
  const LeadBytes single;
  std::string path = std::string("C:\\out\\") + std::string(kCheng) + ".txt";
  EXPECT_EQ(NameAfterLastSeparator(gbk, path), std::string(kCheng) + ".txt");
  EXPECT_EQ(NameAfterLastSeparator(single, path), ".txt");

  std::string folder = std::string("C:\\out\\") + std::string(kCheng);
  EXPECT_FALSE(EndsWithSeparator(gbk, folder));
  EXPECT_TRUE(EndsWithSeparator(single, folder));
  EXPECT_TRUE(EndsWithSeparator(gbk, folder + "\\"));

  std::string line = std::string(kDong) + "a|b";
  EXPECT_EQ(FindChar(gbk, line, '|'), 3u);
  EXPECT_EQ(FindChar(single, line, '|'), 1u);
  EXPECT_EQ(FindChar(gbk, std::string(kDong), '|'), npos);
  EXPECT_EQ(FindLastCharOf(gbk, line, "|"), 3u);
  EXPECT_EQ(FindLastCharOf(gbk, "abc", "|"), npos);
}

TEST(Dbcs, BoundariesNeverCutACharacter) {
  const LeadBytes gbk = LeadBytes::gbk();
  const std::string text = "a\xD6\xD0\xCE\xC4";  // a中文
  EXPECT_TRUE(IsCharBoundary(gbk, text, 0));
  EXPECT_TRUE(IsCharBoundary(gbk, text, 1));
  EXPECT_FALSE(IsCharBoundary(gbk, text, 2));
  EXPECT_TRUE(IsCharBoundary(gbk, text, 5));
  EXPECT_FALSE(IsCharBoundary(gbk, text, 6));
  EXPECT_EQ(CharBoundaryAtOrBefore(gbk, text, 2), 1u);
  EXPECT_EQ(CharBoundaryAtOrBefore(gbk, text, 4), 3u);
  EXPECT_EQ(CharBoundaryAtOrBefore(gbk, text, 99), 5u);
  EXPECT_EQ(CharBoundaryAtOrBefore(LeadBytes(), text, 2), 2u);
  // A lead byte at the very end stands alone.
  EXPECT_EQ(CharLength(gbk, "a\xD6", 1), 1u);
  EXPECT_FALSE(EndsWithChar(gbk, "a\xD6\\", '\\'));  // 0xD6 0x5C is one character
}

}  // namespace
}  // namespace larch
