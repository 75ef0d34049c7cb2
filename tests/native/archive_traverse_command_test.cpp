#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "archive/traverse_command.h"
#include "archive/traverse_walk.h"
#include "archive_traverse_host_reader.h"
#include "bridge/host_command.h"

namespace larch {
namespace {

using test::ReadHostExpression;

const LeadBytes kSingle;
const LeadBytes kGbk = LeadBytes::gbk();

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
    out += ' ';
  }
  return out;
}

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
      // A delimiter of the path is spliced in, and the literal grouped.
      {"? '%s'", "C:\\it's", "? ('C:\\it' + \"'\" + 's')"},
      {"? [file: %s] + 'x'", "a]b", "? ([file: a] + \"]\" + [b]) + 'x'"},
      {"MYPROC", "a\"b", "MYPROC((\"a\" + '\"' + \"b\"))"},
      {"? \"%s\"", "a&b", "? (\"a\" + '&' + \"b\")"},
      // A subscript is no literal: the path stands outside any literal.
      // Blanks before '[' change nothing, as the host skips them.
      {"? arr[%s]", "1", "? arr[1]"},
      {"? arr [%s]", "1", "? arr [1]"},
      {"? arr \t [%s]", "1", "? arr \t [1]"},
      {"? f() [%s]", "1", "? f() [1]"},
      // After an operator or a literal '[' opens a literal, blanks or not.
      {"? 'a' + [%s]", "it's", "? 'a' + [it's]"},
      {"? 'a'  [%s]", "x", "? 'a'  [x]"},
      {"DO %s", "C:\\dir\\prog.prg", "DO C:\\dir\\prog.prg"},
  };
  for (const Case& c : cases) {
    std::optional<std::string> prepared = PrepareWalkCommand(c.command);
    ASSERT_TRUE(prepared) << c.command;
    EXPECT_EQ(ExpandHostCommand(kSingle, *prepared, c.path), c.line) << c.command;
  }
}

TEST(WalkCommand, OtherConversionsAreRefused) {
  for (const char* command : {"", "? '%d'", "? '%s %n'", "? '%x%s'", "? 100%", "%", "? '%S'", "? '%.999s'"}) {
    EXPECT_FALSE(PrepareWalkCommand(command)) << command;
  }
}

TEST(WalkCommand, LongPathsAndManyConversions) {
  std::string path(5000, 'p');
  std::optional<std::string> line = ExpandHostCommand(kSingle, *PrepareWalkCommand("%s%s%s%s"), path);
  EXPECT_EQ(line, path + path + path + path);
}

// Every command style against names that hold what the host parses: the
// line must read back, as one expression around the known code, as the
// literal text with the path in it, both byte by byte and by GBK character.
TEST(WalkCommand, PathsArriveAsOneLiteral) {
  // clang-format off
  const std::string names[] = {
      "C:\\d\\x', APICreateDirectory('pwned1'), '.txt",
      "C:\\d\\x\", APICreateDirectory(\"pwned1\"), \".txt",
      "C:\\d\\x], APICreateDirectory([pwned1]), [.txt",
      "C:\\d\\it's [a] \"b\".txt",
      "C:\\d\\&pwned.txt",
      "C:\\d\\a&&b.txt",
      "C:\\d\\100%s%d%%.txt",
      "C:\\d\\a;b.txt",
      "C:\\d\\[[[.txt",
      "C:\\d\\]]]'''\"\"\".txt",
      "C:\\d\\\xD5\x5C\\\x9C\x5C.txt",          // 誠\淺.txt
      "C:\\d\\\x81\x5D\x81\x5B.txt",            // GBK characters ending in ] and [
      "C:\\d\\\x81\x5D'\x81\x27.txt",           // and one whose second byte is '
  };
  // clang-format on
  for (const LeadBytes* leads : {&kSingle, &kGbk}) {
    for (const test::WalkCommandStyle& style : test::kWalkCommandStyles) {
      std::string prepared = *PrepareWalkCommand(style.command);
      for (const std::string& name : names) {
        SCOPED_TRACE(std::string(style.command) + " | " + Hex(name) + (leads == &kGbk ? " | GBK" : " | single"));
        std::optional<std::string> line = ExpandHostCommand(*leads, prepared, name);
        ASSERT_TRUE(line);
        std::string before = style.before, after = style.after;
        ASSERT_EQ(line->substr(0, before.size()), before) << *line;
        ASSERT_GE(line->size(), before.size() + after.size());
        ASSERT_EQ(line->substr(line->size() - after.size()), after) << *line;
        std::string middle = line->substr(before.size(), line->size() - before.size() - after.size());
        EXPECT_EQ(ReadHostExpression(kSingle, middle), style.prefix + name) << *line;
        if (leads == &kGbk) {
          EXPECT_EQ(ReadHostExpression(kGbk, middle), style.prefix + name) << *line;
        }
      }
    }
  }
}

TEST(WalkCommand, PathsWithoutASafeFormAreRefused) {
  // No literal survives a line break or another control character, nor a
  // path ending in the first half of a double-byte character.
  for (const char* command : {"? '%s'", "? \"%s\"", "? [%s]", "MYPROC", "DO p WITH '%s'", "DO %s"}) {
    std::string prepared = *PrepareWalkCommand(command);
    for (std::string name : {"a\rb", "a\nb", "a\tb", "a\x7F", "a\x01"}) {
      EXPECT_FALSE(ExpandHostCommand(kGbk, prepared, name)) << command << " " << Hex(name);
      EXPECT_FALSE(ExpandHostCommand(kSingle, prepared, name)) << command << " " << Hex(name);
    }
    EXPECT_FALSE(ExpandHostCommand(kGbk, prepared, "a\xD5")) << command;
  }
  // Byte by byte the same last byte is a letter of the code page.
  EXPECT_EQ(ExpandHostCommand(kSingle, "? '%s'", "a\xD5"), "? 'a\xD5'");

  // Outside a literal only name characters pass.
  EXPECT_EQ(ExpandHostCommand(kGbk, "DO %s", "C:\\d-1\\\xD5\x5C_~.prg"), "DO C:\\d-1\\\xD5\x5C_~.prg");
  for (const char* name : {"C:\\a b.prg", "x(1)", "a'b", "a\"b", "a[b]", "&x", "a;b", "a,b", "a=b", "a+b", "a%b"}) {
    EXPECT_FALSE(ExpandHostCommand(kSingle, "DO %s", name)) << name;
  }
  // Where the host reads a subscript, a path that is no plain name is
  // refused rather than put in as a literal the host would parse as code.
  for (const char* command : {"? arr [%s]", "? arr  [%s]", "? arr\t[%s]", "? x.y [%s]"}) {
    EXPECT_FALSE(ExpandHostCommand(kSingle, command, "a', APICreateDirectory('pwned'), '")) << command;
    EXPECT_FALSE(ExpandHostCommand(kSingle, command, "a b")) << command;
  }
  // One unsafe place refuses the whole line.
  EXPECT_FALSE(ExpandHostCommand(kSingle, "? '%s' + %s", "a b"));
}

TEST(WalkCommand, TextExpressionForTheHost) {
  EXPECT_EQ(HostTextExpression(kSingle, "larch-shell.exe"), "\"larch-shell.exe\"");
  EXPECT_EQ(HostTextExpression(kGbk, "\xD5\x5C.exe"), "\"\xD5\x5C.exe\"");
  std::optional<std::string> spliced = HostTextExpression(kSingle, "a\"b&c.exe");
  ASSERT_TRUE(spliced);
  EXPECT_EQ(ReadHostExpression(kSingle, *spliced), "a\"b&c.exe");
  EXPECT_FALSE(HostTextExpression(kSingle, "a\nb"));
}

// A small tree in memory. Folders are nodes; a link is an entry that leads
// to a node that already has another path.
class FakeTree {
 public:
  struct Entry {
    std::string name;
    bool directory;
    int node;  // for folders
  };
  std::vector<std::vector<Entry>> nodes{{}};  // node 0: the start folder "A\"
  std::vector<std::string> patterns;
  std::vector<std::string> refused;
  std::set<int> unknown;  // nodes whose identity the system cannot tell

  int folder(int parent, const std::string& name) {
    nodes.push_back({});
    int node = static_cast<int>(nodes.size()) - 1;
    nodes[parent].push_back({name, true, node});
    return node;
  }
  void link(int parent, const std::string& name, int target) { nodes[parent].push_back({name, true, target}); }
  void file(int parent, const std::string& name) { nodes[parent].push_back({name, false, -1}); }

  // The node a folder path ("A\B\") leads to, or -1.
  int resolve(const std::string& path) const {
    if (path.rfind("A\\", 0) != 0) return -1;
    int node = 0;
    size_t at = 2;
    while (at < path.size()) {
      size_t end = FindChar(kGbk, path, '\\', at);  // names here are ASCII or GBK
      std::string part = path.substr(at, end - at);
      int next = -1;
      for (const Entry& e : nodes[node]) {
        if (e.directory && e.name == part) next = e.node;
      }
      if (next < 0) return -1;
      node = next;
      at = end + 1;
    }
    return node;
  }

  void search(const std::string& pattern, const WalkEntryFn& entry) {
    patterns.push_back(pattern);
    size_t cut = FindLastCharOf(kGbk, pattern, "\\") + 1;
    int node = resolve(pattern.substr(0, cut));
    if (node < 0) return;
    std::string mask = pattern.substr(cut);
    entry(".", true);
    entry("..", true);
    for (const Entry& e : nodes[node]) {
      bool matches =
          mask == "*" || mask == "*.*" || (e.name.size() >= 4 && e.name.substr(e.name.size() - 4) == mask.substr(1));
      if (matches) entry(e.name, e.directory);
    }
  }

  std::optional<FolderId> identity(const std::string& folder) const {
    int node = resolve(folder);
    if (node < 0 || unknown.count(node)) return std::nullopt;
    return FolderId{7, static_cast<uint64_t>(node)};
  }
};

std::vector<std::string> RunWalk(FakeTree& tree, WalkPlan plan, const LeadBytes& leads = kSingle) {
  std::vector<std::string> lines;
  WalkServices services;
  services.search = [&](const std::string& p, const WalkEntryFn& e) { tree.search(p, e); };
  services.identity = [&](const std::string& folder) { return tree.identity(folder); };
  services.run = [&](const std::string& line) { lines.push_back(line); };
  services.refused = [&](const std::string& path) { tree.refused.push_back(path); };
  Walk(plan, leads, services);
  return lines;
}

// A\f.txt  A\g.dat  A\B\h.txt  A\B\C\i.txt  A\B\D.txt\ (a folder)
FakeTree SampleTree() {
  FakeTree tree;
  int b = tree.folder(0, "B");
  tree.file(0, "f.txt");
  tree.file(0, "g.dat");
  int c = tree.folder(b, "C");
  tree.file(b, "h.txt");
  tree.folder(b, "D.txt");
  tree.file(c, "i.txt");
  return tree;
}

TEST(Walk, OrderByFlags) {
  FakeTree tree = SampleTree();
  WalkPlan plan{"A", "G %s", "F %s", "*.txt", 0};

  EXPECT_EQ(RunWalk(tree, plan), (std::vector<std::string>{"G A\\f.txt"}));
  plan.flags = 2;
  EXPECT_EQ(RunWalk(tree, plan), (std::vector<std::string>{"G A\\f.txt", "G A\\B\\h.txt", "G A\\B\\C\\i.txt",
                                                           "F A\\B\\C\\", "F A\\B\\D.txt\\", "F A\\B\\"}));
  plan.flags = 6;
  EXPECT_EQ(RunWalk(tree, plan), (std::vector<std::string>{"F A\\B\\", "F A\\B\\C\\", "G A\\B\\C\\i.txt",
                                                           "F A\\B\\D.txt\\", "G A\\B\\h.txt", "G A\\f.txt"}));
  plan.flags = 4 | 8 | 1;  // 4 without 2 changes nothing
  EXPECT_EQ(RunWalk(tree, plan), (std::vector<std::string>{"G A\\f.txt"}));
}

TEST(Walk, WhatIsSearched) {
  FakeTree tree;
  int b = tree.folder(0, "B");
  tree.file(0, "f.txt");
  tree.file(b, "g.txt");

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

TEST(Walk, LinksBackUpTheBranchEndTheWalk) {
  // A\x -> A and A\y -> A (two loops at the top), A\B\up -> A\B (a loop
  // to itself), A\B\top -> A (a loop two levels up), A\side -> A\B (a link
  // to a sibling: walked like any folder).
  FakeTree tree;
  int b = tree.folder(0, "B");
  tree.file(0, "f.txt");
  tree.file(b, "g.txt");
  tree.link(0, "x", 0);
  tree.link(0, "y", 0);
  tree.link(b, "up", b);
  tree.link(b, "top", 0);
  tree.link(0, "side", b);
  EXPECT_EQ(RunWalk(tree, {"A", "G %s", "F %s", "*.*", 2}),
            (std::vector<std::string>{"G A\\f.txt", "G A\\B\\g.txt", "F A\\B\\", "G A\\side\\g.txt", "F A\\side\\"}));
  EXPECT_EQ(RunWalk(tree, {"A", "G %s", "F %s", "*.*", 6}),
            (std::vector<std::string>{"F A\\B\\", "G A\\B\\g.txt", "F A\\side\\", "G A\\side\\g.txt", "G A\\f.txt"}));
}

TEST(Walk, FoldersOfUnknownIdentityAreNotEntered) {
  FakeTree tree = SampleTree();
  tree.unknown.insert(tree.resolve("A\\B\\"));
  EXPECT_EQ(RunWalk(tree, {"A", "G %s", "F %s", "*.txt", 2}), (std::vector<std::string>{"G A\\f.txt", "F A\\B\\"}));
}

TEST(Walk, RefusedItemsAreSkippedAndTheWalkGoesOn) {
  FakeTree tree;
  tree.file(0, "a\nb.txt");
  tree.file(0, "c.txt");
  int bad = tree.folder(0, "d e");
  tree.file(bad, "f.txt");
  EXPECT_EQ(RunWalk(tree, {"A", "G '%s'", "DO %s", "*.txt", 2}),
            (std::vector<std::string>{"G 'A\\c.txt'", "G 'A\\d e\\f.txt'"}));
  EXPECT_EQ(tree.refused, (std::vector<std::string>{"A\\a\nb.txt", "A\\d e\\"}));
}

TEST(Walk, StartFolderEndingInADoubleByteCharacter) {
  // 誠 ends in 0x5C: under GBK the start folder has no closing separator
  // yet, so one is added; byte by byte it has one.
  const std::string cheng = "A\\\xD5\x5C";
  EXPECT_EQ(WalkFolder(kGbk, cheng), cheng + "\\");
  EXPECT_EQ(WalkFolder(kGbk, cheng + "\\"), cheng + "\\");
  EXPECT_EQ(WalkFolder(kSingle, cheng), cheng);
  EXPECT_EQ(WalkFolder(kGbk, "A"), "A\\");

  FakeTree tree;
  int c = tree.folder(0, "\xD5\x5C");
  tree.file(c, "f.txt");
  EXPECT_EQ(RunWalk(tree, {cheng, "G %s", std::nullopt, "*.*", 0}, kGbk),
            (std::vector<std::string>{"G " + cheng + "\\f.txt"}));
  EXPECT_EQ(tree.patterns.back(), cheng + "\\*.*");

  // Half a character at the end: nothing is searched, the start is refused.
  tree.patterns.clear();
  EXPECT_TRUE(RunWalk(tree, {"A\\\xD5", "G %s", std::nullopt, "*.*", 0}, kGbk).empty());
  EXPECT_TRUE(tree.patterns.empty());
  EXPECT_EQ(tree.refused.back(), "A\\\xD5");
}

}  // namespace
}  // namespace larch
