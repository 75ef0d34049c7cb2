// KVTraverseDirectory over a real folder tree: which host commands run, in
// which order, with which paths.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "interpreter.h"
#include "test_support.h"

namespace larch::test {
namespace {

using Lines = std::vector<std::string>;

// The tree:  T\a.txt  T\z.prg  T\B\b.txt  T\B\C\c.txt  T\B\C\d.prg
//            T\E.txt\ (a folder whose name matches *.txt)  T\E.txt\e.txt
class Traverse : public testing::Test {
 protected:
  Traverse() : root(dir.path() + "\\T") {
    for (const char* folder : {"", "\\B", "\\B\\C", "\\E.txt"}) CreateDirectoryA((root + folder).c_str(), nullptr);
    for (const char* file : {"\\a.txt", "\\z.prg", "\\B\\b.txt", "\\B\\C\\c.txt", "\\B\\C\\d.prg", "\\E.txt\\e.txt"}) {
      WriteFile(root + file, "x");
    }
    emu.commandHook = [](const std::string&) { return true; };  // record only
  }

  Lines Walk(const std::vector<Arg>& args, Caller caller = {}) {
    emu.commands.clear();
    CallWithoutResult(emu, "KVTraverseDirectory", args, caller);
    return emu.commands;
  }

  // "F <path>" for folders, "G <path>" for files, paths under the tree.
  Lines Expected(const Lines& items) {
    Lines lines;
    for (const std::string& item : items) lines.push_back(item.substr(0, 2) + root + item.substr(2));
    return lines;
  }

  TempDir dir;
  std::string root;
  HostEmulator emu;
};

TEST_F(Traverse, OrderOfCommandsByFlags) {
  EXPECT_EQ(Walk({Value::Text(root), Value::Text("G %s"), Value::Text("F %s")}), Expected({"G \\a.txt", "G \\z.prg"}));
  EXPECT_EQ(Walk({Value::Text(root), Value::Text("G %s"), Value::Text("F %s"), Value::Text("*.*"), Value::Int(0)}),
            Expected({"G \\a.txt", "G \\z.prg"}));
  // Post-order: a folder's files, then its subtree, then its folder command.
  EXPECT_EQ(Walk({Value::Text(root), Value::Text("G %s"), Value::Text("F %s"), Value::Text("*.txt"), Value::Int(2)}),
            Expected({"G \\a.txt", "G \\B\\b.txt", "G \\B\\C\\c.txt", "F \\B\\C\\", "F \\B\\", "G \\E.txt\\e.txt",
                      "F \\E.txt\\"}));
  // Pre-order: the folder command first, subfolders before files.
  EXPECT_EQ(Walk({Value::Text(root), Value::Text("G %s"), Value::Text("F %s"), Value::Text("*.txt"), Value::Int(6)}),
            Expected({"F \\B\\", "F \\B\\C\\", "G \\B\\C\\c.txt", "G \\B\\b.txt", "F \\E.txt\\", "G \\E.txt\\e.txt",
                      "G \\a.txt"}));
}

TEST_F(Traverse, StartFolderWithOrWithoutBackslash) {
  std::vector<Arg> tail = {Value::Text("G %s"), Value::Text("F %s"), Value::Text("*.*"), Value::Int(6)};
  std::vector<Arg> plain = {Value::Text(root)}, closed = {Value::Text(root + "\\")};
  plain.insert(plain.end(), tail.begin(), tail.end());
  closed.insert(closed.end(), tail.begin(), tail.end());
  Lines lines = Walk(plain);
  EXPECT_EQ(lines.size(), 9u);
  EXPECT_EQ(Walk(closed), lines);
}

TEST_F(Traverse, EmptyParametersAndMissingFolders) {
  // Mask given empty: only folder commands run.
  EXPECT_EQ(Walk({Value::Text(root), Value::Text("G %s"), Value::Text("F %s"), Value::Text(""), Value::Int(2)}),
            Expected({"F \\B\\C\\", "F \\B\\", "F \\E.txt\\"}));
  // A folder command and no file command.
  EXPECT_EQ(Walk({Value::Text(root), Value::Text(""), Value::Text("F %s"), Value::Text("*.*"), Value::Int(6)}),
            Expected({"F \\B\\", "F \\B\\C\\", "F \\E.txt\\"}));
  // A mask nothing matches at the top still walks the subfolders.
  EXPECT_EQ(Walk({Value::Text(root), Value::Text("G %s"), Value::Text(""), Value::Text("*.prg"), Value::Int(2)}),
            Expected({"G \\z.prg", "G \\B\\C\\d.prg"}));
  EXPECT_EQ(
      Walk({Value::Text(root + "\\B"), Value::Text("G %s"), Value::Text(""), Value::Text("*.prg"), Value::Int(2)}),
      Expected({"G \\B\\C\\d.prg"}));
  EXPECT_TRUE(Walk({Value::Text(root), Value::Text(""), Value::Text(""), Value::Text("*.*"), Value::Int(6)}).empty());
  EXPECT_TRUE(
      Walk({Value::Text(""), Value::Text("G %s"), Value::Text("F %s"), Value::Text("*.*"), Value::Int(6)}).empty());
  EXPECT_TRUE(Walk({Value::Text(root + "\\missing"), Value::Text("G %s"), Value::Text("F %s"), Value::Text("*.*"),
                    Value::Int(6)})
                  .empty());
}

TEST_F(Traverse, CommandPreparation) {
  // A bare procedure name gets the quoted path as its argument.
  EXPECT_EQ(Walk({Value::Text(root), Value::Text("MYPROC"), Value::Text(""), Value::Text("a.txt")}),
            Lines{"MYPROC(\"" + root + "\\a.txt\")"});
  EXPECT_EQ(Walk({Value::Text(root), Value::Text("DO p WITH '%s', 100%%"), Value::Text(""), Value::Text("a.txt")}),
            Lines{"DO p WITH '" + root + "\\a.txt', 100%"});
  // A command with any other conversion never runs; the other one does.
  EXPECT_EQ(
      Walk({Value::Text(root), Value::Text("? '%s' + '%d'"), Value::Text("F %s"), Value::Text("*.*"), Value::Int(2)}),
      Expected({"F \\B\\C\\", "F \\B\\", "F \\E.txt\\"}));
  EXPECT_TRUE(
      Walk({Value::Text(root), Value::Text("%n%n%n"), Value::Text("%x"), Value::Text("*.*"), Value::Int(2)}).empty());
}

TEST_F(Traverse, HiddenAndReadOnlyFilesAreVisited) {
  SetFileAttributesA((root + "\\a.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA((root + "\\z.prg").c_str(), FILE_ATTRIBUTE_SYSTEM);
  EXPECT_EQ(Walk({Value::Text(root), Value::Text("G %s"), Value::Text("")}), Expected({"G \\a.txt", "G \\z.prg"}));
}

TEST_F(Traverse, HostCommandsRunAndMayWalkAgain) {
  emu.commandHook = nullptr;
  Lines printed;
  emu.print = [&](const std::string& line) { printed.push_back(line); };
  // Each folder command walks that folder's own files with a print command.
  Walk({Value::Text(root), Value::Text("? '%s'"), Value::Text("= KVTraverseDirectory('%s', '? [<%%s>]', '', '*.txt')"),
        Value::Text("*.prg"), Value::Int(6)});
  EXPECT_EQ(printed, (Lines{"<" + root + "\\B\\b.txt>", "<" + root + "\\B\\C\\c.txt>", root + "\\B\\C\\d.prg",
                            "<" + root + "\\E.txt\\e.txt>", root + "\\z.prg"}));
}

TEST_F(Traverse, FailingHostCommandsDoNotStopTheWalk) {
  emu.commandHook = nullptr;
  Lines printed;
  emu.print = [&](const std::string& line) { printed.push_back(line); };
  Lines lines = Walk({Value::Text(root), Value::Text("? nosuchvariable + '%s'"), Value::Text("? '%s'"),
                      Value::Text("*.txt"), Value::Int(2)});
  EXPECT_EQ(lines.size(), 7u);
  EXPECT_EQ(printed.size(), 7u);  // four error messages, three folders
  EXPECT_EQ(printed.back(), root + "\\E.txt\\");
}

// Names that would end the literal they are put in, start a macro, or
// look like conversions. Every one must reach the host as one literal.
TEST(TraverseNames, PathsReachTheHostIntact) {
  TempDir dir;
  const std::vector<std::string> names = {
      "x', APICreateDirectory('pwned1'), '.txt",
      "y], APICreateDirectory([pwned2]), [.txt",
      "it's [a] b.txt",
      "a&pwned.txt",
      "100%s%d%%.txt",
      "a;b.txt",
  };
  for (const std::string& name : names) WriteFile(dir.file(name), "x");
  struct Style {
    const char* command;
    const char* before;
    const char* after;
  };
  // clang-format off
  const Style styles[] = {
      {"? '%s'", "? ", ""}, {"? \"%s\"", "? ", ""}, {"? [%s]", "? ", ""},
      {"MYPROC", "MYPROC(", ")"}, {"DO p WITH '%s'", "DO p WITH ", ""},
  };
  // clang-format on
  HostEmulator emu;
  emu.commandHook = [](const std::string&) { return true; };  // record only
  for (const Style& style : styles) {
    SCOPED_TRACE(style.command);
    emu.commands.clear();
    CallResult r =
        emu.call("KVTraverseDirectory", {Value::Text(dir.path()), Value::Text(style.command), Value::Text("")});
    EXPECT_EQ(r.error, 0);
    ASSERT_EQ(emu.commands.size(), names.size()) << style.command;  // one command per file
    std::vector<std::string> got;
    for (const std::string& line : emu.commands) {
      std::string before = style.before, after = style.after;
      ASSERT_EQ(line.substr(0, before.size()), before) << line;
      ASSERT_EQ(line.substr(line.size() - after.size()), after) << line;
      std::string middle = line.substr(before.size(), line.size() - before.size() - after.size());
      host::Value value = emu.interpreter().evaluate(middle);
      EXPECT_EQ(value.kind, Value::Kind::Char) << line;
      got.push_back(value.text);
    }
    std::vector<std::string> want;
    for (const std::string& name : names) want.push_back(dir.file(name));
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want) << style.command;
  }

  // Run for real: each path is printed once and nothing else happens.
  char saved[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, saved);
  SetCurrentDirectoryA(dir.path().c_str());
  emu.commandHook = nullptr;
  std::vector<std::string> printed;
  emu.print = [&](const std::string& line) { printed.push_back(line); };
  for (const std::string prefix : {"", "file: "}) {
    printed.clear();
    std::string command = prefix.empty() ? "? '%s'" : "? [file: %s]";
    emu.call("KVTraverseDirectory", {Value::Text(dir.path()), Value::Text(command), Value::Text("")});
    std::vector<std::string> want;
    for (const std::string& name : names) want.push_back(prefix + dir.file(name));
    std::sort(printed.begin(), printed.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(printed, want) << command;
  }
  SetCurrentDirectoryA(saved);
  EXPECT_FALSE(FileExists(dir.file("pwned1")));
  EXPECT_FALSE(FileExists(dir.file("pwned2")));
}

// Where the path would stand outside any literal and holds what the host
// parses, the item is skipped with 123 recorded; the other items still run.
// A '[' after a name is a subscript to the host, blanks between or not, so
// the path there stands outside any literal too.
TEST(TraverseNames, UnsafeItemsAreSkippedWith123) {
  TempDir dir;
  WriteFile(dir.file("plain.prg"), "x");
  WriteFile(dir.file("with space.prg"), "x");
  WriteFile(dir.file("x', APICreateDirectory('pwned'), '.prg"), "x");
  HostEmulator emu;
  emu.commandHook = [](const std::string&) { return true; };
  for (const std::string command : {"DO %s", "? arr[%s]", "? arr [%s]", "? arr \t [%s]"}) {
    SCOPED_TRACE(command);
    emu.call("CabFlushCab", {Value::Int(-1)});  // some other recorded failure first
    emu.commands.clear();                       // the load hook's own command
    emu.call("KVTraverseDirectory", {Value::Text(dir.path()), Value::Text(command), Value::Text("")});
    const std::string at = command.substr(0, command.find("%s"));
    EXPECT_EQ(emu.commands, (std::vector<std::string>{at + dir.file("plain.prg") + command.substr(at.size() + 2)}));
    EXPECT_LAST_ERROR(emu, ERROR_INVALID_NAME);
  }
  EXPECT_FALSE(FileExists(dir.file("pwned")));
}

// 誠 is D5 5C under code page 936: a start folder ending in it has no
// closing separator yet. Under a single-byte code page the same bytes are
// a letter and a backslash, and the walk goes byte by byte.
TEST(TraverseNames, StartFolderEndingInADoubleByteCharacter) {
  TempDir dir;
  std::string start = dir.file("\xD5\x5C");
  ASSERT_TRUE(CreateDirectoryA(start.c_str(), nullptr));
  bool gbk = GetACP() == 936;
  std::string file = gbk ? start + "\\f.txt" : start + "f.txt";
  WriteFile(file, "x");
  HostEmulator emu;
  emu.commandHook = [](const std::string&) { return true; };
  for (const std::string& folder : {start, start + "\\"}) {
    if (!gbk && folder != start) continue;
    emu.commands.clear();
    emu.call("KVTraverseDirectory", {Value::Text(folder), Value::Text("G %s"), Value::Text("")});
    EXPECT_EQ(emu.commands, (std::vector<std::string>{"G " + file})) << Hex(folder);
  }
}

// Unix symbolic links made in the test folder show as folders under Wine.
// Wine starts a Unix program without a process handle to wait on, so the
// links are made and removed by one shell line each and the test waits, a
// bounded number of times, for its effect on the folder.
class TraverseLinks : public testing::Test {
 protected:
  void SetUp() override {
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto toUnix = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) GTEST_SKIP() << "not under Wine";
    std::wstring wide(dir->path().begin(), dir->path().end());
    char* unix = toUnix(wide.c_str());
    if (!unix) GTEST_SKIP() << "no Unix path";
    std::string unixPath = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    if (unixPath.find_first_of("'\"") != std::string::npos) GTEST_SKIP() << "a quote in the Unix path";
    unixRoot = unixPath;
    root = dir->path();
    for (const char* folder : {"\\B", "\\B\\C", "\\S"}) CreateDirectoryA((root + folder).c_str(), nullptr);
    for (const char* file : {"\\a.txt", "\\B\\b.txt", "\\B\\C\\c.txt", "\\S\\s.txt"}) WriteFile(root + file, "x");
    emu.commandHook = [](const std::string&) { return true; };
  }

  // The links go before the folder is removed, which would follow them; a
  // folder whose links could not be seen gone is left in place.
  void TearDown() override {
    if (unixRoot.empty()) return;
    std::string names;
    for (const Link& link : kLinks) names += std::string(" ") + link.name;
    if (!StartShell("cd '" + unixRoot + "' && /bin/rm -f" + names) || !WaitFor([&] { return !AnyLinkExists(); })) {
      static_cast<void>(dir.release());  // left on disk rather than walked through its links
    }
  }

  struct Link {
    const char* target;
    const char* name;  // relative to the test folder, Unix separators
  };
  // x and y lead back to the start, B/up to it too; B/side is a link to
  // the sibling S.
  static constexpr Link kLinks[] = {{".", "x"}, {".", "y"}, {"..", "B/up"}, {"../S", "B/side"}};

  // Starts `sh -c line`, without waiting: a Unix program cannot be
  // waited for.
  static bool StartShell(const std::string& line) {
    ProcessOptions options;
    options.program = "Z:\\bin\\sh";
    options.unixProgram = true;
    return StartProcess("Z:\\bin\\sh -c \"" + line + "\"", options).started();
  }

  // Up to about a minute (a bound for a loaded machine, not a measure);
  // false when the condition never held.
  static bool WaitFor(const std::function<bool()>& done) {
    for (int tries = 0; tries < 3000; ++tries) {
      if (done()) return true;
      Sleep(20);
    }
    return done();
  }

  bool LinkExists(const Link& link) const {
    std::string windowsName = link.name;
    std::replace(windowsName.begin(), windowsName.end(), '/', '\\');
    return GetFileAttributesA((root + "\\" + windowsName).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  bool AnyLinkExists() const {
    return std::any_of(std::begin(kLinks), std::end(kLinks), [&](const Link& l) { return LinkExists(l); });
  }
  bool MakeLinks() {
    std::string line = "cd '" + unixRoot + "'";
    for (const Link& link : kLinks) line += std::string(" && /bin/ln -s ") + link.target + " " + link.name;
    if (!StartShell(line)) return false;
    return WaitFor([&] {
      return std::all_of(std::begin(kLinks), std::end(kLinks), [&](const Link& l) { return LinkExists(l); });
    });
  }

  std::vector<std::string> Walk(int flags, Caller caller = {}) {
    emu.commands.clear();
    CallWithoutResult(
        emu, "KVTraverseDirectory",
        {Value::Text(root), Value::Text("G %s"), Value::Text("F %s"), Value::Text("*.txt"), Value::Int(flags)}, caller);
    return emu.commands;
  }

  std::unique_ptr<TempDir> dir = std::make_unique<TempDir>();
  std::string root, unixRoot;
  HostEmulator emu;
};

TEST_F(TraverseLinks, LoopsEndWithEveryRealFolderVisited) {
  if (!MakeLinks()) GTEST_SKIP() << "cannot make Unix links here";
  // The links back up the branch end there; B\side is walked like a folder.
  const std::vector<std::string> want = {
      "G " + root + "\\a.txt",  "G " + root + "\\B\\b.txt",       "G " + root + "\\B\\C\\c.txt",
      "F " + root + "\\B\\C\\", "G " + root + "\\B\\side\\s.txt", "F " + root + "\\B\\side\\",
      "F " + root + "\\B\\",    "G " + root + "\\S\\s.txt",       "F " + root + "\\S\\"};
  std::vector<std::string> got = Walk(2);
  std::vector<std::string> sortedGot = got, sortedWant = want;
  std::sort(sortedGot.begin(), sortedGot.end());
  std::sort(sortedWant.begin(), sortedWant.end());
  EXPECT_EQ(sortedGot, sortedWant);
  EXPECT_EQ(Walk(6).size(), want.size());
}

}  // namespace
}  // namespace larch::test
