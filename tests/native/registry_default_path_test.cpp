// The registry session's default path and its buffer limit.
#include <gtest/gtest.h>

#include "registry/default_path.h"

namespace larch {
namespace {

TEST(RegistryDefaultPath, PrefixesTheIdentityWhileItFitsTheBuffer) {
  EXPECT_EQ(DefaultRegistryPath("app.exe"), std::optional<std::string>("Software\\Brenwick\\app.exe"));
  EXPECT_EQ(DefaultRegistryPath(""), std::nullopt);
  // 18 characters of prefix, the identity and a NUL in 276 bytes.
  std::string longest(257, 'a');
  ASSERT_TRUE(DefaultRegistryPath(longest));
  EXPECT_EQ(DefaultRegistryPath(longest)->size(), kDefaultPathCapacity - 1);
  EXPECT_EQ(DefaultRegistryPath(longest + "a"), std::nullopt);
}

}  // namespace
}  // namespace larch
