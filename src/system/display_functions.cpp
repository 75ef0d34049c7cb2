// The screen: its size, the cursor, the display mode, twips per pixel.
#include <windows.h>

#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/values.h"
#include "bridge/win_handles.h"
#include "system/functions.h"
#include "system/system_rules.h"
#include "system/window_handle.h"

namespace larch {
namespace {

int32_t CurrentRefreshRate() {
  UniqueWindowDc screen = WindowDcOf(nullptr);
  return screen ? GetDeviceCaps(screen.get().dc, VREFRESH) : 0;
}

// Puts a loaded value back unchanged; a text goes back in a new block, as
// the loaded one has already been released.
void StoreLoaded(HostVarRef& ref, const LoadedValue& loaded) {
  if (loaded.raw.type == kTypeChar) return StoreText(ref, loaded.text);
  StoreValue(ref, loaded.raw);
}

constexpr DWORD kModeFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
static_assert(kModeFields == 0x5C0000);
constexpr uint16_t kFactorWidth = 5;

}  // namespace

void APIGetSystemMetrics(ParamBlock* block) {
  Params p(block);
  const int index = p.integer(1);
  // Only the screen's width and height are answered.
  ReturnInt(index == SM_CXSCREEN || index == SM_CYSCREEN ? GetSystemMetrics(index) : 0);
}

void KVGetCursorPos(ParamBlock* block) {
  Params p(block);
  POINT at{};
  GetCursorPos(&at);
  ReturnInt(p.integer(1) == 1 ? at.x : at.y);
}

void KVChangeDisplaySettings(ParamBlock* block) {
  Params p(block);
  DEVMODEA mode{};
  static_assert(sizeof mode == 156, "the display-mode record the system expects");
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(p.integer(1));
  mode.dmPelsHeight = static_cast<DWORD>(p.integer(2));
  mode.dmDisplayFrequency = static_cast<DWORD>(p.has(3) ? p.integer(3) : CurrentRefreshRate());
  // Bits per pixel is in the mask but stays 0: the system keeps the depth.
  mode.dmFields = kModeFields;
  ReturnInt(ChangeDisplaySettingsA(&mode, CDS_UPDATEREGISTRY));
}

void KVGet2PixeFactor(ParamBlock* block) {
  Params p(block);
  HostVarRef& horizontalRef = p.ref(2);
  HostVarRef& verticalRef = p.ref(3);
  const LoadedValue horizontal = LoadValue(horizontalRef);
  const LoadedValue vertical = LoadValue(verticalRef);
  int32_t twipsX = 0;
  int32_t twipsY = 0;
  {
    UniqueWindowDc dc = WindowDcOf(WindowOf(p.integer(1)));
    if (dc) {
      twipsX = TwipsPerPixel(GetDeviceCaps(dc.get().dc, LOGPIXELSX));
      twipsY = TwipsPerPixel(GetDeviceCaps(dc.get().dc, LOGPIXELSY));
    }
  }
  // A device without a resolution leaves the variable as it was.
  if (twipsX > 0) {
    StoreValue(horizontalRef, IntValue(twipsX, kFactorWidth));
  } else {
    StoreLoaded(horizontalRef, horizontal);
  }
  if (twipsY > 0) {
    StoreValue(verticalRef, IntValue(twipsY, kFactorWidth));
  } else {
    StoreLoaded(verticalRef, vertical);
  }
}

}  // namespace larch
