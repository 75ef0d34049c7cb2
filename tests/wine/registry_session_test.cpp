// The registry session through the binary interface, on a private key
// under HKEY_CURRENT_USER that each test removes again.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <map>

#include "import_patch.h"
#include "test_support.h"

namespace larch::test {
namespace {

using host::FakeOf;
using host::ImportPatch;

// A unique key below HKCU\Software, deleted with its subtree at the end.
class TestKey {
 public:
  explicit TestKey(const std::string& base = "Software") {
    static unsigned counter = 0;
    char name[80];
    std::snprintf(name, sizeof name, "%s\\LarchTest-%lu-%u", base.c_str(), GetCurrentProcessId(), ++counter);
    path_ = name;
  }
  ~TestKey() { RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str()); }
  const std::string& path() const { return path_; }
  std::string sub(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Writes a value from outside the library (creating the key).
void Put(const std::string& path, const std::string& name, DWORD type, const std::string& data, Caller caller = {}) {
  TRACE_CALLER(caller);
  UniqueKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), /*Reserved=*/0, /*lpClass=*/nullptr, /*dwOptions=*/0,
                            KEY_ALL_ACCESS, /*lpSecurityAttributes=*/nullptr, key.put(), /*lpdwDisposition=*/nullptr),
            0)
      << path;
  ASSERT_EQ(RegSetValueExA(key.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size())),
            0)
      << path << " " << name;
}

std::string Dword(DWORD v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

// Type and data of a value as stored, read from outside the library.
struct Stored {
  LONG result = -1;
  DWORD type = 0;
  std::string data;
};
Stored Get(const std::string& path, const std::string& name) {
  Stored s;
  char buffer[2048];
  DWORD size = sizeof buffer;
  s.result =
      RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &s.type, buffer, &size);
  if (s.result == 0) s.data.assign(buffer, size);
  return s;
}

bool KeyExists(const std::string& path) {
  UniqueKey key;
  return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == 0;
}

// Runs reg.exe (Wine's own) and returns what it printed.
std::string RegQuery(const std::string& arguments) {
  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  ProcessOptions options;
  options.directory = system;
  options.noConsole = true;
  options.captureOutput = true;
  ProcessResult run = RunProcess(std::string(system) + "\\reg.exe " + arguments, options);
  return run.started ? run.output : "reg.exe did not start";
}

// The library's logical results in this family are true on failure.
constexpr bool kOk = false;
constexpr bool kFailed = true;

// Each test has a library of its own and a private key below HKCU\Software
// (deleted with its subtree at the end); the session is closed before the
// key goes.
class Registry : public ::testing::Test {
 protected:
  void TearDown() override { emu.call("FRCloseReg"); }

  HostEmulator emu;
  TestKey key;
};

TEST_F(Registry, WritesTypedValuesAsReRegQueryShowsThem) {
  ASSERT_EQ(CallLogical(emu, "FRSetRegPath", {Value::Text(key.path())}), kOk);
  EXPECT_FALSE(KeyExists(key.path())) << "setting a path opens nothing";
  EXPECT_EQ(CallLogical(emu, "FRSetRegValue", {Value::Text("Greeting"), Value::Text("hello world")}), kOk);
  EXPECT_EQ(CallLogical(emu, "FRSetRegValue", {Value::Text("Count"), Value::Int(-2)}), kOk);
  EXPECT_EQ(CallLogical(emu, "FRSetRegValue", {Value::Text(""), Value::Text("default")}), kOk);
  EXPECT_LAST_ERROR(emu, 0);

  Stored text = Get(key.path(), "Greeting");
  EXPECT_EQ(text.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(text.data, std::string("hello world", 12)) << "data are the text and its NUL";
  Stored number = Get(key.path(), "Count");
  EXPECT_EQ(number.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(number.data, Dword(0xFFFFFFFE));

  std::string shown = RegQuery("query HKCU\\" + key.path());
  EXPECT_NE(shown.find("Greeting    REG_SZ    hello world"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Count    REG_DWORD    0xfffffffe"), std::string::npos) << shown;
  EXPECT_NE(shown.find("REG_SZ    default"), std::string::npos) << shown;
}

TEST_F(Registry, ReadsReturnTheValueOrTheDefaultInTheDefaultsType) {
  Put(key.path(), "Text", REG_SZ, std::string("abc\0", 4));
  Put(key.path(), "Number", REG_DWORD, Dword(123456));
  Put(key.path(), "Long", REG_SZ, std::string(600, 'x') + '\0');
  Put(key.path(), "Fits", REG_SZ, std::string(511, 'y') + '\0');
  Put(key.path(), "Binary", REG_BINARY, std::string("a\0b", 3));
  emu.call("FRSetRegPath", {Value::Text(key.path())});

  struct Case {
    const char* name;
    Value fallback;
    Value expected;
  };
  // clang-format off
  const Case cases[] = {
      {"Text", Value::Text("dflt"), Value::Text("abc")},
      {"Number", Value::Int(7), Value::Int(123456)},
      {"Missing", Value::Text("dflt"), Value::Text("dflt")},
      {"Missing", Value::Int(7), Value::Int(7)},
      {"Long", Value::Text("dflt"), Value::Text("dflt")},      // longer than the buffer
      {"Fits", Value::Text("dflt"), Value::Text(std::string(511, 'y'))},
      {"Binary", Value::Text("dflt"), Value::Text("a")},       // up to the first NUL, type not examined
      {"Missing", Value::Text(std::string(600, 'd')), Value::Text(std::string(512, 'd'))},
  };
  // clang-format on
  for (const Case& c : cases) {
    CallResult r = emu.call("FRGetRegValue", {Value::Text(c.name), c.fallback});
    EXPECT_EQ(r.value, c.expected) << c.name << " -> " << r.value.display();
    EXPECT_EQ(r.value.width, c.expected.width) << c.name;
  }
  emu.call("FRGetRegValue", {Value::Text("Missing"), Value::Int(0)});
  EXPECT_LAST_ERROR(emu, ERROR_FILE_NOT_FOUND);
  emu.call("FRGetRegValue", {Value::Text("Number"), Value::Int(0)});
  EXPECT_LAST_ERROR(emu, 0);
}

TEST_F(Registry, NumericValuesAreRefusedWithError9) {
  emu.call("FRSetRegPath", {Value::Text(key.path())});
  EXPECT_EQ(emu.call("FRSetRegValue", {Value::Text("n"), Value::Num(1.5, 5)}).error, 9);
  EXPECT_EQ(emu.call("FRGetRegValue", {Value::Text("n"), Value::Bool(true)}).error, 9);
  EXPECT_FALSE(KeyExists(key.path())) << "a refused write creates nothing";
}

// The test's library is fresh: its session has no path yet.
TEST_F(Registry, WithoutAPathEverythingFails) {
  EXPECT_EQ(CallLogical(emu, "FRSetRegValue", {Value::Text("a"), Value::Text("b")}), kFailed);
  EXPECT_EQ(emu.call("FRGetRegValue", {Value::Text("a"), Value::Text("dflt")}).value.text, "dflt");
  EXPECT_EQ(CallLogical(emu, "FRDeleteValue", {Value::Text("a")}), kFailed);
  EXPECT_EQ(CallLogical(emu, "FRDeleteKey", {Value::Text("a")}), kFailed);
  EXPECT_EQ(emu.call("FREnumRegValue", {Value::Text("arr")}).value.integer, 0);
  EXPECT_EQ(emu.call("FREnumRegKeyEx", {Value::Text("arr")}).value.integer, 0);
  EXPECT_EQ(CallLogical(emu, "FRCloseReg"), kOk);
}

TEST_F(Registry, DefaultPathComesFromTheApplicationIdentity) {
  TestKey holder("Software\\Brenwick");  // only its name is used
  std::string identity = holder.path().substr(std::string("Software\\Brenwick\\").size());

  emu.screenTag = Value::Text("");
  EXPECT_EQ(CallLogical(emu, "FRSetRegPath"), kFailed);
  emu.screenTag = Value::Int(5);  // replaced by the program after loading
  EXPECT_EQ(CallLogical(emu, "FRSetRegPath"), kFailed);
  emu.screenTag = Value::Text(std::string(258, 'i'));  // does not fit the path buffer
  EXPECT_EQ(CallLogical(emu, "FRSetRegPath"), kFailed);
  // None of those set a path.
  EXPECT_EQ(CallLogical(emu, "FRSetRegValue", {Value::Text("v"), Value::Int(1)}), kFailed);

  emu.screenTag = Value::Text(identity);
  EXPECT_EQ(CallLogical(emu, "FRSetRegPath"), kOk);
  EXPECT_EQ(CallLogical(emu, "FRSetRegValue", {Value::Text("v"), Value::Int(1)}), kOk);
  EXPECT_EQ(Get(holder.path(), "v").data, Dword(1));
  emu.call("FRCloseReg");

  // 257 characters fit the path buffer with the prefix; 258 are refused
  // and leave the path as it was.
  emu.screenTag = Value::Text(std::string(257, 'i'));
  EXPECT_EQ(CallLogical(emu, "FRSetRegPath"), kOk);
  emu.screenTag = Value::Text(identity);
  emu.call("FRSetRegPath");
  emu.screenTag = Value::Text(std::string(258, 'i'));
  EXPECT_EQ(CallLogical(emu, "FRSetRegPath"), kFailed);
  EXPECT_EQ(CallLogical(emu, "FRSetRegValue", {Value::Text("w"), Value::Int(2)}), kOk);
  EXPECT_EQ(Get(holder.path(), "w").data, Dword(2));
  emu.call("FRCloseReg");
  RegDeleteTreeA(HKEY_CURRENT_USER, holder.path().c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Brenwick");  // only when nothing else is in it
}

TEST_F(Registry, RootCodesOutsideTheTableMeanCurrentUser) {
  for (int root : {2, 9, 0}) {
    SCOPED_TRACE(::testing::Message() << "root " << root);
    emu.call("FRCloseReg");
    EXPECT_EQ(CallLogical(emu, "FRSetRegPath", {Value::Text(key.path()), Value::Int(root)}), kOk);
    EXPECT_EQ(CallLogical(emu, "FRSetRegValue", {Value::Text("root"), Value::Int(root)}), kOk) << root;
    EXPECT_EQ(Get(key.path(), "root").data, Dword(root)) << root;
  }
  // Code 3 is HKEY_LOCAL_MACHINE: its Software key can be read there.
  emu.call("FRCloseReg");
  emu.call("FRSetRegPath", {Value::Text("Software\\Microsoft\\Windows NT\\CurrentVersion"), Value::Int(3)});
  EXPECT_NE(emu.call("FRGetRegValue", {Value::Text("CurrentVersion"), Value::Text("none")}).value.text, "none");
}

TEST_F(Registry, AnOpenKeyOutlivesANewPathUntilClosedOrEnumerated) {
  const TestKey& a = key;
  TestKey b;
  Put(a.path(), "which", REG_SZ, std::string("A", 2));
  Put(b.path(), "which", REG_SZ, std::string("B", 2));
  auto which = [&] { return emu.call("FRGetRegValue", {Value::Text("which"), Value::Text("?")}).value.text; };

  emu.call("FRSetRegPath", {Value::Text(a.path())});
  EXPECT_EQ(which(), "A");
  emu.call("FRSetRegPath", {Value::Text(b.path())});
  EXPECT_EQ(which(), "A") << "the key opened before stays in use";
  EXPECT_EQ(CallLogical(emu, "FRCloseReg"), kOk);
  EXPECT_EQ(which(), "B");

  emu.call("FRSetRegPath", {Value::Text(a.path())});
  EXPECT_EQ(which(), "B");
  EXPECT_EQ(emu.call("FREnumRegValue", {Value::Text("vals")}).value.integer, 1);
  EXPECT_EQ(which(), "A") << "an enumeration re-opens the key from the path";
}

TEST_F(Registry, DeletesValuesAndChildlessSubkeys) {
  Put(key.path(), "gone", REG_SZ, std::string("x", 2));
  Put(key.sub("leaf"), "v", REG_DWORD, Dword(1));
  Put(key.sub("parent\\child"), "v", REG_DWORD, Dword(1));
  emu.call("FRSetRegPath", {Value::Text(key.path())});

  EXPECT_EQ(CallLogical(emu, "FRDeleteValue", {Value::Text("gone")}), kOk);
  EXPECT_EQ(Get(key.path(), "gone").result, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(CallLogical(emu, "FRDeleteValue", {Value::Text("gone")}), kFailed);
  EXPECT_LAST_ERROR(emu, ERROR_FILE_NOT_FOUND);

  EXPECT_EQ(CallLogical(emu, "FRDeleteKey", {Value::Text("")}), kFailed);
  EXPECT_EQ(CallLogical(emu, "FRDeleteKey", {Value::Text("leaf")}), kOk);
  EXPECT_FALSE(KeyExists(key.sub("leaf")));
  EXPECT_EQ(CallLogical(emu, "FRDeleteKey", {Value::Text("parent")}), kFailed) << "a key with children stays";
  EXPECT_TRUE(KeyExists(key.sub("parent\\child")));
  EXPECT_EQ(CallLogical(emu, "FRDeleteKey", {Value::Text("parent\\child")}), kOk);
  EXPECT_LAST_ERROR(emu, 0);
}

TEST_F(Registry, EnumeratesTextAndNumberValuesIntoAThreeColumnArray) {
  Put(key.path(), "bin", REG_BINARY, "\x01\x02");
  Put(key.path(), "text", REG_SZ, std::string("hello\0", 6));
  Put(key.path(), "empty", REG_SZ, "");
  Put(key.path(), "expand", REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 9));
  Put(key.path(), "number", REG_DWORD, Dword(0x80000000));
  Put(key.path(), "multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
  emu.setVariable("vals", Value::Text("replaced"));
  emu.call("FRSetRegPath", {Value::Text(key.path())});

  CallResult r = emu.call("FREnumRegValue", {Value::Text("vals")});
  ASSERT_EQ(r.value.integer, 4);
  EXPECT_EQ(r.value.width, 10);
  host::Variable* vals = emu.variable("vals");
  ASSERT_TRUE(vals && vals->isArray);
  EXPECT_EQ(vals->array.rows, 6) << "one row per value, rows after the last stored one untouched";
  EXPECT_EQ(vals->array.columns, 3);
  std::map<std::string, std::pair<Value, Value>> rows;
  for (uint16_t row = 1; row <= 4; ++row) {
    rows[vals->array.at(row, 1)->text] = {*vals->array.at(row, 2), *vals->array.at(row, 3)};
  }
  EXPECT_EQ(rows["text"].first, Value::Int(1, 5));
  EXPECT_EQ(rows["text"].second, Value::Text("hello"));
  EXPECT_EQ(rows["empty"].second, Value::Text(""));
  EXPECT_EQ(rows["expand"].first, Value::Int(2, 5));
  EXPECT_EQ(rows["expand"].second, Value::Text("%TEMP%\\x")) << "not expanded";
  EXPECT_EQ(rows["number"].first, Value::Int(4, 5));
  EXPECT_EQ(rows["number"].second, Value::Int(INT32_MIN, 10));
  EXPECT_EQ(rows.count("bin") + rows.count("multi"), 0u);
}

TEST_F(Registry, EnumerationsWithoutRowsLeaveNoArray) {
  Put(key.path(), "bin", REG_BINARY, "\x01");
  emu.call("FRSetRegPath", {Value::Text(key.path())});
  emu.setVariable("vals", Value::Int(1));
  emu.setVariable("keys", Value::Int(1));
  EXPECT_EQ(emu.call("FREnumRegValue", {Value::Text("vals")}).value.integer, 0);
  EXPECT_EQ(emu.variable("vals"), nullptr);
  EXPECT_EQ(emu.call("FREnumRegKeyEx", {Value::Text("keys")}).value.integer, 0);
  EXPECT_EQ(emu.variable("keys"), nullptr);
  EXPECT_EQ(emu.call("FREnumRegValue", {Value::Text("")}).value.integer, 0);
  EXPECT_EQ(emu.call("FREnumRegKeyEx", {Value::Text("")}).value.integer, 0);
  // A key that does not exist: nothing is touched.
  emu.setVariable("keys", Value::Int(1));
  emu.setVariable("vals", Value::Int(1));
  emu.call("FRSetRegPath", {Value::Text(key.sub("missing"))});
  EXPECT_EQ(emu.call("FREnumRegKeyEx", {Value::Text("keys")}).value.integer, 0);
  EXPECT_LAST_ERROR(emu, ERROR_FILE_NOT_FOUND);
  EXPECT_NE(emu.variable("keys"), nullptr);
  EXPECT_EQ(emu.call("FREnumRegValue", {Value::Text("vals")}).value.integer, 0);
  EXPECT_NE(emu.variable("vals"), nullptr);
}

TEST_F(Registry, EnumeratesSubkeyNamesIntoAOneColumnArray) {
  for (const char* name : {"beta", "alpha", "gamma\\deeper"}) Put(key.sub(name), "v", REG_DWORD, Dword(1));
  emu.call("FRSetRegPath", {Value::Text(key.path())});
  ASSERT_EQ(emu.call("FREnumRegKeyEx", {Value::Text("keys")}).value.integer, 3);
  host::Variable* keys = emu.variable("keys");
  ASSERT_TRUE(keys && keys->isArray);
  EXPECT_EQ(keys->array.columns, 0);
  std::vector<std::string> names;
  for (uint16_t row = 1; row <= keys->array.rows; ++row) names.push_back(keys->array.at(row, 1)->text);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"alpha", "beta", "gamma"}));
}

// Fails every enumeration after the first value, as when the key changes
// while it is being read.
using RegEnumValueFn = LONG(WINAPI*)(HKEY, DWORD, LPSTR, LPDWORD, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
RegEnumValueFn g_realEnumValue = nullptr;
LONG WINAPI FailAfterFirst(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPDWORD type,
                           LPBYTE data, LPDWORD dataSize) {
  if (index > 0) return ERROR_MORE_DATA;
  return g_realEnumValue(key, index, name, nameSize, reserved, type, data, dataSize);
}

TEST_F(Registry, AFailedEnumerationReleasesThePartialArray) {
  Put(key.path(), "a", REG_SZ, std::string("1", 2));
  Put(key.path(), "b", REG_SZ, std::string("2", 2));
  emu.call("FRSetRegPath", {Value::Text(key.path())});
  ImportPatch patch(emu.module(), "ADVAPI32.dll", "RegEnumValueA", FakeOf(&FailAfterFirst));
  ASSERT_TRUE(patch.active());
  g_realEnumValue = reinterpret_cast<RegEnumValueFn>(const_cast<void*>(patch.original()));
  EXPECT_EQ(emu.call("FREnumRegValue", {Value::Text("vals")}).value.integer, 0);
  EXPECT_EQ(emu.variable("vals"), nullptr);
  EXPECT_LAST_ERROR(emu, ERROR_MORE_DATA);
}

// The registry sizes names in UTF-16 units; in a double-byte code page a
// Chinese name takes two bytes per unit.
TEST_F(Registry, EnumeratesChineseNames) {
  const wchar_t* wide = L"\x4E2D\x6587\x540D";  // three Chinese characters
  char ansi[32] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr);
  std::wstring path(key.path().begin(), key.path().end());
  UniqueKey handle;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (path + L"\\" + wide).c_str(), /*Reserved=*/0, /*lpClass=*/nullptr,
                            /*dwOptions=*/0, KEY_ALL_ACCESS, /*lpSecurityAttributes=*/nullptr, handle.put(),
                            /*lpdwDisposition=*/nullptr),
            0);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, handle.put()), 0);
  DWORD one = 1;
  RegSetValueExW(handle.get(), wide, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  handle.reset();
  emu.call("FRSetRegPath", {Value::Text(key.path())});
  ASSERT_EQ(emu.call("FREnumRegKeyEx", {Value::Text("keys")}).value.integer, 1);
  EXPECT_EQ(emu.variable("keys")->array.at(1, 1)->text, ansi);
  ASSERT_EQ(emu.call("FREnumRegValue", {Value::Text("vals")}).value.integer, 1);
  EXPECT_EQ(emu.variable("vals")->array.at(1, 1)->text, ansi);
}

// Under a double-byte code page a path or default text holding 誠 (GBK
// D5 5C, its second byte a backslash) keeps the character whole; under a
// single-byte one the bytes are bytes.
TEST_F(Registry, ChinesePathsAndDefaultsStayWhole) {
  const bool dbcs = IsDBCSLeadByteEx(CP_ACP, 0xD5) != 0;
  if (dbcs) {
    const std::string cheng = "\xD5\x5C";
    emu.call("FRSetRegPath", {Value::Text(key.path() + "\\" + cheng + "\\sub")});
    EXPECT_EQ(CallLogical(emu, "FRSetRegValue", {Value::Text("v"), Value::Text("x")}), kOk);
    emu.call("FRCloseReg");
    // One key named 誠 with a subkey, as the wide API sees it.
    const std::wstring path(key.path().begin(), key.path().end());
    UniqueKey handle;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (path + L"\\\x8AA0\\sub").c_str(), 0, KEY_READ, handle.put()), 0);
    EXPECT_EQ(Get(key.path() + "\\" + cheng + "\\sub", "v").data, std::string("x\0", 2));
  }

  // A default text longer than the read buffer is cut between characters.
  const std::string fallback = std::string(511, 'd') + "\xD6\xD0";  // ... 中
  emu.call("FRSetRegPath", {Value::Text(key.path())});
  CallResult r = emu.call("FRGetRegValue", {Value::Text("Missing"), Value::Text(fallback)});
  EXPECT_EQ(r.value.text, fallback.substr(0, dbcs ? 511 : 512));
}

}  // namespace
}  // namespace larch::test
