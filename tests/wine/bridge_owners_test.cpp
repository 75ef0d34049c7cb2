// The handle owners of bridge/win_handles.h: what they close, when, and
// that closing never changes the thread's last error.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "bridge/win_handles.h"

namespace larch::test {
namespace {

constexpr DWORD kCanary = 0xC0DE1234;

// A kind whose close records the value and, like many failing system
// calls, sets an error of its own.
std::vector<int> g_closed;
struct RecordingTraits {
  using Type = int;
  static int None() { return -1; }
  static void Close(int value) {
    g_closed.push_back(value);
    SetLastError(ERROR_ACCESS_DENIED);
  }
};
using Recorded = UniqueAny<RecordingTraits>;

TEST(Owners, EveryWayOfClosingKeepsTheLastError) {
  struct Case {
    const char* name;
    std::function<void(Recorded&)> close;  // closes the owner's 1
    int heldAfter;
  };
  const Case cases[] = {
      {"reset", [](Recorded& owner) { owner.reset(); }, -1},
      {"reset to another value", [](Recorded& owner) { owner.reset(2); }, 2},
      {"put", [](Recorded& owner) { *owner.put() = 3; }, 3},
      {"move-assigned over", [](Recorded& owner) { owner = Recorded(4); }, 4},
      {"end of scope", [](Recorded& owner) { Recorded last(std::move(owner)); }, -1},
  };
  for (const Case& c : cases) {
    g_closed.clear();
    Recorded owner(1);
    SetLastError(kCanary);
    c.close(owner);
    EXPECT_EQ(GetLastError(), kCanary) << c.name;
    EXPECT_EQ(g_closed, std::vector<int>{1}) << c.name << ": closed once";
    EXPECT_EQ(owner.get(), c.heldAfter) << c.name;
  }
}

TEST(Owners, MovedFromReleasedAndEmptyOwnersCloseNothing) {
  g_closed.clear();
  {
    Recorded first(1);
    Recorded second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(first.get(), -1);
    ASSERT_TRUE(second);
    Recorded third;
    third = std::move(second);
    EXPECT_FALSE(second);
    EXPECT_EQ(third.get(), 1);
  }
  EXPECT_EQ(g_closed, std::vector<int>{1}) << "only the last owner closes";

  g_closed.clear();
  {
    Recorded owner(5);
    EXPECT_EQ(owner.release(), 5);
    EXPECT_FALSE(owner);
    Recorded none(-1);
    EXPECT_FALSE(none);
    none.reset();
  }
  EXPECT_TRUE(g_closed.empty()) << "a released value and the none value are never closed";
}

// Files, snapshots and find handles say "none" with INVALID_HANDLE_VALUE,
// most other kinds with null; each owner knows its own.
TEST(Owners, EachKindKnowsItsNoneValue) {
  EXPECT_FALSE(UniqueFileHandle(INVALID_HANDLE_VALUE));
  EXPECT_EQ(UniqueFileHandle().get(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(UniqueFind(INVALID_HANDLE_VALUE));
  EXPECT_EQ(UniqueFind().get(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(UniqueHandle(nullptr));
  EXPECT_FALSE(UniqueKey(nullptr));

  // The system's own failure values are taken as they come.
  WIN32_FIND_DATAA found;
  EXPECT_FALSE(UniqueFind(FindFirstFileA("C:\\larch-no-such-folder\\*", &found)));
  EXPECT_FALSE(UniqueFileHandle(
      CreateFileA("C:\\larch-no-such-folder\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
  EXPECT_FALSE(WindowDcOf(reinterpret_cast<HWND>(0x7FF0))) << "no device context for a handle that is no window";
}

TEST(Owners, SystemHandlesAreClosedWithTheErrorKept) {
  UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  const HANDLE value = event.get();
  SetLastError(kCanary);
  event.reset();
  EXPECT_EQ(GetLastError(), kCanary);
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(value, &flags)) << "the event is closed";

  // The last unlock of a block sets the thread's error itself.
  UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, 16));
  ASSERT_TRUE(block);
  {
    UniqueGlobalLock lock = LockGlobal(block.get());
    ASSERT_TRUE(lock);
    EXPECT_EQ(GlobalFlags(block.get()) & GMEM_LOCKCOUNT, 1u);
    SetLastError(kCanary);
  }
  EXPECT_EQ(GetLastError(), kCanary);
  EXPECT_EQ(GlobalFlags(block.get()) & GMEM_LOCKCOUNT, 0u) << "unlocked once";
}

// A COM object that counts its references.
struct Counted : IUnknown {
  ULONG references = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override {
    SetLastError(ERROR_ACCESS_DENIED);
    return --references;
  }
};

TEST(Owners, ComPointersMoveTheirOneReference) {
  Counted object;
  {
    ComPtr<IUnknown> first;
    *first.put() = &object;
    ComPtr<IUnknown> second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), &object);
    ComPtr<IUnknown> third;
    third = std::move(second);
    EXPECT_EQ(object.references, 1u) << "moving releases nothing";
    SetLastError(kCanary);
  }
  EXPECT_EQ(object.references, 0u) << "released once";
  EXPECT_EQ(GetLastError(), kCanary);
}

}  // namespace
}  // namespace larch::test
