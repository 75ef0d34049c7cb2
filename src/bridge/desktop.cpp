#include <windows.h>

#include "bridge/desktop.h"
#include "bridge/win_handles.h"

namespace larch {

// A hidden window of a system class is made and destroyed at once: it
// succeeds wherever a dialog could be shown, and fails cleanly (error 1400)
// where there is no display, without the system's pickers' crash.
bool DesktopAvailable() {
  const DWORD saved = GetLastError();
  UniqueWindow probe(
      CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
  const bool available = static_cast<bool>(probe);
  probe.reset();
  SetLastError(saved);
  return available;
}

}  // namespace larch
