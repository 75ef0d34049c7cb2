// One owner type per kind of handle, each kind declared in one line below.
// An owner closes what it holds at the end of its scope, can be moved but
// not copied, and holds nothing once moved from or released. Closing keeps
// GetLastError() intact, so clean-up never overwrites the code about to be
// recorded.
#pragma once

#include <windows.h>
#include <fdi.h>
#include <objbase.h>
#include <rpc.h>
#include <shlobj.h>
#include <wininet.h>
#include <winnetwk.h>

#include <cstdio>
#include <utility>

namespace larch {

// Traits tell the owner about its kind: Type, None() (the value that
// stands for "no handle") and Close(value), called only for other values.
template <typename Traits>
class UniqueAny {
 public:
  using Type = typename Traits::Type;

  UniqueAny() = default;
  explicit UniqueAny(Type value) : value_(value) {}
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueAny() { reset(); }

  Type get() const { return value_; }
  explicit operator bool() const { return !(value_ == Traits::None()); }
  // For out-parameters: closes the current value first.
  Type* put() {
    reset();
    return &value_;
  }
  void reset(Type value = Traits::None()) {
    if (*this) {
      DWORD saved = GetLastError();
      Traits::Close(value_);
      SetLastError(saved);
    }
    value_ = value;
  }
  [[nodiscard]] Type release() { return std::exchange(value_, Traits::None()); }

 private:
  Type value_ = Traits::None();
};

// Which value a kind's functions return for "no handle": null for most,
// INVALID_HANDLE_VALUE for files, snapshots and find handles.
enum class NoHandle { kNull, kInvalidHandleValue };

// The common kind: a handle closed by one function of the system, whose
// own result is not needed.
template <typename T, auto CloseFn, NoHandle kNone = NoHandle::kNull>
struct HandleTraits {
  using Type = T;
  static T None() {
    if constexpr (kNone == NoHandle::kNull) {
      return T();
    } else {
      return INVALID_HANDLE_VALUE;
    }
  }
  static void Close(T value) { CloseFn(value); }
};

// A device context from GetDC goes back to the window it came from, so the
// owner keeps both; only WindowDcOf makes one.
struct WindowDc {
  HWND window;
  HDC dc;
  bool operator==(const WindowDc& other) const { return window == other.window && dc == other.dc; }
};
struct WindowDcTraits {
  using Type = WindowDc;
  static WindowDc None() { return WindowDc{}; }
  static void Close(WindowDc value) { ReleaseDC(value.window, value.dc); }
};

// One lock on a movable global block and the address it gave; only
// LockGlobal makes one.
struct GlobalLocked {
  HGLOBAL block;
  void* data;
  bool operator==(const GlobalLocked& other) const { return block == other.block && data == other.data; }
};
struct GlobalLockTraits {
  using Type = GlobalLocked;
  static GlobalLocked None() { return GlobalLocked{}; }
  static void Close(GlobalLocked value) { GlobalUnlock(value.block); }
};

// RpcStringFreeA takes the string's address and nulls it.
inline void FreeRpcString(RPC_CSTR text) { RpcStringFreeA(&text); }

// Processes, threads, tokens, events, mutexes, pipes.
using UniqueHandle = UniqueAny<HandleTraits<HANDLE, &CloseHandle>>;
// Files and tool-help snapshots.
using UniqueFileHandle = UniqueAny<HandleTraits<HANDLE, &CloseHandle, NoHandle::kInvalidHandleValue>>;
using UniqueFind = UniqueAny<HandleTraits<HANDLE, &FindClose, NoHandle::kInvalidHandleValue>>;
using UniqueKey = UniqueAny<HandleTraits<HKEY, &RegCloseKey>>;
using UniqueModule = UniqueAny<HandleTraits<HMODULE, &FreeLibrary>>;
using UniqueGlobal = UniqueAny<HandleTraits<HGLOBAL, &GlobalFree>>;
using UniqueGlobalLock = UniqueAny<GlobalLockTraits>;
using UniqueLocal = UniqueAny<HandleTraits<HLOCAL, &LocalFree>>;
using UniqueWindow = UniqueAny<HandleTraits<HWND, &DestroyWindow>>;
using UniqueWindowDc = UniqueAny<WindowDcTraits>;
using UniqueMemoryDc = UniqueAny<HandleTraits<HDC, &DeleteDC>>;
using UniqueBitmap = UniqueAny<HandleTraits<HBITMAP, &DeleteObject>>;
using UniqueInternet = UniqueAny<HandleTraits<HINTERNET, &InternetCloseHandle>>;
using UniqueNetEnum = UniqueAny<HandleTraits<HANDLE, &WNetCloseEnum>>;
// Item lists the shell allocates with the task allocator.
using UniqueItemList = UniqueAny<HandleTraits<LPITEMIDLIST, &CoTaskMemFree>>;
using UniqueRpcString = UniqueAny<HandleTraits<RPC_CSTR, &FreeRpcString>>;
using UniqueFdi = UniqueAny<HandleTraits<HFDI, &FDIDestroy>>;
using UniqueCFile = UniqueAny<HandleTraits<std::FILE*, &std::fclose>>;

// The window's device context (the screen's for null), or an empty owner
// when there is none.
inline UniqueWindowDc WindowDcOf(HWND window) {
  HDC dc = GetDC(window);
  return dc ? UniqueWindowDc(WindowDc{window, dc}) : UniqueWindowDc();
}

// The block locked once, or an empty owner when it cannot be locked.
inline UniqueGlobalLock LockGlobal(HGLOBAL block) {
  void* data = GlobalLock(block);
  return data ? UniqueGlobalLock(GlobalLocked{block, data}) : UniqueGlobalLock();
}

// A COM interface pointer, released at the end of its scope.
template <typename I>
struct ComTraits {
  using Type = I*;
  static I* None() { return nullptr; }
  static void Close(I* p) { p->Release(); }
};
template <typename I>
class ComPtr : public UniqueAny<ComTraits<I>> {
 public:
  using UniqueAny<ComTraits<I>>::UniqueAny;
  I* operator->() const { return this->get(); }
  void** putVoid() { return reinterpret_cast<void**>(this->put()); }
};

}  // namespace larch
