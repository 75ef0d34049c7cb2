#include "system/system_rules.h"

namespace larch {
namespace {

constexpr uint32_t kLogOff = 0;
constexpr uint32_t kShutdown = 1;
constexpr uint32_t kReboot = 2;
constexpr uint32_t kForce = 4;
constexpr uint32_t kPowerOff = 8;

constexpr int32_t kShowNormal = 1;
constexpr int32_t kShowMaximized = 3;
constexpr int32_t kShowMinNoActive = 7;

constexpr int32_t kTwipsPerInch = 1440;

}  // namespace

uint32_t ExitWindowsFlags(int32_t action, uint32_t majorVersion) {
  uint32_t flags = action == 0 ? kLogOff : action == 1 ? kReboot : kPowerOff;
  if (NeedsShutdownPrivilege(majorVersion)) return flags | kForce;
  return flags == kPowerOff ? kShutdown : flags;
}

int32_t ShortcutShowCommand(int32_t kind) {
  switch (kind) {
    case 2:
      return kShowMinNoActive;
    case 3:
      return kShowMaximized;
    default:
      return kShowNormal;
  }
}

int32_t TwipsPerPixel(int32_t pixelsPerInch) {
  return pixelsPerInch > 0 ? kTwipsPerInch / pixelsPerInch : 0;
}

}  // namespace larch
