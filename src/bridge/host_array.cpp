// Host arrays: replace any variable of the name, create, store element by element.
#include "bridge/host_array.h"

#include "bridge/handles.h"
#include "bridge/host.h"
#include "bridge/values.h"
#include "bridge/win_handles.h"

namespace larch {
void ReleaseHostVariable(const std::string& name) {
  int32_t index = static_cast<int32_t>(CallHost(kNameTableIndex, Address(name.c_str())));
  if (index == -1) return;
  HostVarRef found{};
  if (CallHost(kFindVariable, static_cast<uint32_t>(index), static_cast<uint32_t>(-1), Address(&found)) == 0) return;
  RaiseIfNegative(CallHost(kReleaseVariable, static_cast<uint32_t>(index)));
}

HostArray::HostArray(const std::string& name, uint16_t rows, uint16_t columns) {
  ReleaseHostVariable(name);
  ref_.subscripts = columns == 0 ? 1 : 2;
  ref_.row = rows;
  ref_.column = columns;
  RaiseIfNegative(CallHost(kNewVariable, Address(name.c_str()), Address(&ref_), 1));
}

void HostArray::store(uint16_t row, uint16_t column, const HostValue& value) {
  ref_.row = row;
  ref_.column = column;
  StoreValue(ref_, value);
}

void HostArray::setText(uint16_t row, uint16_t column, std::string_view bytes) {
  UniqueHostBlock block(NewTextBlock(bytes, false));
  if (!block) RaiseMemoryError();
  store(row, column, TextValue(kTypeChar, block.get(), static_cast<uint32_t>(bytes.size())));
}

void HostArray::setInt(uint16_t row, uint16_t column, int32_t value, uint16_t width) {
  store(row, column, IntValue(value, width));
}

}  // namespace larch
