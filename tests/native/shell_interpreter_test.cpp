// The host-language interpreter of the shell, against a host that keeps
// variables in memory and offers a few functions of its own in place of a
// loaded library. The interpreter is portable and builds natively; the
// host emulator around it builds only for Windows.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <regex>
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
  // Files the host knows besides those on disk (the quick reference, files
  // to include), by path.
  bool readFile(const std::string& path, std::string* data, bool* tooLong) override {
    auto it = files.find(path);
    if (it == files.end()) return MemoryShellHost::readFile(path, data, tooLong);
    *data = it->second;
    return true;
  }
  bool fileExists(const std::string& path) override {
    return files.count(path) > 0 || MemoryShellHost::fileExists(path);
  }
  std::vector<std::pair<std::string, std::string>> libraryFunctions() const override {
    if (library_.empty()) return {};
    return {{"Twice", "I"}, {"Fails", ""}, {"Silent", ""}, {"Bump", "R"}};
  }
  std::map<std::string, std::string> files;
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
      {"? KVFOO(1)", "Error 1: Function 'KVFOO' is not found."},
      {"? x + 1", "Error 12: Variable 'X' is not found."},
      {"? Twice(@nothere)", "Error 12: Variable 'NOTHERE' is not found."},
      {"? 1 +", "Error 10: Syntax error."},
      {"? (1", "Error 10: Syntax error."},
      {"? \"abc", "Error 10: Syntax error."},
      {"? \"a\" + 1", "Error 107: Operator/operand type mismatch."},
      {"? 1 AND .T.", "Error 107: Operator/operand type mismatch."},
      {"? 1 / 0", "Error 1307: Division by 0."},
      {"? 10 ^ 400", "Error 39: Numeric overflow. Data was lost."},
      {"? LEFT(\"abc\", 10 ^ 300 * 10 ^ 300 - 10 ^ 300 * 10 ^ 300)", "Error 39: Numeric overflow. Data was lost."},
      {"? SUBSTR(\"abc\")", "Error 11: Function argument value, type, or count is invalid."},
      {"? SUBSTR(\"abc\", 0)", "Error 11: Function argument value, type, or count is invalid."},
      {"? LEN(5)", "Error 11: Function argument value, type, or count is invalid."},
      {"? REPLICATE(\"x\", 20000000)", "Error 1903: String is too long to fit."},
      {"? FILETOSTR(\"no such folder/no such file\")", "Error 1: File 'no such folder/no such file' does not exist."},
      {"SET LIBRARY TO missing.dll", "Error 1: File 'missing.dll' does not exist."},
      {"frobnicate the thing", "Error 16: Unrecognized command verb."},
      {"SET EXACT ON", "Error 36: Command contains unrecognized phrase/keyword."},
      {"? STRTOFILE(\"x\", REPLICATE(\"a\", 300))", "Error 101: Cannot open file " + std::string(300, 'a') + "."},
      {"DIMENSION a(0)", "Error 31: Invalid subscript reference."},
      {"DIMENSION a(70000)", "Error 31: Invalid subscript reference."},
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
  EXPECT_EQ(host.out, (std::vector<std::string>{"demo.prg(3): Error 12: Variable 'B' is not found.", "1"}));
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
            (std::vector<std::string>{"ab", "c", "1", "Error 1: Function 'KVFOO' is not found."}));
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
  EXPECT_EQ(out, (std::vector<std::string>{"x 7 .F.", "6 2 3 6",
                                           "Error 11: Function argument value, type, or count is invalid.", "x .F.",
                                           "0 0", "Error 31: Invalid subscript reference.",
                                           "Error 31: Invalid subscript reference.", "app!", ".F.", "U"}));
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
  EXPECT_EQ(out, (std::vector<std::string>{"Error 1: Function 'TWICE' is not found.", "        42 3", "3 .T.",
                                           "Error 9: Data type mismatch.", "Error 1: File 'other.dll' does not exist.",
                                           "         2", "Error 1: Function 'TWICE' is not found.",
                                           "Error 1: Function 'TWICE' is not found."}));
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

// Lines of a program, one string with line breaks, fed one by one.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

TEST(ShellInterpreter, StructuredCommandsRunAsTheHostRunsThem) {
  struct Case {
    const char* name;
    const char* program;
    std::vector<std::string> shown;
  };
  // clang-format off
  const Case cases[] = {
      {"IF takes one branch", "x = 5\nIF x > 3\n  ? \"big\"\nELSE\n  ? \"small\"\nENDIF\n? \"after\"", {"big", "after"}},
      {"IF without ELSE", "IF .F.\n  ? \"no\"\nENDIF\n? \"after\"", {"after"}},
      {"nested IF", "a = 1\nIF a > 0\n  IF a > 5\n    ? \"x\"\n  ELSE\n    ? \"y\"\n  ENDIF\nELSE\n  ? \"z\"\nENDIF", {"y"}},
      {"DO CASE takes the first true CASE",
       "n = 2\nDO CASE\nCASE n = 1\n  ? \"one\"\nCASE n = 2\n  ? \"two\"\nCASE n > 1\n  ? \"more\"\nOTHERWISE\n  ? \"other\"\nENDCASE",
       {"two"}},
      {"DO CASE falls to OTHERWISE", "n = 0\nDO CASE\nCASE n = 1\n  ? \"one\"\nOTHERWISE\n  ? \"other\"\nENDCASE", {"other"}},
      {"DO CASE with nothing true", "DO CASE\nCASE .F.\n  ? \"no\"\nENDCASE\n? \"after\"", {"after"}},
      {"FOR with STEP and NEXT", "s = \"\"\nFOR i = 1 TO 10 STEP 3\n  s = s + TRANSFORM(i) + \",\"\nNEXT\n? s, i", {"1,4,7,10, 13"}},
      {"FOR counting down", "s = \"\"\nFOR i = 3 TO 1 STEP -1\n  s = s + TRANSFORM(i)\nENDFOR\n? s, i", {"321 0"}},
      {"FOR that never turns", "FOR i = 5 TO 1\n  ? \"no\"\nENDFOR\n? i", {"5"}},
      {"FOR with decimals", "s = \"\"\nFOR x = 0 TO 1 STEP 0.25\n  s = s + TRANSFORM(x) + \" \"\nENDFOR\n? s", {"0 0.25 0.50 0.75 1.00 "}},
      {"EXIT leaves the loop", "FOR i = 1 TO 100\n  IF i * i > 50\n    EXIT\n  ENDIF\nENDFOR\n? i", {"8"}},
      {"DO WHILE with LOOP and EXIT",
       "n = 0\ns = \"\"\nDO WHILE .T.\n  n = n + 1\n  IF n = 2\n    LOOP\n  ENDIF\n  IF n > 4\n    EXIT\n  ENDIF\n  s = s + TRANSFORM(n)\nENDDO\n? s, n",
       {"134 5"}},
      {"LOOP and EXIT act on the inner loop",
       "t = 0\nFOR i = 1 TO 3\n  FOR j = 1 TO 3\n    IF j = 2\n      LOOP\n    ENDIF\n    t = t + 1\n  ENDFOR\nENDFOR\n? t", {"6"}},
      {"DO WHILE that never turns", "DO WHILE .F.\n  ? \"no\"\nENDDO\n? \"after\"", {"after"}},
      {"short words, comments, continuations", "IF .T. && why\n  ? 1 + ;\n    2\nENDI && done\nDO WHIL .F.\nENDD\n* IF .F.\n? 4", {"3", "4"}},
      {"ENDIF ignores what follows it", "IF .F.\n  ? 1\nENDIF the end\n? 2", {"2"}},
      {"names that are also words", "exit = 3\nloop = 4\n? exit + loop", {"7"}},
      {"errors end the structure", "FOR i = 1 TO 3\n  ? i\n  ? nosuch\nENDFOR\n? \"next\"",
       {"1", "Error 12: Variable 'NOSUCH' is not found.", "next"}},
      {"a condition that is no logical", "IF 1\n  ? \"x\"\nENDIF", {"Error 9: Data type mismatch."}},
      {"ELSE out of place", "ELSE\n? 1", {"Error 96: Nesting error: ELSE is out of place.", "1"}},
      {"EXIT out of a loop", "IF .T.\n  EXIT\nENDIF", {"Error 96: Nesting error: EXIT is out of place."}},
      {"the wrong end", "DO WHILE .T.\nENDIF\n? 1", {"Error 96: Nesting error: ENDIF is out of place.", "1"}},
      {"no end", "IF .T.\n  ? 1", {"Error 96: Nesting error: IF has no ENDIF."}},
      {"FOR without TO", "FOR i = 1\nENDFOR", {"Error 10: Syntax error."}},
  };
  // clang-format on
  for (const Case& c : cases) {
    MemoryHost host;
    EXPECT_EQ(Feed(host, Lines(c.program)), c.shown) << c.name;
  }
}

TEST(ShellInterpreter, AScriptStopsAtItsFirstError) {
  const std::vector<std::string> program = {"? 1", "IF .T.", "  ? 2", "  ? nosuch", "  ? 3", "ENDIF", "? 4"};
  const std::string error = "demo.prg(4): Error 12: Variable 'NOSUCH' is not found.";
  {
    MemoryHost host;
    Interpreter shell(host);
    shell.setStopOnError(true);
    shell.beginScript("demo.prg", "C:\\work\\demo.prg");
    bool more = true;
    for (const std::string& line : program) more = more && shell.feed(line);
    shell.finish();
    EXPECT_FALSE(more);
    EXPECT_TRUE(shell.stopped());
    EXPECT_EQ(host.out, (std::vector<std::string>{"1", "2", error}));
  }
  {
    // --keep-going: the next command runs.
    MemoryHost host;
    Interpreter shell(host);
    shell.beginScript("demo.prg", "demo.prg");
    for (const std::string& line : program) EXPECT_TRUE(shell.feed(line)) << line;
    shell.finish();
    EXPECT_EQ(host.out, (std::vector<std::string>{"1", "2", error, "4"}));
    EXPECT_EQ(shell.errors(), 1);
  }
  {
    // Typed input goes on after an error, whatever the setting.
    MemoryHost host;
    Interpreter shell(host);
    shell.setStopOnError(true);
    shell.beginScript("");
    for (const std::string& line : program) EXPECT_TRUE(shell.feed(line)) << line;
    EXPECT_FALSE(shell.stopped());
    EXPECT_EQ(host.out, (std::vector<std::string>{"1", "2", "Error 12: Variable 'NOSUCH' is not found.", "4"}));
  }
  {
    // An error in a loop's header names the header's line; a structure
    // left open names the line that opened it.
    MemoryHost host;
    Interpreter shell(host);
    shell.beginScript("loops.prg");
    for (const char* line : {"FOR i = 1 TO nosuch", "ENDFOR", "IF .T."}) shell.feed(line);
    EXPECT_TRUE(shell.continuing());
    shell.finish();
    EXPECT_EQ(host.out, (std::vector<std::string>{"loops.prg(1): Error 12: Variable 'NOSUCH' is not found.",
                                                  "loops.prg(3): Error 96: Nesting error: IF has no ENDIF."}));
  }
}

TEST(ShellInterpreter, LoopsThatNeverEndAreStoppedByTheStepLimit) {
  MemoryHost host;
  Interpreter shell(host);
  shell.setStepLimit(1000);
  for (const char* line : {"DO WHILE .T.", "ENDDO", "FOR i = 1 TO 1000000000", "ENDFOR", "? \"next\""}) {
    EXPECT_TRUE(shell.feed(line)) << line;
  }
  EXPECT_EQ(host.out, (std::vector<std::string>{"The program was interrupted after 1000 steps.",
                                                "The program was interrupted after 1000 steps.", "next"}));
  // QUIT inside a structure ends the shell.
  MemoryHost quits;
  Interpreter other(quits);
  EXPECT_TRUE(other.feed("IF .T."));
  EXPECT_TRUE(other.feed("QUIT"));
  EXPECT_FALSE(other.feed("ENDIF"));
}

TEST(ShellInterpreter, MoreHostFunctions) {
  struct Case {
    const char* expression;
    const char* shown;
  };
  // clang-format off
  const Case cases[] = {
      {"TRANSFORM(42) + \"|\" + TRANSFORM(3.5) + \"|\" + TRANSFORM(10 / 4) + \"|\" + TRANSFORM(.T.)", "42|3.5|2.50|.T."},
      {"TRANSFORM(\"abc\", \"@!\")", "ABC"},
      {"TRANSFORM(1234.5, \"9,999.99\")", "1,234.50"},
      {"TRANSFORM(5, \"9,999.99\")", "    5.00"},
      {"TRANSFORM(-5, \"999\")", " -5"},
      {"TRANSFORM(12345, \"999\")", "***"},
      {"TRANSFORM(0, \"@Z 999\") + \"|\"", "   |"},
      {"TRANSFORM(7, \"@L 999\") + TRANSFORM(-7, \"@L 999\")", "007-07"},
      {"TRANSFORM(\"1234567\", \"@R 999-9999\")", "123-4567"},
      {"TRANSFORM(\"ab\", \"!XX\") + \"|\"", "Ab |"},
      {"STRTRAN(\"aXbXc\", \"X\", \"-\")", "a-b-c"},
      {"STRTRAN(\"aXbXc\", \"X\")", "abc"},
      {"STRTRAN(\"aXbXcX\", \"X\", \"-\", 2)", "aXb-c-"},
      {"STRTRAN(\"aXbXcX\", \"X\", \"-\", 2, 1)", "aXb-cX"},
      {"STRTRAN(\"AxAX\", \"x\", \"y\", 1, -1, 1)", "AyAy"},
      {"STRTRAN(\"aaa\", \"aa\", \"b\")", "ba"},
      {"STRTRAN(\"abc\", \"\", \"x\")", "abc"},
      {"PADL(\"ab\", 5) + \"|\" + PADR(\"ab\", 5, \"*\") + \"|\" + PADC(\"ab\", 5, \"-\")", "   ab|ab***|-ab--"},
      {"PADL(42, 5) + \"|\" + PADR(\"abcdef\", 3) + \"|\" + PADL(\"x\", 0) + \"|\"", "   42|abc||"},
      {"INLIST(2, 1, 2, 3), INLIST(\"b\", \"a\", \"c\"), INLIST(\"abc\", \"x\", \"ab\")", ".T. .F. .T."},
      {"BETWEEN(5, 1, 10), BETWEEN(\"m\", \"a\", \"k\"), BETWEEN(10, 1, 10)", ".T. .F. .T."},
      {"DATE(2024, 2, 29), DATE(2023, 12, 31) + 1, 1 + DATE(2024, 1, 1)", "02/29/24 01/01/24 01/02/24"},
      {"DATE(2024, 3, 1) - DATE(2024, 2, 1), DATE(2024, 1, 1) - 1", "29 12/31/23"},
      {"DTOS(DATE(2026, 12, 11)), DTOC(DATE(2024, 1, 2), 1), DTOC(DATE(1999, 1, 2))", "20261211 20240102 01/02/99"},
      {"YEAR(DATE(1999, 1, 2)), MONTH(DATE(1999, 1, 2)), DAY(DATE(1999, 1, 2))", "1999 1 2"},
      {"VARTYPE(DATE()), DATE(2024, 1, 1) < DATE(2024, 1, 2), EMPTY(DATE()), TRANSFORM(DATE(2000, 3, 4))", "D .T. .F. 03/04/00"},
      {"DTOS(DATE(1, 1, 1) + 3652058), DTOS(DATE(1600, 2, 29))", "99991231 16000229"},
      {"DATE(2023, 2, 29)", "Error 11: Function argument value, type, or count is invalid."},
      {"DATE(1, 1, 1) - 1", "Error 107: Operator/operand type mismatch."},
      {"DATE(2024, 1, 1) + DATE(2024, 1, 1)", "Error 107: Operator/operand type mismatch."},
      {"YEAR(5)", "Error 11: Function argument value, type, or count is invalid."},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(Print(c.expression), c.shown) << c.expression;

  // Today, as the system has it.
  std::time_t t = std::time(nullptr);
  std::tm parts{};
  localtime_r(&t, &parts);
  char today[16];
  std::strftime(today, sizeof today, "%Y%m%d", &parts);
  std::string shown = Print("DTOS(DATE()) + \" \" + TIME() + \" \" + TIME(1)");
  if (shown.substr(0, 8) != today) shown = Print("DTOS(DATE()) + \" \" + TIME() + \" \" + TIME(1)");  // midnight passed
  EXPECT_EQ(shown.substr(0, 8), today);
  EXPECT_TRUE(std::regex_match(shown, std::regex("\\d{8} \\d\\d:\\d\\d:\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d\\d")))
      << shown;
}

TEST(ShellInterpreter, ArraysFromTextsAndSearches) {
  MemoryHost host;
  // clang-format off
  std::vector<std::string> out = Feed(host, {
      "n = ALINES(a, \"one\" + CHR(13) + CHR(10) + \"two\" + CHR(10) + CHR(10) + \" three \")",
      "? n, a(1), a(2), \"[\" + a(3) + \"]\", \"[\" + a(4) + \"]\", ALEN(a)",
      "? ALINES(b, \" x ,,y\", 1 + 4, \",\"), b(1) + \"|\" + b(2)",
      "? ALINES(c, \"a\" + CHR(13)), ALINES(c, \"a\" + CHR(13), 2), ALINES(d, \"aXbxc\", 8, \"x\")",
      "? ALINES(e, \"a;b\", .F., \";\"), ALINES(e, \"a;b\", 16, \";\"), e(1)",
      "? ALINES(f, \"\", 4), TYPE(\"f\")",
      "? ASCAN(a, \"two\"), ASCAN(a, \"tw\"), ASCAN(a, \"TWO\"), ASCAN(a, \"TWO\", 1, -1, -1, 1), ASCAN(a, \"tw\", 1, -1, -1, 7)",
      "DIMENSION m(2, 2)",
      "m(1, 1) = 1",
      "m(1, 2) = \"x\"",
      "m(2, 1) = 3",
      "m(2, 2) = \"y\"",
      "? ASCAN(m, \"y\"), ASCAN(m, \"y\", 1, -1, 2, 8), ASCAN(m, 3, 1, -1, 2), ASCAN(m, 3, 2, 1), ASCAN(m, 3.0)",
      "? ASCAN(nosuch, 1)",
      "s = \"x\"",
      "? ASCAN(s, 1)",
      "? ASCAN(m, 1, 9)",
  });
  // clang-format on
  EXPECT_EQ(out, (std::vector<std::string>{
                     "4 one two [] [ three ] 4",
                     "2 x|y",
                     "1 2 3",
                     "2 2 a;",
                     "0 U",
                     "2 2 0 2 0",
                     "4 2 0 0 3",
                     "Error 12: Variable 'NOSUCH' is not found.",
                     "Error 232: 'S' is not an array.",
                     "Error 11: Function argument value, type, or count is invalid.",
                 }));
}

TEST(ShellInterpreter, MacroSubstitution) {
  MemoryHost host;
  // clang-format off
  std::vector<std::string> out = Feed(host, {
      "cmd = \"? 1 + 2\"",
      "&cmd",
      "v = \"x\"",
      "&v = 5",
      "? x, \"&v\"",
      "fn = \"UPPER\"",
      "? &fn.(\"abc\")",
      "IF &v > 4",
      "  ? \"big\"",
      "ENDIF",
      "? &nosuch",
      "n = 1",
      "? &n",
  });
  // clang-format on
  EXPECT_EQ(out, (std::vector<std::string>{"3", "5 &v", "ABC", "big", "Error 12: Variable 'NOSUCH' is not found.",
                                           "Error 9: Data type mismatch."}));
}

TEST(ShellInterpreter, DefinesAndIncludes) {
  MemoryHost host;
  host.files["C:\\bin\\larch.h"] = "* constants\r\n#DEFINE FROM_PROGRAM 2\r\n#DEFINE GREETING \"hi\" && a greeting\r\n";
  host.files["C:\\bin\\bad.h"] = "#DEFINE A 1\n? nosuch\n";
  host.files["C:\\bin\\self.h"] = "#INCLUDE self.h\n";
  // clang-format off
  std::vector<std::string> out = Feed(host, {
      "#DEFINE ANSWER 42",
      "#define twice_answer ANSWER * 2",
      "? ANSWER, answer + 1, TWICE_ANSWER, \"ANSWER\", [ANSWER]",
      "#UNDEF ANSWER",
      "? ANSWER",
      "#INCLUDE \"larch.h\"",
      "? FROM_PROGRAM, GREETING",
      "#INCLUDE nothere.h",
      "#INCLUDE bad.h",
      "#INCLUDE self.h",
      "#IF 1",
  });
  // clang-format on
  EXPECT_EQ(out, (std::vector<std::string>{"42 43 84 ANSWER ANSWER", "Error 12: Variable 'ANSWER' is not found.",
                                           "2 hi", "Error 1: File 'nothere.h' does not exist.",
                                           "bad.h(2): Error 12: Variable 'NOSUCH' is not found.",
                                           "self.h(1): Error 96: Nesting error: files included too deeply.",
                                           "Error 16: Unrecognized command verb."}));

  // A script's own folder comes first; a #DEFINE is the script's own.
  std::string folder = testing::TempDir();
  if (!folder.empty() && folder.back() != '/') folder += '/';
  std::string header = folder + "larch_shell_include.h";
  {
    std::FILE* f = std::fopen(header.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("#DEFINE FROM_FOLDER 1\nincluded = 7\n", f);
    std::fclose(f);
  }
  MemoryHost scripted;
  Interpreter shell(scripted);
  shell.beginScript("main.prg", folder + "main.prg");
  for (const char* line : {"#INCLUDE larch_shell_include.h", "? FROM_FOLDER, included"}) shell.feed(line);
  shell.beginScript("other.prg", folder + "other.prg");
  shell.feed("? FROM_FOLDER");
  shell.finish();
  std::remove(header.c_str());
  EXPECT_EQ(scripted.out,
            (std::vector<std::string>{"1 7", "other.prg(1): Error 12: Variable 'FROM_FOLDER' is not found."}));
}

TEST(ShellInterpreter, HelpStatusAndLibraries) {
  MemoryHost host;
  host.files["C:\\bin\\quick-reference.md"] =
      "# Quick reference\n\n| # | Function | Parameters | Result |\n|---|---|---|---|\n"
      "| 3 | [`Twice`](functions/x.md#twice) | I | I: twice the number \\| or so |\n"
      "| 4 | [`Silent`](functions/x.md) | \xE2\x80\x94 | none |\n";
  host.files["notlib.dll"] = "not a library";
  host.files["C:\\bin\\other.dll"] = "not a library either";
  // clang-format off
  std::vector<std::string> out = Feed(host, {
      "HELP twice",
      "HELP Silent()",
      "HELP nosuch",
      "HELP len",
      "DISPLAY STATUS",
      "SET LIBRARY TO notlib.dll",
      "SET LIBRARY TO other.dll",
      "SET LIBRARY TO good.dll",
      "LIST STATUS",
  });
  // clang-format on
  EXPECT_EQ(out, (std::vector<std::string>{
                     "Twice(I): I: twice the number | or so  (see docs/functions/x.md#twice)",
                     "Silent(): none  (see docs/functions/x.md)",
                     "Error 1: Function 'NOSUCH' is not found.",
                     "LEN() is a function of the host language.",
                     "Library: none loaded",
                     "Error 1753: File 'notlib.dll' is not a valid library.",
                     "Error 1753: File 'other.dll' is not a valid library.",
                     "Library: good.dll",
                     "Functions (4):",
                     "   Twice                    I",
                     "   Fails",
                     "   Silent",
                     "   Bump                     R",
                 }));
  MemoryHost bare;
  EXPECT_EQ(Feed(bare, {"HELP Twice"}),
            (std::vector<std::string>{"Error 1: File 'C:\\bin\\quick-reference.md' does not exist."}));
}

TEST(ShellInterpreter, DoubleByteTextInTheNewFunctions) {
  const std::string jou = "\x81\x5D";     // second byte ']'
  const std::string trailA = "\x81\x61";  // second byte 'a'
  MemoryHost gbk;
  // clang-format off
  std::vector<std::string> out = Feed(gbk, {
      "? PADR(\"" + jou + jou + "\", 3) + \"|\" + PADL(\"x\", 4, \"" + jou + "\")",
      "? STRTRAN(\"" + jou + "]\", \"]\", \"!\"), STRTRAN(\"" + trailA + "A\", \"a\", \"b\", 1, -1, 1)",
      "n = ALINES(p, \"" + jou + "]x\", 0, \"]\")",
      "? n, p(1) == \"" + jou + "\", p(2)",
      "#DEFINE a \"!\"",
      "? [" + trailA + "] + a",
  });
  // clang-format on
  EXPECT_EQ(out,
            (std::vector<std::string>{jou + " |" + jou + " x", jou + "! " + trailA + "b", "2 .T. x", trailA + "!"}));
}

}  // namespace
}  // namespace larch::host
