// The path lengths the system's calls take, and whether a path is too long
// for them. Free of windows.h, so that the portable rules can use them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace larch {

// The longest path the ANSI file calls take: 259 bytes and the NUL.
constexpr size_t kMaxPathLength = 259;
// Whether the text of a path is longer than that as it stands: the test
// of the portable rules, which know no current folder.
inline bool PathTooLong(std::string_view path) { return path.size() > kMaxPathLength; }

// A buffer for such a path and its NUL (the system's MAX_PATH).
constexpr uint32_t kPathCapacity = kMaxPathLength + 1;
// A path the system gives back may run one character further, to 260;
// a buffer that receives one holds 261 with the NUL.
constexpr uint32_t kReturnedPathCapacity = kPathCapacity + 1;

// Where the system looks for a relative name: the current folder, or for
// a bare file name of the private-profile calls, the Windows folder.
enum class RelativeTo { kCurrentFolder, kWindowsFolder };
// Whether a path is too long for the system's calls: its text, and for a
// relative name (one without a drive and its root, or a \\server start)
// the full path the system makes of it (GetFullPathNameA), since a short
// name under a long current folder becomes a long path. Every guard on the
// Windows side counts this way (Windows build).
bool ResolvedPathTooLong(std::string_view path, RelativeTo base = RelativeTo::kCurrentFolder);

}  // namespace larch
