// The OK rules of the connection dialogs and the pickers' texts.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/connection_rules.h"
#include "dialogs/picker_text.h"

namespace larch {
namespace {

const LeadBytes kGbk = LeadBytes::gbk();
const LeadBytes kSingleByte;

TEST(SqlOk, TimeOutRangeAndWhatARefusalHasStored) {
  struct Case {
    uint32_t timeOut;
    bool trusted;
    const char* user;
    OkVerdict verdict;
    bool restStored;
  };
  // clang-format off
  const Case cases[] = {
      {9, false, "sa", OkVerdict::TimeOutInvalid, false},
      {10, false, "sa", OkVerdict::Accept, true},
      {60, false, "sa", OkVerdict::Accept, true},
      {61, false, "sa", OkVerdict::TimeOutInvalid, false},
      {0, true, "", OkVerdict::TimeOutInvalid, false},
      {30, true, "", OkVerdict::Accept, true},
      {30, false, "", OkVerdict::UserNameEmpty, true},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "time out " << c.timeOut << ", trusted " << c.trusted << ", user \"" << c.user
                                      << "\"");
    SqlStore store;
    store.server.assign(kGbk, "old");
    SqlForm form{c.timeOut, "srv", "db", c.user, "pw", c.trusted};
    EXPECT_EQ(AcceptSql(form, store, kGbk), c.verdict) << c.timeOut << " " << c.user;
    EXPECT_EQ(store.timeOut, c.timeOut);
    EXPECT_STREQ(store.server.c_str(), c.restStored ? "srv" : "old") << c.timeOut;
    EXPECT_EQ(store.trusted, c.restStored && c.trusted ? 1 : 0);
    EXPECT_STREQ(store.password.c_str(), c.restStored ? "pw" : "") << c.timeOut;
  }
}

TEST(LoginOk, EmptyUserIsRefusedAfterBothAreStored) {
  LoginStore store;
  EXPECT_EQ(AcceptLogin({"", "secret"}, store, kGbk), OkVerdict::UserNameEmpty);
  EXPECT_STREQ(store.password.c_str(), "secret");
  EXPECT_EQ(AcceptLogin({"tom", ""}, store, kGbk), OkVerdict::Accept);
  EXPECT_STREQ(store.user.c_str(), "tom");
  EXPECT_STREQ(store.password.c_str(), "");
}

int g_existsCalls = 0;
bool OnlyDbExists(const char* path) {
  ++g_existsCalls;
  return std::string(path) == "C:\\a.mdb";
}

TEST(AccessOk, ChecksInOrderAfterStoringAllThree) {
  struct Case {
    const char* file;
    const char* user;
    OkVerdict verdict;
  };
  const Case cases[] = {
      {"", "", OkVerdict::FileNameEmpty},
      {"C:\\missing.mdb", "", OkVerdict::FileMissing},
      {"C:\\a.mdb", "", OkVerdict::UserNameEmpty},
      {"C:\\a.mdb", "admin", OkVerdict::Accept},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "file \"" << c.file << "\", user \"" << c.user << "\"");
    AccessStore store;
    EXPECT_EQ(AcceptAccess({c.file, c.user, "pw"}, store, kGbk, OnlyDbExists), c.verdict) << c.file;
    EXPECT_STREQ(store.file.c_str(), c.file);
    EXPECT_STREQ(store.user.c_str(), c.user);
    EXPECT_STREQ(store.password.c_str(), "pw");
  }
}

TEST(Warnings, Texts) {
  EXPECT_STREQ(WarningText(OkVerdict::TimeOutInvalid), "Time out is invalid.");
  EXPECT_STREQ(WarningText(OkVerdict::UserNameEmpty), "UserName can not empty.");
  EXPECT_STREQ(WarningText(OkVerdict::FileNameEmpty), "filename can not empty.");
  EXPECT_STREQ(WarningText(OkVerdict::FileMissing), "file not exist.");
  EXPECT_EQ(WarningText(OkVerdict::Accept), nullptr);
}

// A name the system cannot take is refused as missing without asking the
// file system; so is one the storage had to cut, which is not what the box
// showed.
TEST(AccessOk, NamesBeyondThePathLimitAreMissingWithoutALook) {
  struct Case {
    std::string file;
    const LeadBytes* leads;
    OkVerdict verdict;
    int looks;
  };
  const std::string zhong = "\xD6\xD0";
  std::string chinese129;  // 258 bytes: within the limit
  for (int i = 0; i < 129; ++i) chinese129 += zhong;
  const Case cases[] = {
      {std::string(259, 'a'), &kSingleByte, OkVerdict::FileMissing, 1},
      {std::string(260, 'a'), &kSingleByte, OkVerdict::FileMissing, 0},
      {std::string(70000, 'a'), &kSingleByte, OkVerdict::FileMissing, 0},
      {chinese129, &kGbk, OkVerdict::FileMissing, 1},
      {chinese129 + zhong, &kGbk, OkVerdict::FileMissing, 0},
  };
  for (const Case& c : cases) {
    AccessStore store;
    g_existsCalls = 0;
    EXPECT_EQ(AcceptAccess({c.file, "admin", "pw"}, store, *c.leads, OnlyDbExists), c.verdict) << c.file.size();
    EXPECT_EQ(g_existsCalls, c.looks) << c.file.size();
  }
}

std::string Repeat(const std::string& piece, size_t times) {
  std::string text;
  for (size_t i = 0; i < times; ++i) text += piece;
  return text;
}

// A box of N characters keeps N characters, one or two bytes each: what the
// user saw is what is read back, and a longer text is cut after N
// characters, never inside one.
TEST(BoxText, KeepsWhatTheBoxShows) {
  const std::string zhong = "\xD6\xD0";  // one GBK character
  struct Case {
    std::string text;
    const LeadBytes* leads;
    std::string kept;
  };
  const Case cases[] = {
      {std::string(32, 'y'), &kGbk, std::string(32, 'y')},
      {std::string(40, 'x'), &kGbk, std::string(32, 'x')},
      {Repeat(zhong, 19), &kGbk, Repeat(zhong, 19)},
      {Repeat(zhong, 32), &kGbk, Repeat(zhong, 32)},
      {Repeat(zhong, 33), &kGbk, Repeat(zhong, 32)},
      {"a" + Repeat(zhong, 32), &kGbk, "a" + Repeat(zhong, 31)},
      {Repeat(zhong, 31) + "ab", &kGbk, Repeat(zhong, 31) + "a"},
      // Under a single-byte code page every byte is a character.
      {Repeat(zhong, 20), &kSingleByte, Repeat(zhong, 16)},
  };
  for (const Case& c : cases) {
    NameText text;
    text.assign(*c.leads, c.text);
    EXPECT_EQ(std::string(text.c_str()), c.kept) << c.text.size();
  }
  static_assert(NameText::kCapacity == 65, "32 two-byte characters and the NUL");
  static_assert(decltype(AccessStore::file)::kCapacity == 519, "259 two-byte characters and the NUL");
  // A lone lead byte at the end is one character of one byte.
  EXPECT_EQ(BytesOfFirstChars(kGbk, "ab\xD6", 8), 3u);
  EXPECT_EQ(BytesOfFirstChars(kGbk, zhong + zhong, 1), 2u);
  EXPECT_EQ(BytesOfFirstChars(kGbk, "", 5), 0u);
}

TEST(PickerText, FilterLists) {
  using namespace std::string_literals;
  struct Case {
    std::string text;
    const LeadBytes* leads;
    std::string list;
  };
  // 東 = 96 7C: its second byte is '|' and never a separator.
  const std::string dong = "\x96\x7C";
  const Case cases[] = {
      {"Text files|*.txt|", &kGbk, "Text files\0*.txt\0\0"s},
      {"Text files|*.txt", &kGbk, "Text files\0*.txt\0\0"s},
      {"A|*.a;*.b|All|*.*|", &kGbk, "A\0*.a;*.b\0All\0*.*\0\0"s},
      {"", &kGbk, ""},
      {dong + "|*.txt|", &kGbk, dong + "\0*.txt\0\0"s},
      {"T|" + dong + ".txt", &kGbk, "T\0"s + dong + ".txt\0\0"s},
      {"T|*" + dong, &kGbk, "T\0*"s + dong + "\0\0"s},
      {"T|*" + dong, &kSingleByte, "T\0*\x96\0\0"s},
  };
  for (const Case& c : cases) EXPECT_EQ(BuildFilterList(*c.leads, c.text), c.list) << c.text;
}

TEST(PickerText, MultipleSelectionBecomesBarList) {
  using namespace std::string_literals;
  std::string several = "C:\\a\0x.txt\0y.txt\0\0"s;
  EXPECT_EQ(JoinMultiSelection(several.data(), several.size()), "C:\\a|x.txt|y.txt");
  std::string one = "C:\\a\\b.txt\0\0"s;
  EXPECT_EQ(JoinMultiSelection(one.data(), one.size()), "C:\\a\\b.txt");
  // A buffer without the closing pair is read no further than its end.
  std::string full = "C:\\a\0b"s;
  EXPECT_EQ(JoinMultiSelection(full.data(), full.size()), "C:\\a|");
}

}  // namespace
}  // namespace larch
