// What FCI and FDI call back for memory and files: the C runtime's
// low-level file functions, with the arguments as the cabinet library
// passes them. Every call-back body runs inside CallbackGuard.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "bridge/callback_guard.h"

namespace larch {

// Stored and restored attributes. A cabinet keeps them in the bits the
// file system uses for them.
constexpr unsigned kCabAttributeMask =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
static_assert(kCabAttributeMask == 0x27, "the attribute bits a cabinet stores");

void* __cdecl CabAlloc(ULONG size);
void __cdecl CabFree(void* memory);

INT_PTR CabOpen(const char* path, int flags, int mode);
UINT CabRead(INT_PTR file, void* buffer, UINT size);
UINT CabWrite(INT_PTR file, const void* buffer, UINT size);
int CabClose(INT_PTR file);
LONG CabSeek(INT_PTR file, LONG distance, int origin);

// An ANSI name as UTF-8, and back. Nothing when a byte sequence is not
// valid in the source encoding or a character has no exact form in the
// target (no best-fit substitutes, no '?').
std::optional<std::string> AnsiToUtf8(std::string_view ansi);
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);

}  // namespace larch
