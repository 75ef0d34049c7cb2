// How a failed system call reaches LastSystemError, the process-wide code
// KVGetLastErrorMsg reads, and the path lengths the system's calls take.
// Free of windows.h, so that the portable rules can use the path lengths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace larch {

// The code of the most recent recorded failure of a system call.
uint32_t LastSystemError();
void SetLastSystemError(uint32_t code);
// Records a failure: the code a failed call returned, or ERROR_GEN_FAILURE
// (31) when it gave 0, so that after a failure LastSystemError never
// reads as success.
void RecordFailure(uint32_t code);
// Records GetLastError() as a failure (31 when the system left 0).
void RecordSystemError();
// For calls answering a BOOL: records GetLastError() when the call failed;
// tells whether it succeeded.
bool Recorded(int succeeded);
// For registry calls, which answer their error code (a LONG): stores the
// code as it is, ERROR_SUCCESS included, and tells whether the call
// succeeded.
bool RegistryResult(long code);

// The longest path the ANSI file calls take: 259 bytes and the NUL.
constexpr size_t kMaxPathLength = 259;
// Whether the text of a path is longer than that as it stands: the test
// of the portable rules, which know no current folder.
inline bool PathTooLong(std::string_view path) { return path.size() > kMaxPathLength; }
// Where the system looks for a relative name: the current folder, or for
// a bare file name of the private-profile calls, the Windows folder.
enum class RelativeTo { kCurrentFolder, kWindowsFolder };
// Whether a path is too long for the system's calls: its text, and for a
// relative name (one without a drive and its root, or a \\server start)
// the full path the system makes of it (GetFullPathNameA), since a short
// name under a long current folder becomes a long path. Every guard on the
// Windows side counts this way.
bool ResolvedPathTooLong(std::string_view path, RelativeTo base = RelativeTo::kCurrentFolder);
// Records ERROR_FILENAME_EXCED_RANGE (206) when the path is too long for
// the system's calls (ResolvedPathTooLong), so the caller can refuse it
// before calling them.
bool RefuseLongPath(std::string_view path, RelativeTo base = RelativeTo::kCurrentFolder);

// A buffer for such a path and its NUL (the system's MAX_PATH).
constexpr uint32_t kPathCapacity = kMaxPathLength + 1;
// A path the system gives back may run one character further, to 260;
// a buffer that receives one holds 261 with the NUL.
constexpr uint32_t kReturnedPathCapacity = kPathCapacity + 1;

// The text a path service wrote into a buffer of `capacity` characters,
// given the length it returned: "" when it failed (error recorded) or
// when the path needs a larger buffer (recorded as ERROR_INSUFFICIENT_BUFFER).
std::string PathFromService(uint32_t length, const char* buffer, uint32_t capacity);

}  // namespace larch
