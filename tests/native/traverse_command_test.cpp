#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "files/traverse_command.h"
#include "files/traverse_walk.h"

namespace larch {
namespace {

TEST(WalkCommand, PreparationAndExpansion) {
  struct Case {
    const char* command;
    const char* path;
    const char* line;
  };
  const Case cases[] = {
      {"MYPROC", "C:\\dir\\file.txt", "MYPROC(\"C:\\dir\\file.txt\")"},
      {"? '%s'", "C:\\a b\\x.prg", "? 'C:\\a b\\x.prg'"},
      {"DO p WITH '%s', '%s'", "C:\\d\\", "DO p WITH 'C:\\d\\', 'C:\\d\\'"},
      {"? '100%%' + '%s'", "f", "? '100%' + 'f'"},
      {"? '100%%'", "f", "? '100%'(\"f\")"},
      // "%%s" holds the text %s, so nothing is appended and no path goes in.
      {"? '%%s'", "f", "? '%s'"},
      // A path with percent signs is put in as it is.
      {"? '%s'", "C:\\100%s%d\\x", "? 'C:\\100%s%d\\x'"},
  };
  for (const Case& c : cases) {
    std::optional<std::string> prepared = PrepareWalkCommand(c.command);
    ASSERT_TRUE(prepared) << c.command;
    EXPECT_EQ(ExpandWalkCommand(*prepared, c.path), c.line) << c.command;
  }
}

TEST(WalkCommand, OtherConversionsAreRefused) {
  for (const char* command : {"", "? '%d'", "? '%s %n'", "? '%x%s'", "? 100%", "%", "? '%S'", "? '%.999s'"}) {
    EXPECT_FALSE(PrepareWalkCommand(command)) << command;
  }
}

TEST(WalkCommand, LongPathsAndManyConversions) {
  std::string path(5000, 'p');
  std::string line = ExpandWalkCommand(*PrepareWalkCommand("%s%s%s%s"), path);
  EXPECT_EQ(line, path + path + path + path);
}

// A small tree in memory, searched in the order a listing gives.
class FakeTree {
 public:
  // Folder paths end in '\'; entries in the order the system gives them.
  std::map<std::string, std::vector<std::pair<std::string, bool>>> folders;
  std::vector<std::string> patterns;

  void search(const std::string& pattern, const WalkEntryFn& entry) {
    patterns.push_back(pattern);
    size_t cut = pattern.rfind('\\') + 1;
    auto found = folders.find(pattern.substr(0, cut));
    if (found == folders.end()) return;
    std::string mask = pattern.substr(cut);
    entry(".", true);
    entry("..", true);
    for (const auto& [name, directory] : found->second) {
      bool matches = mask == "*" || mask == "*.*" || (name.size() >= 4 && name.substr(name.size() - 4) == mask.substr(1));
      if (matches) entry(name, directory);
    }
  }
};

std::vector<std::string> RunWalk(FakeTree& tree, WalkPlan plan) {
  std::vector<std::string> lines;
  Walk(plan, [&](const std::string& p, const WalkEntryFn& e) { tree.search(p, e); },
       [&](const std::string& line) { lines.push_back(line); });
  return lines;
}

TEST(Walk, OrderByFlags) {
  FakeTree tree;
  tree.folders["A\\"] = {{"B", true}, {"f.txt", false}, {"g.dat", false}};
  tree.folders["A\\B\\"] = {{"C", true}, {"h.txt", false}, {"D.txt", true}};
  tree.folders["A\\B\\C\\"] = {{"i.txt", false}};
  tree.folders["A\\B\\D.txt\\"] = {};
  WalkPlan plan{"A", "G %s", "F %s", "*.txt", 0};

  EXPECT_EQ(RunWalk(tree, plan), (std::vector<std::string>{"G A\\f.txt"}));
  plan.flags = 2;
  EXPECT_EQ(RunWalk(tree, plan),
            (std::vector<std::string>{"G A\\f.txt", "G A\\B\\h.txt", "G A\\B\\C\\i.txt", "F A\\B\\C\\",
                                      "F A\\B\\D.txt\\", "F A\\B\\"}));
  plan.flags = 6;
  EXPECT_EQ(RunWalk(tree, plan),
            (std::vector<std::string>{"F A\\B\\", "F A\\B\\C\\", "G A\\B\\C\\i.txt", "F A\\B\\D.txt\\",
                                      "G A\\B\\h.txt", "G A\\f.txt"}));
  plan.flags = 4 | 8 | 1;  // 4 without 2 changes nothing
  EXPECT_EQ(RunWalk(tree, plan), (std::vector<std::string>{"G A\\f.txt"}));
}

TEST(Walk, WhatIsSearched) {
  FakeTree tree;
  tree.folders["A\\"] = {{"B", true}, {"f.txt", false}};
  tree.folders["A\\B\\"] = {{"g.txt", false}};

  // No mask: files are not searched for, subfolders still are.
  EXPECT_EQ(RunWalk(tree, {"A\\", "G %s", "F %s", std::nullopt, 2}), (std::vector<std::string>{"F A\\B\\"}));
  EXPECT_EQ(tree.patterns, (std::vector<std::string>{"A\\*", "A\\B\\*"}));

  tree.patterns.clear();
  EXPECT_TRUE(RunWalk(tree, {"A", std::nullopt, std::nullopt, "*.*", 6}).empty());
  EXPECT_TRUE(RunWalk(tree, {"", "G %s", "F %s", "*.*", 6}).empty());
  EXPECT_TRUE(tree.patterns.empty());

  // Only a folder command: folders are walked, no file search is made.
  EXPECT_EQ(RunWalk(tree, {"A", std::nullopt, "F %s", "*.*", 2}), (std::vector<std::string>{"F A\\B\\"}));
  EXPECT_EQ(tree.patterns, (std::vector<std::string>{"A\\*", "A\\B\\*"}));
}

}  // namespace
}  // namespace larch
