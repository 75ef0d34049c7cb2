// In-place reversal of a byte range, shared by the text tools and the ciphers.
#pragma once

#include <algorithm>
#include <cstddef>

namespace larch {

inline void ReverseBytes(char* data, size_t length) {
  if (data && length > 1) std::reverse(data, data + length);
}

}  // namespace larch
