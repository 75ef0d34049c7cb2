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

namespace {

uint32_t g_lastSystemError = 0;

void SetLastSystemError(uint32_t code) { g_lastSystemError = code; }

}  // namespace

uint32_t LastSystemError() { return g_lastSystemError; }
void RecordFailure(uint32_t code) { SetLastSystemError(code != 0 ? code : ERROR_GEN_FAILURE); }
void RecordSystemError() { RecordFailure(GetLastError()); }

uint32_t LastErrorOr(uint32_t fallback) {
  const DWORD code = GetLastError();
  return code != ERROR_SUCCESS ? code : fallback;
}

bool Recorded(int succeeded) {
  if (!succeeded) RecordSystemError();
  return succeeded != FALSE;
}

bool RegistryResult(long code) {
  SetLastSystemError(static_cast<uint32_t>(code));
  return code == ERROR_SUCCESS;
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
