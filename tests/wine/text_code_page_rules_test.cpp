// Text functions under the process's ANSI code page: under a double-byte
// code page (936) they read Chinese text in characters, under a single-byte
// one (1252, the en_US run) byte by byte. Each case states both answers.
#include <windows.h>

#include <gtest/gtest.h>

#include "test_support.h"

namespace larch::test {
namespace {

bool DoubleByteCodePage() { return IsDBCSLeadByteEx(CP_ACP, 0xD6) != 0; }

// GBK: 東 96 7C, 億 83 7C, 瑋 AC 7C (second bytes "|"), 方 B7 BD, 元 D4 AA,
// 中 D6 D0, 文 CE C4, 形 D0 CE.
const std::string kDong = "\x96\x7C", kYi = "\x83\x7C", kWei = "\xAC\x7C";
const std::string kFang = "\xB7\xBD", kYuan = "\xD4\xAA";
const std::string kZhongWen = "\xD6\xD0\xCE\xC4", kXing = "\xD0\xCE";

std::vector<std::string> Items(HostEmulator& emu, const std::string& line, Caller caller = {}) {
  if (!CallLogical(emu, "PSSetStringLine", {Value::Text(line)}, caller)) {
    ADD_FAILURE_AT(caller.file, caller.line) << "PSSetStringLine refused the line";
  }
  std::vector<std::string> items;
  for (int guard = 0; guard < 20 && !CallLogical(emu, "PSIsEnd", {}, caller); ++guard) {
    items.push_back(CallText(emu, "PSGetItem", {}, caller));
  }
  return items;
}

// Each test has a library of its own.
class TextCodePage : public ::testing::Test {
 protected:
  HostEmulator emu;
};

TEST_F(TextCodePage, TokenizerSplitsAtDelimiterCharacters) {
  const std::string line = kDong + kFang + "|" + kYi + kYuan + "|" + kWei;
  const std::vector<std::string> chars = {kDong + kFang, kYi + kYuan, kWei};
  const std::vector<std::string> bytes = {"\x96", kFang, "\x83", kYuan, "\xAC"};
  EXPECT_EQ(Items(emu, line), DoubleByteCodePage() ? chars : bytes);

  // The rest after one item starts after the first real delimiter.
  emu.call("PSSetStringLine", {Value::Text(kDong + "a|b")});
  EXPECT_EQ(emu.call("PSGetItem").value.text, DoubleByteCodePage() ? kDong + "a" : "\x96");
  EXPECT_EQ(emu.call("PSGetRestString").value.text, DoubleByteCodePage() ? "b" : "a|b");
}

TEST_F(TextCodePage, WildcardsMatchWholeCharacters) {
  const bool dbcs = DoubleByteCodePage();
  auto find = [&](const std::string& text, const std::string& pattern, Caller caller = {}) {
    return CallInteger(emu, "KVFindMatchString", {Value::Text(text), Value::Text(pattern)}, caller);
  };
  auto match = [&](const std::string& text, const std::string& pattern, Caller caller = {}) {
    return CallLogical(emu, "KVIsMatchString", {Value::Text(text), Value::Text(pattern)}, caller);
  };
  EXPECT_EQ(find(kZhongWen, kXing), dbcs ? 0 : 2);
  EXPECT_EQ(find(kZhongWen + kXing, kXing), dbcs ? 5 : 2);
  EXPECT_EQ(find(kDong + "|", "|"), dbcs ? 3 : 2);
  EXPECT_EQ(match(kZhongWen, "*" + kXing + "*"), !dbcs);
  EXPECT_EQ(match(kDong, "?|"), !dbcs);
  // "?" is one byte in both: "??" is one Chinese character.
  EXPECT_TRUE(match(kZhongWen, "??" + kZhongWen.substr(2)));
  EXPECT_TRUE(match(kZhongWen, "????"));
  EXPECT_FALSE(match(kZhongWen, "???"));
  EXPECT_TRUE(match(kZhongWen, "?*"));
  const std::string list = "*" + kXing + "*,x";
  EXPECT_EQ(emu.call("KVMultiMatchString", {Value::Text(kZhongWen), Value::Text(list)}).value.logical, !dbcs);
}

}  // namespace
}  // namespace larch::test
