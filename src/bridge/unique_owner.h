// The owner template behind every handle owner, and the owner of the C
// library's files. Free of windows.h: the portable code owns its files with
// it too. The system's kinds are in bridge/win_handles.h.
#pragma once

#include <cstdio>
#include <utility>

namespace larch {

// An owner closes what it holds at the end of its scope, can be moved but
// not copied, and holds nothing once moved from or released. Traits tell
// the owner about its kind: Type, None() (the value that stands for "no
// handle") and Close(value), called only for other values.
template <typename Traits>
class UniqueOwner {
 public:
  using Type = typename Traits::Type;

  UniqueOwner() = default;
  explicit UniqueOwner(Type value) : value_(value) {}
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;
  UniqueOwner(UniqueOwner&& other) noexcept : value_(other.release()) {}
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueOwner() { reset(); }

  Type get() const { return value_; }
  explicit operator bool() const { return !(value_ == Traits::None()); }
  // For out-parameters: closes the current value first.
  Type* put() {
    reset();
    return &value_;
  }
  void reset(Type value = Traits::None()) {
    if (*this) Traits::Close(value_);
    value_ = value;
  }
  [[nodiscard]] Type release() { return std::exchange(value_, Traits::None()); }

 private:
  Type value_ = Traits::None();
};

struct CFileTraits {
  using Type = std::FILE*;
  static std::FILE* None() { return nullptr; }
  static void Close(std::FILE* file) { std::fclose(file); }
};
// A file of the C library, closed with fclose.
using UniqueCFile = UniqueOwner<CFileTraits>;

}  // namespace larch
