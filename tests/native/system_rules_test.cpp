// Session-end flags, shortcut show commands and twips per pixel.
#include <gtest/gtest.h>

#include "system/system_rules.h"

namespace larch {
namespace {

TEST(ExitWindowsFlags, ActionsOnBothSystemFamilies) {
  struct Case {
    int32_t action;
    uint32_t major;
    uint32_t flags;
  };
  const Case cases[] = {
      // Newer family: log off 0, reboot 2, power off 8, always forced (4).
      {0, 5, 4}, {1, 5, 6}, {2, 5, 12}, {5, 6, 12}, {-1, 10, 12}, {0x7FFFFFFF, 6, 12},
      // Older family (and an unreadable version, 0): no force, and a
      // power-off becomes a plain shutdown (1).
      {0, 4, 0}, {1, 4, 2}, {5, 4, 1}, {-3, 0, 1}, {1, 0, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExitWindowsFlags(c.action, c.major), c.flags) << "action " << c.action << ", major " << c.major;
  }
  EXPECT_FALSE(NeedsShutdownPrivilege(4));
  EXPECT_TRUE(NeedsShutdownPrivilege(5));
}

TEST(ShortcutShowCommand, KindsOutsideOneToThreeAreNormal) {
  const std::pair<int32_t, int32_t> cases[] = {{1, 1}, {2, 7}, {3, 3}, {0, 1}, {4, 1}, {9, 1}, {-2, 1}, {7, 1}};
  for (auto [kind, show] : cases) EXPECT_EQ(ShortcutShowCommand(kind), show) << kind;
}

TEST(TwipsPerPixel, IntegerDivisionAndNoResolution) {
  const std::pair<int32_t, int32_t> cases[] = {{96, 15}, {120, 12}, {144, 10}, {72, 20}, {1441, 0}, {0, 0}, {-96, 0}};
  for (auto [dpi, twips] : cases) EXPECT_EQ(TwipsPerPixel(dpi), twips) << dpi;
}

}  // namespace
}  // namespace larch
