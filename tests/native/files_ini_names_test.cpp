// Which sections, keys and values can be written as INI lines of their own.
#include <gtest/gtest.h>

#include <string>

#include "files/ini_names.h"

namespace larch {
namespace {

using namespace std::string_literals;

// 中 is D6 D0; the GBK characters below end in the bytes of ']', '=' and
// '[' (0x5D, 0x3D is no GBK second byte, 0x5B) and are ordinary text.
const std::string kEndsInBracket = "\x81\x5D";  // second byte ']'
const std::string kEndsInOpen = "\x81\x5B";     // second byte '['

TEST(FilesIniNames, SectionsKeysAndValues) {
  struct Case {
    std::string section, key, value;
    bool gbk, allowed;
  };
  // clang-format off
  const Case cases[] = {
      {"Main", "Name", "larch library", false, true},
      {"", "", "", false, true},                                  // empty texts are texts
      {"Second Section", "a b", "a=b; c: d [x]", false, true},    // '=' and brackets inside a value
      {"Ma[in", "k]ey", "v", false, true},                        // harmless where they are
      {"Main", "Name", "x\r\n[Evil]\r\nk=v", false, false},       // a value that makes a section
      {"Main", "Name", "x\nOther=1", false, false},               // ... or another key
      {"Main", "Name", "x\r", false, false},
      {"Main", "Name", "ab\0cd"s, false, false},                  // the system would keep "ab"
      {"Ma]in", "Name", "v", false, false},                       // ends the section early
      {"Main\r\n[Other", "Name", "v", false, false},
      {"Main", "a=b", "v", false, false},                         // moves "b" into the value
      {"Main", "[Other]", "v", false, false},                     // reads back as a section
      {"Main", "  [Other]", "v", false, false},                   // blanks before it are skipped
      {"Main", "\t\v[Other]", "v", false, false},
      {"Main", "\x1A[Other]", "v", false, false},                 // the reader skips 0x1A too
      {"Main", "a\tb", "v", false, false},                        // any control byte in a name
      {"Ma\x7Fin", "Name", "v", true, false},
      {"Main", "Name", "a\tb\x1A\x7F", false, true},               // a value may hold them
      {"Main\xA0", "Name\x80~", "v", false, true},                // 0x20, 0x7E and up are text
      {"Main", "Na\nme", "v", false, false},
      {"Main", "Na\0me"s, "v", false, false},
      {"Main", "x[y", "v", false, true},
      // Under GBK the second byte of a character is not ']' or '['.
      {"\xD6\xD0" + kEndsInBracket, "Name", "v", true, true},
      {"Main", kEndsInOpen + "key", "v", true, true},
      {"\xD6\xD0" + kEndsInBracket, "Name", "v", false, false},   // bytes under a single-byte page
      {"\xD6\xD0]", "Name", "v", true, false},                    // a real ']' after a character
      {"Main", "\xD6\xD0=", "v", true, false},
      {"Main", "\x81=", "v", true, false},                         // no character ends in '='
      // A name ending in half a character would swallow the ']' or '='
      // written after it; a value is followed by the line end only.
      {"Ma\xD6", "Name", "v", true, false},
      {"Main", "Na\xD6", "v", true, false},
      {"Main", "Name", "v\xD6", true, true},
      {"Ma\xD6", "Na\xD6", "v", false, true},                      // bytes under a single-byte page
  };
  // clang-format on
  for (const Case& c : cases) {
    const LeadBytes leads = c.gbk ? LeadBytes::gbk() : LeadBytes();
    EXPECT_EQ(IniEntryAllowed(leads, c.section, c.key, c.value), c.allowed)
        << "[" << c.section << "] " << c.key << "=" << c.value << (c.gbk ? " (GBK)" : "");
  }
}

TEST(FilesIniNames, NamesHoldNoControlByte) {
  for (int byte = 0; byte < 0x100; ++byte) {
    const bool control = byte < 0x20 || byte == 0x7F;
    for (bool gbk : {false, true}) {
      SCOPED_TRACE(testing::Message() << "byte " << byte << (gbk ? " (GBK)" : ""));
      const LeadBytes leads = gbk ? LeadBytes::gbk() : LeadBytes();
      // The byte between two characters, and after a first byte where a
      // second byte would stand.
      const std::string between = "A" + std::string(1, static_cast<char>(byte)) + "B";
      const std::string second = "\xD6" + std::string(1, static_cast<char>(byte)) + "B";
      EXPECT_EQ(IniSectionAllowed(leads, between), !control && byte != ']');
      EXPECT_EQ(IniKeyAllowed(leads, between), !control && byte != '=');
      if (control) {
        EXPECT_FALSE(IniSectionAllowed(leads, second));
        EXPECT_FALSE(IniKeyAllowed(leads, second));
        EXPECT_EQ(IniValueAllowed(between), byte != '\r' && byte != '\n' && byte != 0);
      }
    }
  }
}

TEST(FilesIniNames, EachPartHasItsOwnRule) {
  const LeadBytes none;
  EXPECT_TRUE(IniKeyAllowed(none, "a]b"));
  EXPECT_FALSE(IniSectionAllowed(none, "a]b"));
  EXPECT_TRUE(IniSectionAllowed(none, "a=b"));
  EXPECT_FALSE(IniKeyAllowed(none, "a=b"));
  EXPECT_TRUE(IniValueAllowed("a=b]"));
  EXPECT_FALSE(IniValueAllowed("a\nb"));
}

}  // namespace
}  // namespace larch
