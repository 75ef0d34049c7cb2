// The process-wide last system error and the ways failures reach it.
#include "bridge/system_error.h"

#include <windows.h>

#include <type_traits>

namespace larch {

// The header takes the SDK's result types by what they are here.
static_assert(std::is_same_v<BOOL, int>, "Recorded takes a BOOL");
static_assert(std::is_same_v<LONG, long>, "RegistryResult takes a LONG");
static_assert(std::is_same_v<DWORD, unsigned long> && sizeof(DWORD) == sizeof(uint32_t),
              "a DWORD length passes as uint32_t unchanged");
static_assert(kPathCapacity == MAX_PATH, "a path buffer holds MAX_PATH characters");

namespace {

uint32_t g_lastSystemError = 0;

}  // namespace

uint32_t LastSystemError() { return g_lastSystemError; }
void SetLastSystemError(uint32_t code) { g_lastSystemError = code; }
void RecordFailure(uint32_t code) { g_lastSystemError = code != 0 ? code : ERROR_GEN_FAILURE; }
void RecordSystemError() { RecordFailure(GetLastError()); }

bool Recorded(int succeeded) {
  if (!succeeded) RecordSystemError();
  return succeeded != FALSE;
}

bool RegistryResult(long code) {
  SetLastSystemError(static_cast<uint32_t>(code));
  return code == ERROR_SUCCESS;
}

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

bool RefuseLongPath(std::string_view path, RelativeTo base) {
  if (!ResolvedPathTooLong(path, base)) return false;
  RecordFailure(ERROR_FILENAME_EXCED_RANGE);
  return true;
}

std::string PathFromService(uint32_t length, const char* buffer, uint32_t capacity) {
  if (length == 0) {
    RecordSystemError();
    return {};
  }
  if (length >= capacity) {
    // The service set no error of its own for a buffer too small.
    SetLastSystemError(ERROR_INSUFFICIENT_BUFFER);
    return {};
  }
  return std::string(buffer, length);
}

}  // namespace larch
