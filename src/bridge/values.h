// Builders of HostValue records.
#pragma once

#include "bridge/records.h"

namespace larch {

inline HostValue IntValue(int32_t value, uint16_t width) {
  HostValue v{};
  v.type = kTypeInt;
  v.width = width;
  v.integer = value;
  return v;
}

// The logical value goes in the field that holds a text's length.
inline HostValue LogicalValue(bool flag) {
  HostValue v{};
  v.type = kTypeLogical;
  v.length = flag ? 1 : 0;
  return v;
}

inline HostValue TextValue(uint8_t type, uint32_t handle, uint32_t length) {
  HostValue v{};
  v.type = type;
  v.length = length;
  v.handle = handle;
  return v;
}

}  // namespace larch
