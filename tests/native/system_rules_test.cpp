// Session-end flags, shortcut show commands, twips per pixel, the limits
// of the shell-execute functions, failure codes and the Notepad command.
#include <gtest/gtest.h>

#include "system/system_rules.h"

namespace larch {
namespace {

TEST(ExitWindowsFlags, ActionsOnBothSystemFamilies) {
  struct Case {
    int32_t action;
    uint32_t major;
    uint32_t flags;
  };
  // clang-format off
  const Case cases[] = {
      // Newer family: log off 0, reboot 2, power off 8, always forced (4).
      {0, 5, 4}, {1, 5, 6}, {2, 5, 12}, {5, 6, 12}, {-1, 10, 12}, {0x7FFFFFFF, 6, 12},
      // Older family (and an unreadable version, 0): no force, and a
      // power-off becomes a plain shutdown (1).
      {0, 4, 0}, {1, 4, 2}, {5, 4, 1}, {-3, 0, 1}, {1, 0, 2},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(ExitWindowsFlags(c.action, c.major), c.flags) << "action " << c.action << ", major " << c.major;
  }
  EXPECT_FALSE(NeedsShutdownPrivilege(4));
  EXPECT_TRUE(NeedsShutdownPrivilege(5));
}

TEST(ShortcutShowCommand, KindsOutsideOneToThreeAreNormal) {
  const std::pair<int32_t, int32_t> cases[] = {{1, 1}, {2, 7}, {3, 3}, {0, 1}, {4, 1}, {9, 1}, {-2, 1}, {7, 1}};
  for (auto [kind, show] : cases) EXPECT_EQ(ShortcutShowCommand(kind), show) << kind;
}

TEST(TwipsPerPixel, IntegerDivisionAndNoResolution) {
  const std::pair<int32_t, int32_t> cases[] = {{96, 15}, {120, 12}, {144, 10}, {72, 20}, {1441, 0}, {0, 0}, {-96, 0}};
  for (auto [dpi, twips] : cases) EXPECT_EQ(TwipsPerPixel(dpi), twips) << dpi;
}

// A GBK character whose second byte is '\\'.
const std::string kSeparatorTail = "\xD5\x5C";

TEST(ShellTargetLimit, UrlsGetTheBrowserLimitEverythingElseThePathLimit) {
  struct Case {
    std::string target;
    bool url;
  };
  const Case cases[] = {
      {"http://example.invalid/a", true},
      {"mailto:someone@example.invalid", true},
      {"file:///C:/x.txt", true},
      {"svn+ssh://h/x", true},
      {"x-y.z:rest", true},
      {"C:\\dir\\file.txt", false},  // a drive letter is not a scheme
      {"c:x", false},
      {"\\\\server\\share\\doc.txt", false},
      {"doc.txt", false},
      {":no-scheme", false},
      {"1ab:x", false},  // a scheme starts with a letter
      {"ab cd:x", false},
      {"ab\\cd:x", false},
      {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LooksLikeUrl(LeadBytes::gbk(), c.target), c.url) << c.target;
    EXPECT_EQ(ShellTargetLimit(LeadBytes(), c.target), c.url ? kUrlLimit : kMaxPathLength) << c.target;
  }
  // Chinese text is no scheme, also when a colon follows it.
  EXPECT_FALSE(LooksLikeUrl(LeadBytes::gbk(), "\xD6\xD0\xCE\xC4:x"));
  EXPECT_TRUE(LooksLikeUrl(LeadBytes::gbk(), "http://h/\xD6\xD0\xCE\xC4"));
}

TEST(ProgramName, QuotedAndBareNames) {
  struct Case {
    std::string line;
    std::string name;
  };
  const Case cases[] = {
      {"notepad", "notepad"},
      {"notepad a.txt", "notepad"},
      {"prog.exe\targ", "prog.exe"},
      {"\"C:\\Program Files\\p.exe\" -x", "C:\\Program Files\\p.exe"},
      {"\"unclosed name", "unclosed name"},
      {"\"\"", ""},
      {" leading", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ProgramName(LeadBytes::gbk(), c.line), c.name) << c.line;
  EXPECT_EQ(ProgramName(LeadBytes::gbk(), "\"C:\\" + kSeparatorTail + "\\p.exe\" x"),
            "C:\\" + kSeparatorTail + "\\p.exe");
}

TEST(ShellStartFailureCode, LastErrorFirstThenTheShellsValue) {
  struct Case {
    uint32_t lastError;
    uintptr_t instApp;
    uint32_t code;
  };
  // clang-format off
  const Case cases[] = {
      {5, 2, 5},        // the system's own code wins
      {0, 2, 2},        // file not found
      {0, 3, 3},        // path not found
      {0, 5, 5},        // access denied
      {0, 8, 8},        // out of memory
      {0, 11, 11},      // bad format
      {0, 26, 32},      // sharing violation
      {0, 27, 1155},    // incomplete association
      {0, 31, 1155},    // no association
      {0, 28, 1156},    // DDE time-out, failure, busy
      {0, 29, 1156},
      {0, 30, 1156},
      {0, 32, 1157},    // a library not found
      {0, 0, 0},        // nothing set: no code
      {0, 33, 0},       // a success value is no failure code
      {0, 0x10000, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(ShellStartFailureCode(c.lastError, c.instApp), c.code) << c.lastError << "/" << c.instApp;
  }
}

TEST(NotepadCommandLine, FullNameInQuotes) {
  EXPECT_EQ(NotepadCommandLine(LeadBytes::gbk(), "C:\\windows\\system32"), "\"C:\\windows\\system32\\notepad.exe\"");
  EXPECT_EQ(NotepadCommandLine(LeadBytes::gbk(), "C:\\"), "\"C:\\notepad.exe\"");
  EXPECT_EQ(NotepadCommandLine(LeadBytes(), "C:\\Win Dir\\sys"), "\"C:\\Win Dir\\sys\\notepad.exe\"");
  // A folder whose last character ends in the byte '\\' still needs a
  // separator under GBK; byte by byte it already has one.
  const std::string folder = "C:\\" + kSeparatorTail;
  EXPECT_EQ(NotepadCommandLine(LeadBytes::gbk(), folder), "\"" + folder + "\\notepad.exe\"");
  EXPECT_EQ(NotepadCommandLine(LeadBytes(), folder), "\"" + folder + "notepad.exe\"");
}

}  // namespace
}  // namespace larch
