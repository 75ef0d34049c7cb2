// INI files through the binary interface, on files in a temporary folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "test_support.h"

namespace larch::test {
namespace {

struct IniFile {
  HostEmulator& emu;
  std::string file;
  bool write(const std::string& section, const std::string& key, const std::string& value, Caller caller = {}) {
    return CallLogical(emu, "KVWriteIniStr",
                       {Value::Text(section), Value::Text(key), Value::Text(value), Value::Text(file)}, caller);
  }
  std::string text(const std::string& section, const std::string& key, const std::string& fallback = "dflt",
                   Caller caller = {}) {
    return CallText(emu, "KVGetIniStr",
                    {Value::Text(section), Value::Text(key), Value::Text(fallback), Value::Text(file)}, caller);
  }
  CallResult integer(const std::string& section, const std::string& key, int32_t fallback) {
    return emu.call("KVGetIniInt", {Value::Text(section), Value::Text(key), Value::Int(fallback), Value::Text(file)});
  }
};

// Each test has a library of its own and a fresh folder for its files.
class Ini : public ::testing::Test {
 protected:
  IniFile File(const std::string& name) { return IniFile{emu, dir.file(name)}; }

  HostEmulator emu;
  TempDir dir;
};

TEST_F(Ini, WritingCreatesTheFileAndReadsGiveBackWhatWasWritten) {
  IniFile ini = File("new.ini");
  ASSERT_FALSE(FileExists(ini.file));
  EXPECT_TRUE(ini.write("Main", "Name", "larch library"));
  EXPECT_TRUE(FileExists(ini.file));
  EXPECT_TRUE(ini.write("Main", "Count", "42"));
  EXPECT_TRUE(ini.write("Other", "Name", "second"));
  EXPECT_EQ(ini.text("Main", "Name"), "larch library");
  EXPECT_EQ(ini.text("Other", "Name"), "second");
  EXPECT_EQ(ini.integer("Main", "Count", 7).value, Value::Int(42));
  EXPECT_TRUE(ini.write("Main", "Name", "replaced"));
  EXPECT_EQ(ini.text("Main", "Name"), "replaced");
  EXPECT_EQ(ReadFile(ini.file).find("[Main]"), 0u) << ReadFile(ini.file);
}

TEST_F(Ini, MissingEntriesGiveTheDefault) {
  IniFile ini = File("some.ini");
  ASSERT_TRUE(ini.write("Main", "Present", "yes"));
  EXPECT_EQ(ini.text("Main", "Absent", "fallback"), "fallback");
  EXPECT_EQ(ini.text("Nowhere", "Present", "fallback"), "fallback");
  EXPECT_EQ(ini.integer("Main", "Absent", -5).value, Value::Int(-5));
  IniFile missing = File("missing.ini");
  EXPECT_EQ(missing.text("Main", "Present", "fallback"), "fallback");
  EXPECT_EQ(missing.integer("Main", "Present", 9).value, Value::Int(9));
  EXPECT_FALSE(FileExists(missing.file)) << "reading creates nothing";
}

TEST_F(Ini, SectionsAndKeysAreFoundRegardlessOfLetterCase) {
  IniFile ini = File("case.ini");
  ASSERT_TRUE(ini.write("Settings", "Colour", "blue"));
  EXPECT_EQ(ini.text("SETTINGS", "colour"), "blue");
  EXPECT_EQ(ini.text("settings", "COLOUR"), "blue");
}

TEST_F(Ini, LongValuesReadBackCutTo511Characters) {
  IniFile ini = File("long.ini");
  std::string value;
  for (int i = 0; i < 600; ++i) value += static_cast<char>('a' + i % 26);
  ASSERT_TRUE(ini.write("Main", "Long", value));
  EXPECT_EQ(ini.text("Main", "Long"), value.substr(0, 511));
}

TEST_F(Ini, EmptyTextsAreTextsNotAbsences) {
  IniFile ini = File("empty.ini");
  ASSERT_TRUE(ini.write("Main", "Kept", "value"));
  EXPECT_TRUE(ini.write("Main", "Blank", ""));
  EXPECT_EQ(ini.text("Main", "Blank"), "") << "an empty value, not the default";
  EXPECT_TRUE(ini.write("Main", "", "nameless"));
  EXPECT_EQ(ini.text("Main", "Kept"), "value") << "an empty key deletes nothing";
  EXPECT_EQ(ini.text("Main", "", ""), "nameless");
  EXPECT_EQ(ini.text("Main", "Absent", ""), "");
}

TEST_F(Ini, AFailedWriteIsRecorded) {
  IniFile ini = File("no\\such\\folder\\x.ini");
  EXPECT_FALSE(ini.write("Main", "Key", "value"));
  EXPECT_FAILURE_RECORDED(emu);
}

TEST_F(Ini, TextsThatWouldBreakTheirLineAreRefused) {
  IniFile ini = File("guarded.ini");
  ASSERT_TRUE(ini.write("Main", "Name", "kept"));
  const std::string before = ReadFile(ini.file);
  struct Case {
    std::string section, key, value;
    bool namesRefused;  // reads with this section and key are refused too
  } const cases[] = {
      {"Main", "Name", "x\r\n[Evil]\r\nAdmin=1", false},  // a new section and key
      {"Main", "Name", "x\nAdmin=1", false},
      {"Main", "Name", std::string("x\0y", 3), false},
      {"Main]\r\n[Evil", "Name", "v", true},
      {"Ma]in", "Name", "v", true},
      {"Main", "Admin=1\r\nName", "v", true},
      {"Main", "Admin=1", "v", true},
      {"Main", "[Evil]", "v", true},
      {"Main", " [Evil]", "v", true},
      {"Other", "\x1A[Main]", "v", true},  // the reader skips 0x1A: [Main] would be shadowed
      {"Main", "Na\tme", "v", true},       // no control byte in a name
      {"Ma\x7Fin", "Name", "v", true},
      {"Ma\x01in", "Name", "v", true},
  };
  for (const Case& c : cases) {
    emu.call("APIDeleteFile", {Value::Text(dir.file("missing"))});  // another failure first
    EXPECT_FALSE(ini.write(c.section, c.key, c.value)) << Hex(c.section + "|" + c.key + "|" + c.value);
    EXPECT_LAST_ERROR(emu, ERROR_INVALID_PARAMETER) << Hex(c.key);
    EXPECT_EQ(ReadFile(ini.file), before) << "nothing written for " << Hex(c.section + "|" + c.key + "|" + c.value);
    if (!c.namesRefused) continue;
    // Reads with such names find nothing, whatever the file holds.
    EXPECT_EQ(ini.text(c.section, c.key, "dflt"), "dflt") << Hex(c.section + "|" + c.key);
    EXPECT_EQ(ini.integer(c.section, c.key, -3).value, Value::Int(-3)) << Hex(c.section + "|" + c.key);
  }
  EXPECT_EQ(ini.text("Evil", "Admin", "none"), "none");
  EXPECT_EQ(ini.text("Main", "Admin", "none"), "none");
  EXPECT_EQ(ini.text("Main", "Name"), "kept");
  // A value may hold what a name may not.
  EXPECT_TRUE(ini.write("Main", "Formula", "a=b ]["));
  EXPECT_EQ(ini.text("Main", "Formula"), "a=b ][");
}

TEST_F(Ini, ChineseNamesWhoseSecondBytesLookLikeBrackets) {
  if (!IsDBCSLeadByte(0x81)) GTEST_SKIP() << "a single-byte code page";
  IniFile ini = File("chinese.ini");
  // 0x81 0x5D and 0x81 0x5B are characters whose second bytes are ']' and '['.
  const std::string section = "\xD6\xD0\x81\x5D", key = "\x81\x5B\xCE\xC4", value = "\xD6\xD0\x81\x5D";
  ASSERT_TRUE(ini.write(section, key, value));
  EXPECT_EQ(ini.text(section, key), value);
  EXPECT_EQ(ini.text(section + "x", key), "dflt");
}

TEST_F(Ini, IntegersOfEntriesThatAreNotNumbers) {
  IniFile ini = File("numbers.ini");
  const std::pair<const char*, int32_t> cases[] = {{"42", 42}, {"-7", -7}, {"12abc", 12}, {"abc", 0}};
  for (const auto& [text, number] : cases) {
    SCOPED_TRACE(text);
    ASSERT_TRUE(ini.write("Main", "Value", text));
    EXPECT_EQ(ini.integer("Main", "Value", 99).value, Value::Int(number)) << text << ": not the default";
  }
}

// Entries written for the configparser check (tests/wine/files_ini_configparser_check.py
// reads the file with Python's configparser and compares the same table).
// clang-format off
const char* const kInteropEntries[][3] = {
    {"Main", "Name", "larch library"},
    {"Main", "Path", "C:\\Program Files\\larch\\larch.dll"},
    {"Main", "Equation", "a=b; c: d"},
    {"Second Section", "Number", "12345"},
    {"Second Section", "Empty", ""},
};
// clang-format on

TEST(ChildIni, WritesAFileForConfigparser) {
  // Run by the configparser check, which names the file to write.
  const char* target = std::getenv("LARCH_INI_CHECK");
  if (!target) GTEST_SKIP() << "LARCH_INI_CHECK names the file to write";
  HostEmulator emu;
  IniFile ini{emu, target};
  DeleteFileA(target);
  for (const auto& entry : kInteropEntries) EXPECT_TRUE(ini.write(entry[0], entry[1], entry[2])) << entry[1];
}

}  // namespace
}  // namespace larch::test
