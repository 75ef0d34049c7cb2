// KVTraverseDirectory over a real folder tree: which host commands run, in
// which order, with which paths.
#include <gtest/gtest.h>

#include <windows.h>

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

  Lines Walk(const std::vector<Arg>& args) {
    emu.commands.clear();
    CallResult r = emu.call("KVTraverseDirectory", args);
    EXPECT_EQ(r.error, 0);
    EXPECT_FALSE(r.sent());
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
  EXPECT_EQ(Walk({Value::Text(root), Value::Text("G %s"), Value::Text("F %s")}),
            Expected({"G \\a.txt", "G \\z.prg"}));
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
  EXPECT_EQ(Walk({Value::Text(root + "\\B"), Value::Text("G %s"), Value::Text(""), Value::Text("*.prg"), Value::Int(2)}),
            Expected({"G \\B\\C\\d.prg"}));
  EXPECT_TRUE(Walk({Value::Text(root), Value::Text(""), Value::Text(""), Value::Text("*.*"), Value::Int(6)}).empty());
  EXPECT_TRUE(Walk({Value::Text(""), Value::Text("G %s"), Value::Text("F %s"), Value::Text("*.*"), Value::Int(6)}).empty());
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
  EXPECT_EQ(Walk({Value::Text(root), Value::Text("? '%s' + '%d'"), Value::Text("F %s"), Value::Text("*.*"),
                  Value::Int(2)}),
            Expected({"F \\B\\C\\", "F \\B\\", "F \\E.txt\\"}));
  EXPECT_TRUE(Walk({Value::Text(root), Value::Text("%n%n%n"), Value::Text("%x"), Value::Text("*.*"), Value::Int(2)})
                  .empty());
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
  Walk({Value::Text(root), Value::Text("? '%s'"),
        Value::Text("= KVTraverseDirectory('%s', '? [<%%s>]', '', '*.txt')"), Value::Text("*.prg"), Value::Int(6)});
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

}  // namespace
}  // namespace larch::test
