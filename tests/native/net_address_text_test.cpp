#include "net/address_text.h"

#include <gtest/gtest.h>

#include <string>

#include "net/ftp_settings.h"

namespace larch {
namespace {

TEST(NetAddressText, MacTextIsSixUpperCaseGroups) {
  const uint8_t address[6] = {0x00, 0x1a, 0x2B, 0xC3, 0xFF, 0x05};
  EXPECT_EQ(MacText(address), "00-1A-2B-C3-FF-05");
}

TEST(NetAddressText, DottedAddressWritesEveryByteInDecimal) {
  EXPECT_EQ(DottedAddress(std::string("\x7F\x00\x00\x01", 4)), "127.0.0.1");
  EXPECT_EQ(DottedAddress(std::string("\xFF\xFE\x0A\x00", 4)), "255.254.10.0");
  EXPECT_EQ(DottedAddress(""), "");
}

TEST(NetAddressText, ListsAreCutAtTheLastWholeEntry) {
  WholeEntryList list(10);
  EXPECT_TRUE(list.add("abcd"));
  EXPECT_TRUE(list.add("efgh"));
  EXPECT_FALSE(list.add("ijk"));  // would make 11
  EXPECT_FALSE(list.add("i"));    // nothing after a refused entry
  EXPECT_EQ(list.text(), "abcdefgh");
  EXPECT_EQ(list.count(), 2u);

  WholeEntryList exact(8);
  EXPECT_TRUE(exact.add("abcd"));
  EXPECT_TRUE(exact.add("efgh"));
  EXPECT_EQ(exact.text(), "abcdefgh");
}

TEST(NetAddressText, FifteenMacEntriesFillTheMacList) {
  WholeEntryList list(kMacListCapacity);
  const uint8_t address[6] = {1, 2, 3, 4, 5, 6};
  for (int i = 0; i < 15; ++i) EXPECT_TRUE(list.add(MacText(address) + "|")) << i;
  EXPECT_FALSE(list.add(MacText(address) + "|"));
  EXPECT_EQ(list.text().size(), 270u);
}

TEST(NetAddressText, AddressListJoinsWithBarsAndKeepsSevenLongestAddresses) {
  AddressList one;
  one.add(std::string("\x0A\x00\x00\x01", 4));
  EXPECT_EQ(one.text(), "10.0.0.1");

  AddressList many;
  const std::string longest("\xFF\xFF\xFF\xFF", 4);
  for (int i = 0; i < 7; ++i) EXPECT_TRUE(many.add(longest)) << i;  // 111 characters
  EXPECT_FALSE(many.add(longest));                                  // 127 > 124
  EXPECT_FALSE(many.add(std::string("\x01\x01\x01\x01", 4)));       // nothing after a cut
  EXPECT_EQ(many.text().size(), 111u);
  EXPECT_EQ(many.text().substr(0, 16), "255.255.255.255|");
  EXPECT_NE(many.text().back(), '|');
}

TEST(NetAddressText, ComputerEntriesAndBackslashes) {
  const uint8_t address[4] = {192, 168, 1, 20};
  EXPECT_EQ(ComputerEntry("PC1", address), "PC1|192.168.1.20|");
  EXPECT_EQ(WithoutLeadingBackslashes("\\\\PC1"), "PC1");
  EXPECT_EQ(WithoutLeadingBackslashes("\\PC1"), "\\PC1");
  EXPECT_EQ(WithoutLeadingBackslashes("PC1"), "PC1");
  EXPECT_EQ(WithoutLeadingBackslashes("\\\\\\\\PC1"), "\\\\PC1");  // one prefix only
}

TEST(NetAddressText, NetbiosCallNameIsUpperCasedAndPadded) {
  struct Case {
    std::string name;
    bool doubleByte;
    std::string callName;  // "" when refused
  };
  const Case cases[] = {
      {"pc-1", true, std::string("PC-1           \0", 16)},
      {std::string(15, 'a'), true, std::string(15, 'A') + std::string(1, '\0')},
      {std::string(16, 'a'), true, ""},  // no NetBIOS name is that long
      // Double-byte characters keep their bytes, also when the second byte
      // looks like a lower-case letter ...
      {"\xD6\xD0z", true, std::string("\xD6\xD0Z            \0", 16)},
      {"\xD6\x78z", true, std::string("\xD6\x78Z            \0", 16)},
      // ... but under a single-byte code page every byte is a character.
      {"\xE4x", false, std::string("\xE4X             \0", 16)},
      // A lead byte at the end has no second byte to keep.
      {"ab\xD6", true, std::string("AB\xD6            \0", 16)},
  };
  for (const Case& c : cases) {
    std::array<uint8_t, 16> name;
    name.fill(0xEE);
    const bool made = NetbiosCallName(c.name, c.doubleByte ? LeadBytes::gbk() : LeadBytes(), &name);
    EXPECT_EQ(made, !c.callName.empty()) << c.name;
    if (made) {
      EXPECT_EQ(std::string(name.begin(), name.end()), c.callName) << c.name;
    }
  }
}

TEST(NetFtpSettings, PortDefaultsAndLowBits) {
  struct Case {
    std::optional<int32_t> given;
    uint16_t port;
  };
  const Case cases[] = {{std::nullopt, 21}, {0, 21}, {2121, 2121}, {0x10000 + 990, 990}, {0x10000, 21}, {-1, 65535}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.given ? std::to_string(*c.given) : std::string("no port given"));
    FtpSettings s;
    EXPECT_TRUE(ConfigureFtp("host", "user", "pw", c.given, &s));
    EXPECT_EQ(s.port, c.port);
    EXPECT_STREQ(s.server, "host");
    EXPECT_STREQ(s.user, "user");
    EXPECT_STREQ(s.password, "pw");
  }
}

TEST(NetFtpSettings, FieldsOfMoreThan128CharactersRefuseTheWholeSetting) {
  const std::string full(128, 'x');
  FtpSettings s;
  ASSERT_TRUE(ConfigureFtp(full, full, full, 2121, &s));
  EXPECT_EQ(std::string(s.server), full);
  EXPECT_EQ(std::string(s.password), full);
  for (int field = 0; field < 3; ++field) {
    SCOPED_TRACE(field);
    std::string texts[3] = {full, full, full};
    texts[field] += 'y';
    ASSERT_TRUE(ConfigureFtp("old", "u", "p", 2121, &s));
    EXPECT_FALSE(ConfigureFtp(texts[0], texts[1], texts[2], 2121, &s)) << field;
    EXPECT_FALSE(s.configured());
    EXPECT_STREQ(s.user, "");
    EXPECT_STREQ(s.password, "");
    EXPECT_EQ(s.port, kDefaultFtpPort);
  }
}

}  // namespace
}  // namespace larch
