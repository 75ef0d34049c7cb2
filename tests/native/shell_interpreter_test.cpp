// The host-language interpreter of the shell, against a host that keeps
// variables in memory and offers a few functions of its own in place of a
// loaded library. The interpreter is portable and builds natively; the
// host emulator around it builds only for Windows.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "interpreter.h"
#include "memory_shell_host.h"

namespace larch::host {
namespace {

class MemoryHost : public MemoryShellHost {
 public:
  explicit MemoryHost(LeadBytes leads = LeadBytes::gbk()) : MemoryShellHost(leads) {}

  // The "library": functions exist only while one is loaded.
  bool hasFunction(const std::string& name) const override {
    std::string n = UpperCase(name);
    return !library_.empty() && (n == "TWICE" || n == "FAILS" || n == "SILENT" || n == "BUMP");
  }
  CallResult callFunction(const std::string& name, const std::vector<Arg>& args) override {
    std::string n = UpperCase(name);
    CallResult r;
    calls.push_back(n);
    if (n == "TWICE") {
      r.returns = 1;
      r.value = Value::Int(args.at(0).value.integer * 2);  // width 10, as the library sends
    } else if (n == "FAILS") {
      r.error = 9;
    } else if (n == "BUMP") {  // adds 1 to a variable passed by reference
      Variable* v = variable(args.at(0).byRef);
      v->scalar = Value::Int(v->scalar.integer + 1, 0);
    }
    return r;
  }
  bool loadLibrary(const std::string& path, std::string* error) override {
    if (path.size() < 8 || UpperCase(path.substr(path.size() - 8)) != "GOOD.DLL") {
      *error = "cannot load";
      return false;
    }
    if (!library_.empty()) releaseLibrary();
    library_ = path;
    return true;
  }
  void releaseLibrary() override {
    if (!library_.empty()) releases.push_back(library_);
    library_.clear();
  }
  std::string libraryPath() const override { return library_; }
  std::string programFolder() const override { return "C:\\bin\\"; }
  void printLine(const std::string& line) override { out.push_back(line); }
  bool printInline(const std::string& text) override {
    if (!inline_) return false;
    raw += text;
    return true;
  }
  std::vector<std::string> out;  // whole lines
  std::string raw;               // text printed inline, when allowed
  std::vector<std::string> calls;
  std::vector<std::string> releases;
  bool inline_ = false;

 private:
  std::string library_;
};

// Feeds the lines and returns what was printed.
std::vector<std::string> Feed(MemoryHost& host, const std::vector<std::string>& lines) {
  Interpreter shell(host);
  for (const std::string& line : lines) {
    if (!shell.feed(line)) break;
  }
  shell.finish();
  return host.out;
}

std::string Print(const std::string& expression) {
  MemoryHost host;
  std::vector<std::string> out = Feed(host, {"? " + expression});
  return out.size() == 1 ? out[0] : "<" + std::to_string(out.size()) + " lines>";
}

TEST(ShellInterpreter, ExpressionsPrintAsTheHostShowsThem) {
  struct Case {
    const char* expression;
    const char* shown;
  };
  const Case cases[] = {
      // precedence and parentheses
      {"2 + 3 * 4", "14"},
      {"(2 + 3) * 4", "20"},
      {"2 ^ 3 ^ 2", "64.00"},
      {"2 ** 10", "1024.00"},
      {"-2 + 5", "3"},
      {"7 % 3", "1"},
      {"-7 % 3", "2"},
      {"7 % -3", "-2"},
      {"10 / 4", "2.50"},
      {"1 / 3", "0.33"},
      {"1.125 / 1", "1.125"},
      {"1.5 * 1.5", "2.25"},
      {"0.1 + 0.2", "0.3"},
      {"1.50 + 1", "2.50"},
      {"2147483647 + 1", "2147483648"},
      // logical operators, words and dotted forms
      {".T. AND .F.", ".F."},
      {".T. .AND. .T.", ".T."},
      {".F. OR .T.", ".T."},
      {".F..OR..F.", ".F."},
      {"NOT .T.", ".F."},
      {".NOT. .F.", ".T."},
      {"!.T.", ".F."},
      {"1 < 2 AND 3 > 2", ".T."},
      {"NOT 1 = 2 OR .F.", ".T."},
      // comparisons: inexact = on texts, exact ==
      {"\"abc\" = \"ab\"", ".T."},
      {"\"ab\" = \"abc\"", ".F."},
      {"\"abc\" = \"\"", ".T."},
      {"\"ab\" = \"ab  \"", ".T."},
      {"\"abc\" == \"ab\"", ".F."},
      {"\"abc\" <> \"ab\"", ".F."},
      {"\"abc\" != \"abd\"", ".T."},
      {"\"a\" < \"b\"", ".T."},
      {"\"ell\" $ \"Hello\"", ".T."},
      {"1 = 1.0", ".T."},
      {"3 # 4", ".T."},
      // texts
      {"\"ab  \" - \"cd\"", "abcd  "},
      {"[it's] + ' a \"b\"'", "it's a \"b\""},
      {"SUBSTR(\"abcdef\", 2, 3)", "bcd"},
      {"SUBSTR(\"abcdef\", 4)", "def"},
      {"SUBSTR(\"abc\", 9)", ""},
      {"LEFT(\"abc\", 2) + RIGHT(\"abc\", 5)", "ababc"},
      {"STR(42)", "        42"},
      {"STR(-3.14159, 8, 3)", "  -3.142"},
      {"STR(2.5)", "         3"},
      {"STR(123.456, 5, 2)", "123.5"},
      {"STR(123456, 3)", "***"},
      {"ALLTRIM(\"  a b  \") + \"|\"", "a b|"},
      {"LTRIM(\"  a \") + \"|\"", "a |"},
      {"RTRIM(\"  a \") + \"|\"", "  a|"},
      {"UPPER(\"abc\") + LOWER(\"DEF\")", "ABCdef"},
      {"REPLICATE(\"ab\", 3)", "ababab"},
      {"\"[\" + SPACE(3) + \"]\"", "[   ]"},
      {"AT(\"b\", \"abcabc\")", "2"},
      {"AT(\"b\", \"abcabc\", 2)", "5"},
      {"AT(\"x\", \"abc\")", "0"},
      {"AT(\"aa\", \"aaaa\", 2)", "2"},
      {"OCCURS(\"a\", \"abracadabra\")", "5"},
      {"STUFF(\"abcdef\", 3, 2, \"XYZ\")", "abXYZef"},
      {"STUFF(\"abc\", 9, 0, \"d\")", "abcd"},
      {"ASC(\"A\")", "65"},
      {"ASC(\"\")", "0"},
      {"CHR(72) + CHR(105)", "Hi"},
      {"LEN(\"abc\")", "3"},
      // numbers from texts and rounding
      {"VAL(\"12.5abc\")", "12.50"},
      {"VAL(\"  -7\")", "-7.00"},
      {"VAL(\"3.14159\")", "3.14159"},
      {"VAL(\"abc\")", "0.00"},
      {"INT(7.9)", "7"},
      {"INT(-7.9)", "-7"},
      {"ROUND(2.345, 2)", "2.35"},
      {"ROUND(-2.5, 0)", "-3"},
      {"ROUND(1234.5, -2)", "1200"},
      {"ABS(-4)", "4"},
      {"MOD(-7, 3)", "2"},
      {"MAX(3, 9, 4)", "9"},
      {"MIN(\"b\", \"a\")", "a"},
      {"IIF(1 > 2, \"yes\", \"no\")", "no"},
      {"EMPTY(\"  \"), EMPTY(0), EMPTY(.T.)", ".T. .T. .F."},
      // types
      {"VARTYPE(\"x\"), VARTYPE(1), VARTYPE(1.5), VARTYPE(.F.)", "C N N L"},
      {"TYPE(\"1 + 1\"), TYPE(\"'a'\"), TYPE(\"nosuchvar\"), TYPE(\"1 +\")", "N C U U"},
      // a list prints its values apart
      {"1, \"a\", .T.", "1 a .T."},
  };
  for (const Case& c : cases) EXPECT_EQ(Print(c.expression), c.shown) << c.expression;
}

TEST(ShellInterpreter, ErrorsNameWhatFailed) {
  struct Case {
    const char* line;
    std::string message;
  };
  const Case cases[] = {
      {"? KVFOO(1)", "Function 'KVFOO' is not found."},
      {"? x + 1", "Variable 'X' is not found."},
      {"? Twice(@nothere)", "Variable 'NOTHERE' is not found."},
      {"? 1 +", "Syntax error."},
      {"? (1", "Syntax error."},
      {"? \"abc", "Syntax error."},
      {"? \"a\" + 1", "Operator/operand type mismatch."},
      {"? 1 AND .T.", "Operator/operand type mismatch."},
      {"? 1 / 0", "Division by 0."},
      {"? 10 ^ 400", "Numeric overflow. Data was lost."},
      {"? LEFT(\"abc\", 10 ^ 300 * 10 ^ 300 - 10 ^ 300 * 10 ^ 300)", "Numeric overflow. Data was lost."},
      {"? SUBSTR(\"abc\")", "Function argument value, type, or count is invalid."},
      {"? SUBSTR(\"abc\", 0)", "Function argument value, type, or count is invalid."},
      {"? LEN(5)", "Function argument value, type, or count is invalid."},
      {"? REPLICATE(\"x\", 20000000)", "String is too long to fit."},
      {"? FILETOSTR(\"no such folder/no such file\")", "File 'no such folder/no such file' does not exist."},
      {"SET LIBRARY TO missing.dll", "File 'missing.dll' does not exist."},
      {"frobnicate the thing", "Unrecognized command verb."},
      {"SET EXACT ON", "Command contains unrecognized phrase/keyword."},
      {"? STRTOFILE(\"x\", REPLICATE(\"a\", 300))", "Cannot open file " + std::string(300, 'a') + "."},
      {"DIMENSION a(0)", "Invalid subscript reference."},
      {"DIMENSION a(70000)", "Invalid subscript reference."},
  };
  for (const Case& c : cases) {
    MemoryHost host;
    EXPECT_EQ(Feed(host, {c.line}), std::vector<std::string>{c.message}) << c.line;
  }
}

TEST(ShellInterpreter, ScriptErrorsGiveTheLine) {
  MemoryHost host;
  Interpreter shell(host);
  shell.beginScript("demo.prg");
  for (const char* line : {"* a comment", "a = 1", "? a + ;", "  b", "? a"}) shell.feed(line);
  shell.finish();
  // The continued command is reported at the line where it began.
  EXPECT_EQ(host.out, (std::vector<std::string>{"demo.prg(3): Variable 'B' is not found.", "1"}));
  EXPECT_EQ(shell.errors(), 1);
}

TEST(ShellInterpreter, LinesCommentsContinuationAndQuit) {
  MemoryHost host;
  Interpreter shell(host);
  std::vector<std::string> lines = {
      "x = 2 && a comment",
      "? x * 3  && 6",
      "? \"a && b\", [c;d]",
      "NOTE a note",
      "* a star comment ;",
      "? 1 + ;",
      "  2 + ;",
      "  3",
      "STORE 5 TO y, z",
      "? y + z",
  };
  for (const std::string& line : lines) EXPECT_TRUE(shell.feed(line)) << line;
  EXPECT_FALSE(shell.feed("  quit  "));
  EXPECT_EQ(host.out, (std::vector<std::string>{"6", "a && b c;d", "6", "10"}));
}

TEST(ShellInterpreter, SameLineOutput) {
  // A host that prints only whole lines gets the pieces joined.
  MemoryHost whole;
  EXPECT_EQ(Feed(whole, {"?? \"a\"", "?? \"b\"", "? \"c\"", "?? 1", "? KVFOO()"}),
            (std::vector<std::string>{"ab", "c", "1", "Function 'KVFOO' is not found."}));
  // A host that shows text as it comes gets it at once.
  MemoryHost live;
  live.inline_ = true;
  Interpreter shell(live);
  shell.feed("?? \"a\"");
  EXPECT_EQ(live.raw, "a");
  shell.feed("?? \"b\"");
  shell.feed("? \"c\"");
  shell.finish();
  EXPECT_EQ(live.raw + (live.out.empty() ? "" : "|" + live.out[0]), "ab\n|c");
}

TEST(ShellInterpreter, VariablesAndArrays) {
  MemoryHost host;
  // clang-format off
  std::vector<std::string> out = Feed(host, {
      "DIMENSION m(2, 3)",
      "m(1, 2) = \"x\"",
      "m[2, 3] = 7",
      "? m(2), m[6], m(1, 1)",
      "? ALEN(m), ALEN(m, 1), ALEN(m, 2), ALEN(\"m\", 0)",
      "? ALEN(m, 10 ^ 40)",
      "DIMENSION m(3, 3)",  // resized: elements keep their order
      "? m(2), m(9)",
      "DIMENSION v(3)",
      "v = 0",  // fills every element
      "? v(1) + v(3), ALEN(v, 2)",
      "? m(4, 1)",
      "m(0) = 1",
      "_screen.tag = \"app\"",
      "? _screen.tag + \"!\"",
      "LOCAL q",
      "? q",
      "RELEASE q, v",
      "? TYPE(\"q\")",
  });
  // clang-format on
  EXPECT_EQ(out, (std::vector<std::string>{"x 7 .F.", "6 2 3 6", "Function argument value, type, or count is invalid.",
                                           "x .F.", "0 0", "Invalid subscript reference.",
                                           "Invalid subscript reference.", "app!", ".F.", "U"}));
}

TEST(ShellInterpreter, LibraryLoadingAndCalls) {
  MemoryHost host;
  // clang-format off
  std::vector<std::string> out = Feed(host, {
      "? Twice(2)",                        // nothing loaded yet
      "SET LIBRARY TO good.dll",
      "? Twice(21), Twice(1) + 1",         // the library's width stays on its own result
      "n = 1",
      "Bump(@n)",                          // a bare call, a variable by reference
      "= Bump(@n)",
      "? n, Silent()",                     // no result sent: the host's .T.
      "? Fails()",
      "SET LIBRARY TO other.dll",          // fails: good.dll stays
      "? Twice(1)",
      "SET LIBRARY TO good.dll ADDITIVE",  // already loaded: nothing happens
      "RELEASE LIBRARY C:\\x\\GOOD.DLL",
      "? Twice(1)",
      "SET LIBRARY TO (\"good\" + \".dll\")",
      "SET LIBRARY TO",
      "? Twice(1)",
  });
  // clang-format on
  EXPECT_EQ(out, (std::vector<std::string>{"Function 'TWICE' is not found.", "        42 3", "3 .T.",
                                           "Data type mismatch.", "File 'other.dll' does not exist.", "         2",
                                           "Function 'TWICE' is not found.", "Function 'TWICE' is not found."}));
  EXPECT_EQ(host.releases, (std::vector<std::string>{"good.dll", "good.dll"}));
}

TEST(ShellInterpreter, FilesRoundTrip) {
  std::string path = testing::TempDir() + "larch_shell_file.txt";
  std::remove(path.c_str());
  MemoryHost host;
  host.setVariable("f", Value::Text(path));
  // clang-format off
  std::vector<std::string> out = Feed(host, {
      "? STRTOFILE(\"ab\" + CHR(0) + \"c\", f)",
      "? STRTOFILE(\"de\", f, .T.)",
      "s = FILETOSTR(f)",
      "? LEN(s), ASC(SUBSTR(s, 3, 1)), RIGHT(s, 3)",
      "? STRTOFILE(\"x\", f), FILETOSTR(f)",
  });
  // clang-format on
  std::remove(path.c_str());
  EXPECT_EQ(out, (std::vector<std::string>{"4", "2", "6 0 cde", "1 x"}));
}

TEST(ShellInterpreter, DoubleByteTextKeepsItsCharacters) {
  // GBK 乗 is 81 5D: its second byte equals ']' and must not end a
  // [text], nor be found by AT, nor be upper-cased (GBK 乗a... 'a' trail).
  const std::string jou = "\x81\x5D";
  const std::string trailA = "\x81\x61";  // second byte 'a'
  MemoryHost gbk;
  // clang-format off
  std::vector<std::string> out = Feed(gbk, {
      "? [" + jou + "] + \"|\"",
      "? AT(\"]\", \"" + jou + "]\"), OCCURS(\"a\", \"" + trailA + "a\")",
      "? UPPER(\"" + trailA + "b\") == \"" + trailA + "B\"",
      "? \"x\" && [" + jou + "] comment",
  });
  // clang-format on
  EXPECT_EQ(out, (std::vector<std::string>{jou + "|", "3 1", ".T.", "x"}));
  // Under a single-byte code page the same bytes are two characters.
  MemoryHost latin(LeadBytes{});
  out = Feed(latin, {"? AT(\"]\", \"" + jou + "]\"), OCCURS(\"a\", \"" + trailA + "a\")"});
  EXPECT_EQ(out, (std::vector<std::string>{"2 2"}));
}

}  // namespace
}  // namespace larch::host
