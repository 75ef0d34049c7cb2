#include "bridge/cpu_id.h"

#include <gtest/gtest.h>

#include <regex>

namespace larch {
namespace {

TEST(CpuId, FormatsVendorAndFourUpperHexWords) {
  CpuIdWords w{"GenuineIntel", 0xBFEBFBFF, 0x000306A9, 0, 0xab};
  EXPECT_EQ(FormatCpuId(w), "GenuineIntel-BFEBFBFF-000306A9-00000000-000000AB");
}

TEST(CpuId, ReadsThisProcessor) {
  std::string text = FormatCpuId(ReadCpuId());
  EXPECT_EQ(text.size(), 48u) << text;
  EXPECT_TRUE(std::regex_match(text, std::regex("[ -~]{12}(-[0-9A-F]{8}){4}"))) << text;
}

}  // namespace
}  // namespace larch
