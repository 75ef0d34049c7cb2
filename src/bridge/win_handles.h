// One owner type per kind of handle, each kind declared in one line below:
// a UniqueOwner (bridge/unique_owner.h) that keeps GetLastError() intact
// when it closes.
#pragma once

#include <windows.h>
#include <fdi.h>
#include <objbase.h>
#include <rpc.h>
#include <shlobj.h>
#include <wininet.h>
#include <winnetwk.h>

#include "bridge/handles.h"
#include "bridge/unique_owner.h"

namespace larch {

// Closes with the thread's last error kept, so that clean-up never
// overwrites the code about to be recorded.
template <typename Traits>
struct KeepingLastError : Traits {
  static void Close(typename Traits::Type value) {
    DWORD saved = GetLastError();
    Traits::Close(value);
    SetLastError(saved);
  }
};
// The owner of a kind of the system's (bridge/unique_owner.h).
template <typename Traits>
using UniqueAny = UniqueOwner<KeepingLastError<Traits>>;

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
// The host's handle blocks the library makes for itself.
using UniqueHostBlock = UniqueAny<HandleTraits<MemHandle, &FreeHandle>>;

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
  using Owner = UniqueAny<ComTraits<I>>;

 public:
  using Owner::Owner;
  I* operator->() const { return this->get(); }
  void** putVoid() { return reinterpret_cast<void**>(this->put()); }
};

}  // namespace larch
