// Decisions of the process, window and session functions that need no
// system call, kept apart so they can be checked on any platform.
#pragma once

#include <cstdint>

namespace larch {

// Session-end flags for an action (0 log off, 1 restart, other: power off).
// The newer system family (major version 5 and up) needs the forced form,
// the older one knows only a plain shutdown, not a power-off.
uint32_t ExitWindowsFlags(int32_t action, uint32_t majorVersion);
// Systems from major version 5 on need the shutdown privileges enabled.
inline bool NeedsShutdownPrivilege(uint32_t majorVersion) { return majorVersion >= 5; }

// Show command stored in a shortcut for the caller's show kind:
// 1 normal, 2 minimised without activation, 3 maximised; others: normal.
int32_t ShortcutShowCommand(int32_t kind);

// Twips per pixel at a given number of pixels per logical inch; 0 when
// the device reports no resolution.
int32_t TwipsPerPixel(int32_t pixelsPerInch);

}  // namespace larch
