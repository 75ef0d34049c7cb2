// Whether a path is too long for the system's calls.
#include "bridge/path_length.h"

#include <windows.h>

#include <string>

namespace larch {

static_assert(kPathCapacity == MAX_PATH, "a path buffer holds MAX_PATH characters");

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A name the system takes as it stands: a drive with its root, or a UNC or
// device name. Everything else is resolved against the current folder
// (of the current drive, or of the named drive for "C:name").
bool IsFullyQualified(std::string_view path) {
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return true;
  const char drive = path.empty() ? '\0' : static_cast<char>(path[0] | 0x20);
  return path.size() >= 3 && drive >= 'a' && drive <= 'z' && path[1] == ':' && IsSeparator(path[2]);
}

}  // namespace

bool ResolvedPathTooLong(std::string_view path, RelativeTo base) {
  if (PathTooLong(path)) return true;
  if (path.empty() || IsFullyQualified(path)) return false;
  if (base == RelativeTo::kWindowsFolder && path.find_first_of("\\/:") == std::string_view::npos) {
    char folder[kReturnedPathCapacity] = {};
    const UINT length = GetWindowsDirectoryA(folder, kReturnedPathCapacity);
    // The folder, a separator and the name.
    return length != 0 && length + 1 + path.size() > kMaxPathLength;
  }
  const std::string name(path);
  char full[kPathCapacity];
  // A buffer too small is answered with the size needed, NUL included, or
  // (by some systems, Wine among them, for a path beyond MAX_PATH) with 0
  // and 206; a name the system cannot resolve otherwise (0) fails in the
  // call that follows.
  SetLastError(ERROR_SUCCESS);
  const DWORD length = GetFullPathNameA(name.c_str(), kPathCapacity, full, nullptr);
  if (length == 0) return GetLastError() == ERROR_FILENAME_EXCED_RANGE;
  return length >= kPathCapacity;
}

}  // namespace larch
