// The load hook, the information functions and the published table.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <regex>

#include "test_support.h"

namespace larch::test {
namespace {

struct OnLoadCase {
  Value before;
  std::string after;
  bool commandRun;
};

TEST(OnLoad, SetsTheIdentityOnlyWhenItIsNotAText) {
  const OnLoadCase cases[] = {
      {Value::Text(""), "larch_tests.exe", true},
      {Value::Bool(false), "larch_tests.exe", true},
      {Value::Int(3), "larch_tests.exe", true},
      {Value::Text("MyApp"), "MyApp", false},
  };
  for (const OnLoadCase& c : cases) {
    HostOptions o = HostEmulator::DefaultOptions();
    o.screenTag = c.before;
    HostEmulator emu(o);
    EXPECT_EQ(emu.screenTag.text, c.after) << c.before.display();
    EXPECT_EQ(emu.commands.size(), c.commandRun ? 1u : 0u) << c.before.display();
  }
}

// Each test has a library of its own.
class Info : public ::testing::Test {
 protected:
  HostEmulator emu;
};

TEST_F(Info, ExeAndLibraryPaths) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  EXPECT_EQ(emu.call("GetExeInfo", {Value::Int(1)}).value.text, exe);
  CallResult pid = emu.call("GetExeInfo", {Value::Int(2)});
  EXPECT_EQ(pid.value.integer, static_cast<int32_t>(GetCurrentProcessId()));
  EXPECT_EQ(pid.value.width, 10);
  EXPECT_FALSE(emu.call("GetExeInfo", {Value::Int(3)}).sent());

  char dll[MAX_PATH];
  GetModuleFileNameA(emu.module(), dll, MAX_PATH);
  EXPECT_EQ(emu.call("GetFllInfo", {Value::Int(1)}).value.text, dll);
  for (int kind : {0, 2, -1}) EXPECT_EQ(emu.call("GetFllInfo", {Value::Int(kind)}).value.text, "1.3.0902") << kind;
  // The host refuses a call short of its required parameters, or over its count.
  EXPECT_EQ(emu.call("GetFllInfo").error, 11);
  EXPECT_EQ(emu.call("GetFllInfo", {Value::Int(1), Value::Int(2)}).error, 11);
}

TEST_F(Info, BackColoursAndFontSize) {
  const std::pair<int, int32_t> colours[] = {{0, 15722724}, {1, 16760767}, {2, 0}, {-1, 0}};
  for (auto [index, colour] : colours) {
    SCOPED_TRACE(index);
    CallResult r = emu.call("GetMyBackColor", {Value::Int(index)});
    EXPECT_EQ(r.value.integer, colour) << index;
    EXPECT_EQ(r.value.width, 10);
  }
  CallResult size = emu.call("GetDefaultFontSize");
  EXPECT_EQ(size.value.integer, 9);
  EXPECT_EQ(size.value.width, 2);
}

TEST_F(Info, CpuIdHasVendorAndFourWords) {
  std::string id = emu.call("GetCpuID").value.text;
  EXPECT_EQ(id.size(), 48u);
  EXPECT_TRUE(std::regex_match(id, std::regex("[ -~]{12}(-[0-9A-F]{8}){4}"))) << id;
}

// The process's locale comes from LANG; ctest runs this test under both.
TEST_F(Info, LanguageDependentResults) {
  bool chinese = GetUserDefaultLangID() == 0x0804;
  const char* lang = getenv("LANG");
  ASSERT_NE(lang, nullptr);
  EXPECT_EQ(chinese, std::string(lang).rfind("zh_CN", 0) == 0) << lang;
  EXPECT_EQ(emu.call("LangIsChinese").value.logical, chinese);
  EXPECT_EQ(Hex(emu.call("GetDefaultFontName").value.text), chinese ? "CB CE CC E5" : Hex("Courier New"));
}

// The table as the host reads it, row by row against the published list:
// a row missing, added, moved or retyped shows here.
TEST(Table, IsThePublishedListInOrder) {
  HostEmulator emu;
  const auto& rows = emu.rows();
  struct Expected {
    const char* name;
    const char* types;
    int count;
  };
  const Expected published[] = {
#include "published_rows.inc"
  };
  EXPECT_EQ(rows.size(), std::size(published));
  for (size_t i = 0; i < std::min(rows.size(), std::size(published)); ++i) {
    const auto& row = rows[i];
    ASSERT_EQ(row.name, published[i].name) << "row " << i + 1;
    EXPECT_EQ(row.types, published[i].types) << row.name;
    EXPECT_EQ(row.count, published[i].count) << row.name;
    EXPECT_NE(row.entry, 0u) << row.name;
    if (row.count < 0) continue;  // the load and release hooks
    int letters = 0;
    for (char c : row.types) letters += std::isalpha(static_cast<unsigned char>(c)) || c == '?';
    EXPECT_EQ(row.count, letters) << row.name;
  }
}

}  // namespace
}  // namespace larch::test
