// How a failed system call reaches LastSystemError, the process-wide code
// KVGetLastErrorMsg reads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bridge/path_length.h"

namespace larch {

// The code of the most recent recorded failure of a system call.
uint32_t LastSystemError();
// Records a failure: the code a failed call returned, or ERROR_GEN_FAILURE
// (31) when it gave 0, so that after a failure LastSystemError never
// reads as success.
void RecordFailure(uint32_t code);
// Records GetLastError() as a failure (31 when the system left 0).
void RecordSystemError();
// GetLastError(), or the fallback when the system left 0: for failures
// whose own code is better than the general one.
uint32_t LastErrorOr(uint32_t fallback);
// For calls answering a BOOL: records GetLastError() when the call failed;
// tells whether it succeeded.
bool Recorded(int succeeded);
// For registry calls, which answer their error code (a LONG): stores the
// code as it is, ERROR_SUCCESS included, and tells whether the call
// succeeded.
bool RegistryResult(long code);

// Records ERROR_FILENAME_EXCED_RANGE (206) when the path is too long for
// the system's calls (ResolvedPathTooLong), so the caller can refuse it
// before calling them.
bool RefuseLongPath(std::string_view path, RelativeTo base = RelativeTo::kCurrentFolder);

// The text a path service wrote into a buffer of `capacity` characters,
// given the length it returned: "" when it failed (error recorded) or
// when the path needs a larger buffer (recorded as ERROR_INSUFFICIENT_BUFFER).
std::string PathFromService(uint32_t length, const char* buffer, uint32_t capacity);

}  // namespace larch
