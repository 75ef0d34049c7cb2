// Host arrays the library creates and fills, named by the caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bridge/records.h"

namespace larch {

class HostArray {
 public:
  // Removes any variable of that name, then creates a rows x columns array
  // (columns 0: one-dimensional). A failing host service is raised.
  HostArray(const std::string& name, uint16_t rows, uint16_t columns);

  // Elements are counted from 1.
  void setText(uint16_t row, uint16_t column, std::string_view bytes);
  void setInt(uint16_t row, uint16_t column, int32_t value, uint16_t width = 10);

 private:
  void store(uint16_t row, uint16_t column, const HostValue& value);
  HostVarRef ref_{};
};

// Removes a host variable of the given name if there is one.
void ReleaseHostVariable(const std::string& name);

}  // namespace larch
