// Capital numerals, wildcards, reversal and the tokenizer through the host
// interface.
#include <gtest/gtest.h>

#include "test_support.h"
#include "text_encoding.h"

namespace larch::test {
namespace {

struct AmountCase {
  double amount;
  const char* withZero;
  const char* withoutZero;
};

// The same table as the native test: the DLL's own arithmetic and runtime.
const AmountCase kAmounts[] = {
#include "../native/text_rmb_cases.inc"
};

TEST(RmbNumToCnChar, WorkedExamplesInTheLibrary) {
  HostEmulator emu;
  for (const AmountCase& c : kAmounts) {
    CallResult byDefault = emu.call("KVRmbNumToCnChar", {Value::Num(c.amount)});
    EXPECT_EQ(Utf8(byDefault.value.text, kGbk), c.withZero) << c.amount;
    CallResult withTrue = emu.call("KVRmbNumToCnChar", {Value::Num(c.amount), Value::Bool(true)});
    EXPECT_EQ(Utf8(withTrue.value.text, kGbk), c.withZero) << c.amount;
    CallResult withFalse = emu.call("KVRmbNumToCnChar", {Value::Num(c.amount), Value::Bool(false)});
    EXPECT_EQ(Utf8(withFalse.value.text, kGbk), c.withoutZero) << c.amount;
  }
}

TEST(FindMatchString, PositionsAndOffsets) {
  HostEmulator emu;
  struct Case {
    const char* text;
    const char* pattern;
    std::vector<Arg> start;
    int32_t expected;
  };
  const Case cases[] = {
      {"abc", "", {}, 1},
      {"abc", "", {Value::Int(5)}, 0},
      {"abcabc", "b?a", {}, 2},
      {"abc", "*", {}, 0},
      {"abcabc", "abc", {Value::Int(1)}, 4},
      {"abcabc", "abc", {Value::Int(-7)}, 1},
      {"aaabb", "a?b", {}, 2},
      {"baaba", "a?a", {}, 3},
      {"ABC", "abc", {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.text << " / " << c.pattern);
    std::vector<Arg> args = {Value::Text(c.text), Value::Text(c.pattern)};
    args.insert(args.end(), c.start.begin(), c.start.end());
    CallResult r = emu.call("KVFindMatchString", args);
    EXPECT_EQ(r.value.kind, Value::Kind::Int);
    EXPECT_EQ(r.value.integer, c.expected) << c.text << " / " << c.pattern;
    EXPECT_EQ(r.value.width, 10);
  }
}

TEST(IsMatchString, CaseSwitch) {
  HostEmulator emu;
  auto match = [&](const std::vector<Arg>& args, Caller caller = {}) {
    return CallLogical(emu, "KVIsMatchString", args, caller);
  };
  const Value text = Value::Text("Hello.txt");
  const Value pattern = Value::Text("*.TXT");
  EXPECT_TRUE(match({text, pattern}));
  EXPECT_TRUE(match({text, pattern, Value::Int(0)}));
  EXPECT_TRUE(match({text, pattern, Value::Int(-1)}));
  EXPECT_FALSE(match({text, pattern, Value::Int(1)}));
  EXPECT_TRUE(match({Value::Text(""), Value::Text("")}));
  EXPECT_TRUE(match({Value::Text(""), Value::Text("*")}));
  EXPECT_FALSE(match({Value::Text("ab"), Value::Text("ab?")}));
  EXPECT_TRUE(match({Value::Text("aXbXc"), Value::Text("*x*x*")}));
}

TEST(MultiMatchString, PatternLists) {
  HostEmulator emu;
  auto match = [&](const char* text, const char* list, std::vector<Arg> extra = {}, Caller caller = {}) {
    std::vector<Arg> args = {Value::Text(text), Value::Text(list)};
    args.insert(args.end(), extra.begin(), extra.end());
    return CallLogical(emu, "KVMultiMatchString", args, caller);
  };
  EXPECT_TRUE(match("report.doc", "*.txt,*.doc"));
  EXPECT_FALSE(match("report.doc", ",,,"));
  EXPECT_TRUE(match("a", "a,"));
  EXPECT_TRUE(match("REPORT.DOC", "*.txt,*.doc"));
  EXPECT_FALSE(match("REPORT.DOC", "*.txt,*.doc", {Value::Int(1)}));
}

// Each test has a library of its own.
class StrRev : public ::testing::Test {
 protected:
  HostEmulator emu;
};

TEST_F(StrRev, ChangesTheVariableInPlace) {
  struct Case {
    const char* before;
    std::vector<Arg> start;
    std::string after;
  };
  const Case cases[] = {
      {"abcdef", {}, "fedcba"},
      {"abcdef", {Value::Int(2)}, "abfedc"},
      {"abcdef", {Value::Int(6)}, "abcdef"},
      {"abcdef", {Value::Int(60)}, "abcdef"},
      {"abcdef", {Value::Int(-3)}, "fedcba"},
      {"", {}, ""},
      {"\xB9\xFA", {}, "\xFA\xB9"},  // bytes, not characters
  };
  for (const Case& c : cases) {
    emu.setVariable("s", Value::Text(c.before));
    std::vector<Arg> args = {ByRef("s")};
    args.insert(args.end(), c.start.begin(), c.start.end());
    CallResult r = emu.call("KVStrRev", args);
    EXPECT_FALSE(r.sent()) << c.before;
    EXPECT_EQ(r.error, 0) << c.before;
    EXPECT_EQ(emu.variable("s")->scalar.text, c.after) << c.before;
  }
}

TEST_F(StrRev, RefusesAVariableThatIsNotText) {
  for (const Value& v : {Value::Int(42), Value::Num(1.5), Value::Bool(true)}) {
    SCOPED_TRACE(v.display());
    emu.setVariable("n", v);
    CallResult r = emu.call("KVStrRev", {ByRef("n")});
    EXPECT_EQ(r.error, 9) << v.display();
    EXPECT_EQ(emu.variable("n")->scalar, v);
  }
}

class ParseString : public testing::Test {
 protected:
  std::string Item(Caller caller = {}) { return CallText(emu_, "PSGetItem", {}, caller); }
  std::string Rest(Caller caller = {}) { return CallText(emu_, "PSGetRestString", {}, caller); }
  bool AtEnd(Caller caller = {}) { return CallLogical(emu_, "PSIsEnd", {}, caller); }
  bool Load(const std::string& line, Caller caller = {}) {
    return CallLogical(emu_, "PSSetStringLine", {Value::Text(line)}, caller);
  }
  bool Flag(const std::string& flag, Caller caller = {}) {
    return CallLogical(emu_, "PSSetFlagChar", {Value::Text(flag)}, caller);
  }
  HostEmulator emu_;
};

// The tokenizer lives as long as the library: these steps run in order.
TEST_F(ParseString, ASessionOfCalls) {
  EXPECT_TRUE(AtEnd());  // nothing loaded yet
  EXPECT_EQ(Item(), "");
  EXPECT_EQ(Rest(), "");

  EXPECT_FALSE(Load(""));
  EXPECT_TRUE(Load("a|b|c"));
  EXPECT_EQ(Item(), "a");
  EXPECT_FALSE(AtEnd());
  EXPECT_EQ(Rest(), "b|c");
  EXPECT_TRUE(AtEnd());

  CallResult head = emu_.call("PSGoToHead");
  EXPECT_FALSE(head.sent());
  EXPECT_EQ(Item(), "a");
  EXPECT_EQ(Item(), "b");
  EXPECT_EQ(Item(), "c");
  EXPECT_TRUE(AtEnd());

  EXPECT_TRUE(Load("a||"));
  EXPECT_EQ(Item(), "a");
  EXPECT_FALSE(AtEnd());
  EXPECT_EQ(Item(), "");
  EXPECT_TRUE(AtEnd());

  EXPECT_TRUE(Flag(","));  // before loading: the load resets it
  EXPECT_TRUE(Load("a,b"));
  EXPECT_EQ(Item(), "a,b");
  EXPECT_TRUE(Load("a,b"));
  EXPECT_FALSE(Flag(""));
  EXPECT_TRUE(Flag(",;"));
  EXPECT_EQ(Item(), "a");
  EXPECT_EQ(Item(), "b");

  const std::string longItem(300, 'x');
  EXPECT_TRUE(Load("||" + longItem + "|y"));
  EXPECT_EQ(Item(), longItem);
  EXPECT_EQ(Item(), "y");
}

}  // namespace
}  // namespace larch::test
