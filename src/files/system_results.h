// The two ways a file service's failure reaches LastSystemError.
#pragma once

#include <windows.h>

#include <string>

namespace larch {

// Records GetLastError() when the call failed; tells whether it succeeded.
bool Recorded(BOOL succeeded);

// The text a path service wrote into a buffer of `capacity` characters,
// given the length it returned: "" when it failed (error recorded) or
// when the path needs a larger buffer (recorded as ERROR_INSUFFICIENT_BUFFER).
std::string PathFromService(DWORD length, const char* buffer, DWORD capacity);

// Capacity of the path buffers, NUL included.
constexpr DWORD kPathCapacity = 261;
constexpr DWORD kCurrentFolderCapacity = 260;

}  // namespace larch
