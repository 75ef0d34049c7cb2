// The OK rules of the connection dialogs and the pickers' texts.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/connection_rules.h"
#include "dialogs/picker_text.h"

namespace larch {
namespace {

TEST(SqlOk, TimeOutRangeAndWhatARefusalHasStored) {
  struct Case {
    uint32_t timeOut;
    bool trusted;
    const char* user;
    OkVerdict verdict;
    bool restStored;
  };
  const Case cases[] = {
      {9, false, "sa", OkVerdict::TimeOutInvalid, false},
      {10, false, "sa", OkVerdict::Accept, true},
      {60, false, "sa", OkVerdict::Accept, true},
      {61, false, "sa", OkVerdict::TimeOutInvalid, false},
      {0, true, "", OkVerdict::TimeOutInvalid, false},
      {30, true, "", OkVerdict::Accept, true},
      {30, false, "", OkVerdict::UserNameEmpty, true},
  };
  for (const Case& c : cases) {
    SqlStore store;
    store.server.assign("old");
    SqlForm form{c.timeOut, "srv", "db", c.user, "pw", c.trusted};
    EXPECT_EQ(AcceptSql(form, store), c.verdict) << c.timeOut << " " << c.user;
    EXPECT_EQ(store.timeOut, c.timeOut);
    EXPECT_STREQ(store.server.c_str(), c.restStored ? "srv" : "old") << c.timeOut;
    EXPECT_EQ(store.trusted, c.restStored && c.trusted ? 1 : 0);
    if (c.restStored) EXPECT_STREQ(store.password.c_str(), "pw");
  }
}

TEST(LoginOk, EmptyUserIsRefusedAfterBothAreStored) {
  LoginStore store;
  EXPECT_EQ(AcceptLogin({"", "secret"}, store), OkVerdict::UserNameEmpty);
  EXPECT_STREQ(store.password.c_str(), "secret");
  EXPECT_EQ(AcceptLogin({"tom", ""}, store), OkVerdict::Accept);
  EXPECT_STREQ(store.user.c_str(), "tom");
  EXPECT_STREQ(store.password.c_str(), "");
}

bool OnlyDbExists(const char* path) { return std::string(path) == "C:\\a.mdb"; }

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
    AccessStore store;
    EXPECT_EQ(AcceptAccess({c.file, c.user, "pw"}, store, OnlyDbExists), c.verdict) << c.file;
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

TEST(FixedText, CutsAtCapacity) {
  FixedText<33> text;
  text.assign(std::string(40, 'x'));
  EXPECT_EQ(std::string(text.c_str()), std::string(32, 'x'));
  text.assign(std::string(32, 'y'));
  EXPECT_EQ(std::string(text.c_str()), std::string(32, 'y'));
}

TEST(FixedText, NeverSplitsATwoByteCharacter) {
  const std::string zhong = "\xD6\xD0";  // one GBK character
  FixedText<33> text;
  std::string twenty;
  for (int i = 0; i < 20; ++i) twenty += zhong;
  text.assign(twenty);
  EXPECT_EQ(std::string(text.c_str()), twenty.substr(0, 32));
  text.assign("a" + twenty);  // the 17th character would need bytes 32 and 33
  EXPECT_EQ(std::string(text.c_str()), "a" + twenty.substr(0, 30));
  EXPECT_EQ(FittingBytes("ab\xD6", 8), 3u);  // a lone lead byte at the end is one byte
}

TEST(PickerText, FilterLists) {
  using namespace std::string_literals;
  EXPECT_EQ(BuildFilterList("Text files|*.txt|"), "Text files\0*.txt\0\0"s);
  EXPECT_EQ(BuildFilterList("Text files|*.txt"), "Text files\0*.txt\0\0"s);
  EXPECT_EQ(BuildFilterList("A|*.a;*.b|All|*.*|"), "A\0*.a;*.b\0All\0*.*\0\0"s);
  EXPECT_EQ(BuildFilterList(""), "");
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

TEST(PickerText, InitialFolderThatDoesNotFitSelectsNothing) {
  EXPECT_EQ(InitialFolderFor("C:\\windows"), "C:\\windows");
  EXPECT_EQ(InitialFolderFor(std::string(263, 'a')).size(), 263u);
  EXPECT_EQ(InitialFolderFor(std::string(264, 'a')), "");
}

}  // namespace
}  // namespace larch
