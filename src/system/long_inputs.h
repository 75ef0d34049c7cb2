// Texts longer than the system call that takes them are refused before
// the call: a name past the system's limits can make the shell search for
// seconds or write past its own buffers.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>

#include "bridge/system_error.h"

namespace larch {

// True when the text is longer than `limit` bytes; the refusal is then
// recorded as a name too long (206).
inline bool RefuseLonger(std::string_view text, size_t limit) {
  if (text.size() <= limit) return false;
  RecordFailure(ERROR_FILENAME_EXCED_RANGE);
  return true;
}

}  // namespace larch
