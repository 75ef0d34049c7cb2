// Window handles travel as host integers holding the 32-bit handle value.
#pragma once

#include <windows.h>

#include <cstdint>

namespace larch {

inline HWND WindowOf(int32_t value) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(static_cast<uint32_t>(value)));
}
inline int32_t HandleValue(HWND window) { return static_cast<int32_t>(reinterpret_cast<uintptr_t>(window)); }

}  // namespace larch
