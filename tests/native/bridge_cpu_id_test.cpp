#include "bridge/cpu_id.h"

#include <gtest/gtest.h>

#include <string>

namespace larch {
namespace {

// The shape of an identity text: twelve printable vendor characters, then
// four groups of a dash and eight upper-case hexadecimal digits. Checked by
// hand rather than with <regex>, whose GCC 12 code draws false warnings.
bool HasIdentityShape(const std::string& text) {
  if (text.size() != 12 + 4 * 9) return false;
  for (size_t i = 0; i < 12; ++i) {
    if (text[i] < ' ' || text[i] > '~') return false;
  }
  for (size_t i = 12; i < text.size(); ++i) {
    char c = text[i];
    bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
    if ((i - 12) % 9 == 0 ? c != '-' : !hex) return false;
  }
  return true;
}

TEST(CpuId, FormatsVendorAndFourUpperHexWords) {
  CpuIdWords w{"GenuineIntel", 0xBFEBFBFF, 0x000306A9, 0, 0xab};
  std::string text = FormatCpuId(w);
  EXPECT_EQ(text, "GenuineIntel-BFEBFBFF-000306A9-00000000-000000AB");
  EXPECT_TRUE(HasIdentityShape(text)) << text;
}

TEST(CpuId, ShapeCheckRejectsNearMisses) {
  // clang-format off
  const char* bad[] = {
      "GenuineIntel-BFEBFBFF-000306A9-00000000-000000ab",   // lower-case digit
      "GenuineIntel-BFEBFBFF-000306A9-00000000-000000A",    // short group
      "GenuineIntel BFEBFBFF-000306A9-00000000-000000AB",   // blank for a dash
      "Genuine\x01ntel-BFEBFBFF-000306A9-00000000-000000AB",  // control character
  };
  // clang-format on
  for (const char* text : bad) EXPECT_FALSE(HasIdentityShape(text)) << text;
}

TEST(CpuId, ReadsThisProcessor) {
  std::string text = FormatCpuId(ReadCpuId());
  EXPECT_EQ(text.size(), 48u) << text;
  EXPECT_TRUE(HasIdentityShape(text)) << text;
}

}  // namespace
}  // namespace larch
