// What FCI and FDI call back for memory and files: the C runtime's
// low-level file functions, with the arguments as the cabinet library
// passes them. Every call-back body runs inside CallbackGuard, because an
// exception must never unwind through the cabinet library's frames.
#pragma once

#include <windows.h>

#include <cstdint>

namespace larch {

// Runs body() and gives its result, or fallback when it throws.
template <typename R, typename Body>
R CallbackGuard(R fallback, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return fallback;
  }
}

// Stored and restored attributes: read-only, hidden, system, archive.
constexpr unsigned kCabAttributeMask = 0x27;

void* __cdecl CabAlloc(ULONG size);
void __cdecl CabFree(void* memory);

INT_PTR CabOpen(const char* path, int flags, int mode);
UINT CabRead(INT_PTR file, void* buffer, UINT size);
UINT CabWrite(INT_PTR file, const void* buffer, UINT size);
int CabClose(INT_PTR file);
LONG CabSeek(INT_PTR file, LONG distance, int origin);

}  // namespace larch
