// Parameter access.
#include "bridge/params.h"

#include <windows.h>

#include "bridge/host.h"
#include "bridge/path_length.h"
#include "bridge/system_error.h"

namespace larch {

bool HoldsNul(std::string_view text) { return text.find('\0') != std::string_view::npos; }

bool RefuseNul(std::string_view text) {
  if (!HoldsNul(text)) return false;
  RecordFailure(ERROR_INVALID_NAME);
  return true;
}

bool RefusePath(std::string_view path, RelativeTo base) { return RefuseNul(path) || RefuseLongPath(path, base); }

bool UnusablePath(std::string_view path, RelativeTo base) { return HoldsNul(path) || ResolvedPathTooLong(path, base); }

char* TerminateTextParam(HostValue& value) {
  if (!ResizeHandle(value.handle, value.length + 1)) RaiseMemoryError();
  char* data = HandleAddress(value.handle);
  if (!data) RaiseMemoryError();
  data[value.length] = '\0';
  return data;
}

TextParam::TextParam(HostValue& value) : handle_(value.handle), length_(value.length), data_(nullptr) {
  if (value.type != kTypeChar) RaiseTypeError();
  TerminateTextParam(value);
  data_ = LockHandle(handle_);
  if (!data_) RaiseMemoryError();
}

TextParam::TextParam(TextParam&& other) noexcept : handle_(other.handle_), length_(other.length_), data_(other.data_) {
  other.data_ = nullptr;
}

TextParam::~TextParam() {
  if (data_) UnlockHandle(handle_);
}

std::string Params::textOr(int n, std::string_view fallback) const {
  if (!has(n)) return std::string(fallback);
  return text(n).str();
}

OptionalText Params::optionalText(int n) const {
  if (!has(n)) return {};
  return {true, text(n).str()};
}

TextVariable::TextVariable(HostVarRef& ref) : ref_(ref) {
  LoadedValue loaded = LoadValue(ref);
  if (loaded.raw.type != kTypeChar) RaiseTypeError();
  bytes_ = std::move(loaded.text);
}

void TextVariable::store() const { StoreText(ref_, bytes_); }

void TextVariable::storeUnchecked() const { StoreTextUnchecked(ref_, bytes_); }

}  // namespace larch
