#include "net/protocol_text.h"

#include <gtest/gtest.h>

#include <string>

#include "net/ftp_settings.h"

namespace larch {
namespace {

std::string Bytes(const char* text, size_t size) { return std::string(text, size); }

TEST(NetProtocolText, LineBreaksAndNulsAreFoundByteByByte) {
  struct Case {
    std::string text;
    bool breaks;
  };
  const Case cases[] = {
      {"report.txt", false},
      {"\xC4\xBF\xC2\xBC", false},  // GBK text
      {"a.txt\r\nDELE b", true},
      {"a\n", true},
      {"\ra", true},
      {Bytes("a\0b", 3), true},
      {"\xD6\r\nDELE b", true},  // a stray lead byte does not hide the CR
      {"a\tb c", false},         // blanks and tabs are part of FTP names
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(BreaksProtocolLine(c.text), c.breaks) << c.text;
}

TEST(NetProtocolText, FtpNamesAreRefusedForLineBreaksAndLength) {
  struct Case {
    FtpName kind;
    std::string name;
    uint32_t code;
  };
  const Case cases[] = {
      {FtpName::kRemote, "report.txt", 0},
      {FtpName::kRemote, "a.txt\r\nDELE victim.txt", kErrorInvalidName},
      {FtpName::kLocal, Bytes("C:\\a.txt\0.bak", 13), kErrorInvalidName},
      {FtpName::kRemote, std::string(259, 'r'), 0},
      {FtpName::kRemote, std::string(275, 'r'), 0},
      {FtpName::kRemote, std::string(2048, 'r'), 0},
      {FtpName::kRemote, std::string(2049, 'r'), kErrorNameTooLong},
      {FtpName::kRemote, std::string(70000, 'r'), kErrorNameTooLong},
      {FtpName::kLocal, std::string(259, 'l'), 0},
      {FtpName::kLocal, std::string(260, 'l'), kErrorNameTooLong},
      {FtpName::kLocal, std::string(275, 'l'), kErrorNameTooLong},
      {FtpName::kLocal, std::string(70000, 'l'), kErrorNameTooLong},
      {FtpName::kLocal, std::string(300, 'l') + "\n", kErrorInvalidName},  // the line break counts first
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FtpNameRefusal(c.name, c.kind, LeadBytes()), c.code)
        << (c.kind == FtpName::kLocal ? "local " : "remote ") << c.name.size();
  }
}

// Under a double-byte code page the system's conversion puts '?' in place
// of a broken character, so such a name is refused; under a single-byte
// page the same bytes are characters of their own.
TEST(NetProtocolText, FtpNamesWithABrokenDoubleByteCharacterAreRefused) {
  struct Case {
    std::string name;
    bool broken;
  };
  // clang-format off
  const Case cases[] = {
      {"\xC4\xBF\xC2\xBC.txt", false},   // whole GBK characters
      {"\x81\x40\xFE\xFE\x81\x7E\x81\x80", false},  // the edges of the second-byte range
      {"a\xC4 b.txt", true},              // a first byte before a blank
      {"a.txt\xC4", true},                // a first byte at the end
      {"\xC4", true},
      {"\xC4\xBF\xC2", true},
      {"\xC4*", true},                    // before ASCII a second byte never is
      {"\xC4" "0.txt", true},
      {"\xC4/b", true},
      {"\xC4\x7F", true},
      {"\xC4\xFF", true},
      {"\xC4\x5C", false},               // 0x5C ('\') is a second byte here
      {"\xC4\xC4\x20", false},          // the second 0xC4 is the second byte
      {"\xFF ", false},                   // 0xFF is no first byte
      {"plain name", false},
      {"", false},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(HoldsBrokenCharacter(LeadBytes::gbk(), c.name), c.broken);
    EXPECT_FALSE(HoldsBrokenCharacter(LeadBytes(), c.name));
    for (FtpName kind : {FtpName::kRemote, FtpName::kLocal}) {
      SCOPED_TRACE(kind == FtpName::kRemote ? "remote name" : "local name");
      EXPECT_EQ(FtpNameRefusal(c.name, kind, LeadBytes::gbk()), c.broken ? kErrorInvalidName : 0);
      EXPECT_EQ(FtpNameRefusal(c.name, kind, LeadBytes()), 0u);
    }
  }
}

TEST(NetProtocolText, UrlsWithBlanksControlsOrTooLongAreNotRequestable) {
  const std::string base = "http://127.0.0.1:8080/";
  struct Case {
    std::string url;
    bool ok;
  };
  const Case cases[] = {
      {base + "page?a=1&b=%20", true},
      {base + "\xD6\xD0\xCE\xC4", true},  // left to the internet services to escape
      {base + "a b", false},
      {base + "a\r\nX-Injected: 1", false},
      {base + "a\n", false},
      {base + "a\tb", false},
      {base + "a\x7F", false},
      {base + Bytes("a\0b", 3), false},
      {"", false},
      {base + std::string(kMaxUrlLength - base.size(), 'x'), true},
      {base + std::string(kMaxUrlLength - base.size() + 1, 'x'), false},
  };
  for (const Case& c : cases) EXPECT_EQ(UrlIsRequestable(c.url), c.ok) << c.url.substr(0, 60);
}

TEST(NetProtocolText, CurrentFolderEndsAtItsNulNotAtTheReportedLength) {
  const LeadBytes gbk = LeadBytes::gbk();
  struct Case {
    std::string buffer;
    std::string text;
  };
  std::string full(261, 'a');
  std::string fullEndingInCharacter = std::string(259, 'a') + "\xC4\xBF";  // the last character has no room for a NUL
  std::string fullEndingInLead = std::string(258, 'a') + "\xC4\xBF" + "\xC2";
  const Case cases[] = {
      {Bytes("/\xC4\xBF\xC2\xBC\0\0\0\0", 9), "/\xC4\xBF\xC2\xBC"},
      {Bytes("/\0junk", 6), "/"},
      {Bytes("\0", 1), ""},
      {"", ""},
      {full, std::string(260, 'a')},
      {fullEndingInCharacter, std::string(259, 'a')},
      {fullEndingInLead, std::string(258, 'a') + "\xC4\xBF"},
  };
  for (const Case& c : cases) EXPECT_EQ(CurrentFolderText(c.buffer, gbk), c.text) << c.buffer.size();
  // Under a single-byte code page bytes stay bytes.
  EXPECT_EQ(CurrentFolderText(fullEndingInCharacter, LeadBytes()), fullEndingInCharacter.substr(0, 260));
}

TEST(NetFtpSettings, CredentialsThatWouldEndTheLoginLineAreRefused) {
  for (int field = 0; field < 3; ++field) {
    for (const std::string& bad : {std::string("\r\nDELE x"), std::string("\n"), std::string("\r"), Bytes("\0x", 2)}) {
      SCOPED_TRACE(::testing::Message() << "field " << field << " + " << ::testing::PrintToString(bad));
      std::string texts[3] = {"host", "user", "pw"};
      texts[field] += bad;
      FtpSettings s;
      ASSERT_TRUE(ConfigureFtp("old", "u", "p", 21, &s));
      EXPECT_FALSE(ConfigureFtp(texts[0], texts[1], texts[2], 21, &s)) << field;
      EXPECT_FALSE(s.configured()) << field;
      EXPECT_STREQ(s.user, "") << field;
    }
  }
}

}  // namespace
}  // namespace larch
