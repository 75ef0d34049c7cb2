// One owner type per kind of Win32 handle. Closing keeps GetLastError()
// intact, so clean-up never overwrites the code about to be recorded.
#pragma once

#include <windows.h>

#include <utility>

namespace larch {

template <typename T, typename Close, T Invalid = T()>
class UniqueAny {
 public:
  UniqueAny() = default;
  explicit UniqueAny(T value) : value_(value) {}
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  UniqueAny(UniqueAny&& other) noexcept : value_(std::exchange(other.value_, Invalid)) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) reset(std::exchange(other.value_, Invalid));
    return *this;
  }
  ~UniqueAny() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Invalid; }
  // For out-parameters: releases the current value first.
  T* put() {
    reset();
    return &value_;
  }
  void reset(T value = Invalid) {
    if (value_ != Invalid) {
      DWORD saved = GetLastError();
      Close()(value_);
      SetLastError(saved);
    }
    value_ = value;
  }
  [[nodiscard]] T release() { return std::exchange(value_, Invalid); }

 private:
  T value_ = Invalid;
};

struct CloseHandleFn { void operator()(HANDLE h) const { CloseHandle(h); } };
struct FindCloseFn { void operator()(HANDLE h) const { FindClose(h); } };
struct RegCloseKeyFn { void operator()(HKEY h) const { RegCloseKey(h); } };
struct FreeLibraryFn { void operator()(HMODULE h) const { FreeLibrary(h); } };
struct GlobalFreeFn { void operator()(HGLOBAL h) const { GlobalFree(h); } };
struct DestroyWindowFn { void operator()(HWND h) const { DestroyWindow(h); } };

using UniqueHandle = UniqueAny<HANDLE, CloseHandleFn>;
using UniqueFind = UniqueAny<HANDLE, FindCloseFn>;
using UniqueKey = UniqueAny<HKEY, RegCloseKeyFn>;
using UniqueModule = UniqueAny<HMODULE, FreeLibraryFn>;
using UniqueGlobal = UniqueAny<HGLOBAL, GlobalFreeFn>;
using UniqueWindow = UniqueAny<HWND, DestroyWindowFn>;

// Files, snapshots and find handles use INVALID_HANDLE_VALUE for "none":
// these owners take the value as returned and store null in its place.
inline HANDLE ValidOrNull(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }

// A COM interface pointer, released at the end of its scope.
template <typename I>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  I* get() const { return p_; }
  I* operator->() const { return p_; }
  I** put() {
    if (p_) p_->Release();
    p_ = nullptr;
    return &p_;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  I* p_ = nullptr;
};

}  // namespace larch
