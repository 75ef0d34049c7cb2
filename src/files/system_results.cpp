// Recording failed file services.
#include "files/system_results.h"

#include "bridge/host.h"

namespace larch {

bool Recorded(BOOL succeeded) {
  if (!succeeded) RecordSystemError();
  return succeeded != FALSE;
}

std::string PathFromService(DWORD length, const char* buffer, DWORD capacity) {
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
