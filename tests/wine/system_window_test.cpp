// Windows and the display through the host interface, on windows the test
// makes itself (under Xvfb, without a window manager).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "import_patch.h"
#include "system_support.h"

namespace larch::test {
namespace {

using host::FakeOf;
using host::ImportPatch;

Value Handle(HWND window) { return Value::Int(static_cast<int32_t>(reinterpret_cast<uintptr_t>(window))); }
// A handle value no window has.
const Value kNoWindow = Value::Int(0x7FFFFFF0);

// A top-level window of this thread, destroyed at the end of the test.
class TestWindow {
 public:
  explicit TestWindow(const std::string& title)
      : window_(CreateWindowExA(0, "STATIC", title.c_str(), WS_OVERLAPPEDWINDOW, 20, 20, 240, 120, nullptr, nullptr,
                                nullptr, nullptr)) {
    ShowWindow(window_, SW_SHOWNORMAL);
  }
  ~TestWindow() {
    if (IsWindow(window_)) DestroyWindow(window_);
  }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

// Each test has a library of its own.
class Windows : public ::testing::Test {
 protected:
  HostEmulator emu;
};

TEST_F(Windows, StateQueriesAndActivationByHandle) {
  TestWindow window("Larch window one");
  ASSERT_TRUE(window.get());
  const Value handle = Handle(window.get());

  EXPECT_TRUE(CallLogical(emu, "APIIsWindow", {handle}));
  EXPECT_FALSE(CallLogical(emu, "APIIsWindow", {kNoWindow}));
  EXPECT_EQ(emu.call("APIGetWindowText", {handle}).value.text, "Larch window one");
  EXPECT_EQ(emu.call("APIGetWindowText", {kNoWindow}).value.text, "");
  SetWindowTextA(window.get(), "");
  CallResult untitled = emu.call("APIGetWindowText", {handle});
  EXPECT_EQ(untitled.value.kind, Value::Kind::Char);
  EXPECT_EQ(untitled.value.text, "");
  SetWindowTextA(window.get(), "Larch window one");

  ShowWindow(window.get(), SW_MINIMIZE);
  EXPECT_TRUE(CallLogical(emu, "APIIsIconic", {handle}));
  EXPECT_FALSE(CallLogical(emu, "APIIsZoomed", {handle}));
  EXPECT_TRUE(CallLogical(emu, "APIOpenIcon", {handle}));
  EXPECT_FALSE(IsIconic(window.get())) << "OpenIcon restores";
  ShowWindow(window.get(), SW_MAXIMIZE);
  EXPECT_TRUE(CallLogical(emu, "APIIsZoomed", {handle}));
  EXPECT_FALSE(CallLogical(emu, "APIIsIconic", {handle}));
  ShowWindow(window.get(), SW_RESTORE);
  EXPECT_FALSE(CallLogical(emu, "APIIsZoomed", {handle}));

  EXPECT_TRUE(CallLogical(emu, "APISetForegroundWindow", {handle}));
  EXPECT_EQ(GetForegroundWindow(), window.get());
  EXPECT_TRUE(CallLogical(emu, "APIBringWindowToTop", {handle}));
  EXPECT_FALSE(CallLogical(emu, "APIBringWindowToTop", {kNoWindow}));
  EXPECT_FALSE(CallLogical(emu, "APISetForegroundWindow", {kNoWindow}));
  // The system's answer, whatever it is, comes back as a logical.
  CallResult flashed = emu.call("APIFlashWindowEx", {handle});
  EXPECT_EQ(flashed.value.kind, Value::Kind::Logical);

  CallResult desktop = emu.call("APIGetDesktopWindow");
  EXPECT_EQ(desktop.value.kind, Value::Kind::Int);
  EXPECT_EQ(desktop.value.integer, Handle(GetDesktopWindow()).integer);
}

TEST_F(Windows, FlashRecordGoesToTheSystem) {
  static FLASHWINFO seen{};
  struct Fake {
    static BOOL WINAPI Flash(PFLASHWINFO info) {
      seen = *info;
      return TRUE;
    }
  };
  ImportPatch patch(emu.module(), "USER32.dll", "FlashWindowEx", FakeOf(&Fake::Flash));
  ASSERT_TRUE(patch.active());
  EXPECT_TRUE(CallLogical(emu, "APIFlashWindowEx", {Value::Int(0x1234)}));
  EXPECT_EQ(seen.cbSize, 20u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(seen.hwnd), 0x1234u);
  EXPECT_EQ(seen.dwFlags, static_cast<DWORD>(FLASHW_TRAY));
  EXPECT_EQ(seen.uCount, 3u);
  EXPECT_EQ(seen.dwTimeout, 0u);
}

TEST(ActiveWindow, ByTitleByHandleAndTheKindsWithoutResult) {
  HostEmulator emu;
  TestWindow first("Larch active one");
  TestWindow second("Larch active two");
  ASSERT_TRUE(first.get() && second.get());

  // By title: the system's comparison ignores case.
  EXPECT_TRUE(CallLogical(emu, "KVActiveWindow", {Value::Text("LARCH ACTIVE ONE")}));
  EXPECT_EQ(GetForegroundWindow(), first.get());
  EXPECT_FALSE(CallLogical(emu, "KVActiveWindow", {Value::Text("Larch no such window")}));

  // By handle, a minimised window comes forward without being restored.
  ShowWindow(second.get(), SW_MINIMIZE);
  EXPECT_TRUE(CallLogical(emu, "KVActiveWindow", {Handle(second.get())}));
  EXPECT_EQ(GetForegroundWindow(), second.get());
  EXPECT_TRUE(IsIconic(second.get()));

  for (const Value& v : {Value::Text(""), Value::Int(0), Value::Int(-5), Value::Bool(true), Value::Num(12.0)}) {
    EXPECT_FALSE(emu.call("KVActiveWindow", {v}).sent()) << v.display();
  }
}

TEST(Taskbar, HiddenAndShownAgain) {
  HostEmulator emu;
  HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
  ASSERT_TRUE(tray) << "the taskbar window exists under Xvfb";
  const bool wasVisible = IsWindowVisible(tray);
  EXPECT_FALSE(emu.call("KVShowHideTaskbar", {Value::Int(0)}).sent());
  EXPECT_FALSE(IsWindowVisible(tray));
  EXPECT_FALSE(emu.call("KVShowHideTaskbar", {Value::Int(1)}).sent());
  EXPECT_TRUE(IsWindowVisible(tray));
  ShowWindow(tray, wasVisible ? SW_SHOW : SW_HIDE);
}

TEST(Display, ScreenSizeAndCursor) {
  HostEmulator emu;
  EXPECT_EQ(emu.call("APIGetSystemMetrics", {Value::Int(0)}).value.integer, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(emu.call("APIGetSystemMetrics", {Value::Int(1)}).value.integer, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
  // Only the screen size is answered; other metrics are 0 without asking.
  for (int32_t index : {2, -1, 11})
    EXPECT_EQ(emu.call("APIGetSystemMetrics", {Value::Int(index)}).value.integer, 0) << index;

  ASSERT_TRUE(SetCursorPos(123, 234));
  POINT at{};
  GetCursorPos(&at);
  ASSERT_NE(at.x, at.y);
  EXPECT_EQ(emu.call("KVGetCursorPos", {Value::Int(1)}).value.integer, at.x);
  for (int32_t which : {0, 2, -1})
    EXPECT_EQ(emu.call("KVGetCursorPos", {Value::Int(which)}).value.integer, at.y) << which;
}

TEST(PixelFactor, TwipsPerPixelIntoBothVariables) {
  HostEmulator emu;
  int dpiX = 0, dpiY = 0;
  if (UniqueWindowDc screen = WindowDcOf(nullptr)) {
    dpiX = GetDeviceCaps(screen.get().dc, LOGPIXELSX);
    dpiY = GetDeviceCaps(screen.get().dc, LOGPIXELSY);
  }
  ASSERT_EQ(dpiX, 96);
  ASSERT_EQ(dpiY, 96);
  TestWindow window("Larch pixel window");

  for (const Value& handle : {Value::Int(0), Handle(window.get())}) {
    SCOPED_TRACE(handle.display());
    // A text held before is released after its replacement (the audit
    // checks that no block is left).
    emu.setVariable("nX", Value::Text("old text"));
    emu.setVariable("nY", Value::Num(2.5, 4));
    CallResult r = emu.call("KVGet2PixeFactor", {handle, ByRef("nX"), ByRef("nY")});
    EXPECT_FALSE(r.sent());
    EXPECT_EQ(emu.variable("nX")->scalar, Value::Int(15, 5));
    EXPECT_EQ(emu.variable("nY")->scalar, Value::Int(15, 5));
  }

  // No device context for a handle that is no window: nothing changes.
  emu.setVariable("nX", Value::Text("kept"));
  emu.setVariable("nY", Value::Int(7));
  emu.call("KVGet2PixeFactor", {kNoWindow, ByRef("nX"), ByRef("nY")});
  EXPECT_EQ(emu.variable("nX")->scalar, Value::Text("kept"));
  EXPECT_EQ(emu.variable("nY")->scalar, Value::Int(7));
}

// The display-mode record the library hands the system.
struct DisplayFake {
  static inline DEVMODEA mode{};
  static inline DWORD flags = 0;
  static inline int calls = 0;
  static LONG WINAPI Change(DEVMODEA* requested, DWORD how) {
    std::memcpy(&mode, requested, sizeof mode);
    flags = how;
    ++calls;
    return DISP_CHANGE_RESTART;
  }
};

TEST(DisplayMode, ModeRecordWithAndWithoutRefreshRate) {
  HostEmulator emu;
  const DWORD currentRefresh = static_cast<DWORD>(GetDeviceCaps(WindowDcOf(nullptr).get().dc, VREFRESH));
  {
    ImportPatch patch(emu.module(), "USER32.dll", "ChangeDisplaySettingsA", FakeOf(&DisplayFake::Change));
    ASSERT_TRUE(patch.active());
    struct Case {
      std::vector<Arg> args;
      DWORD width, height, refresh;
    };
    const Case cases[] = {
        {{Value::Int(800), Value::Int(600)}, 800, 600, currentRefresh},
        {{Value::Int(1280), Value::Int(1024), Value::Int(75)}, 1280, 1024, 75},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height);
      CallResult r = emu.call("KVChangeDisplaySettings", c.args);
      EXPECT_EQ(r.value.integer, DISP_CHANGE_RESTART) << "the system's code is passed on";
      const DEVMODEA& m = DisplayFake::mode;
      EXPECT_EQ(m.dmSize, 156);
      EXPECT_EQ(m.dmFields, 0x5C0000u);
      EXPECT_EQ(m.dmBitsPerPel, 0u);
      EXPECT_EQ(m.dmPelsWidth, c.width);
      EXPECT_EQ(m.dmPelsHeight, c.height);
      EXPECT_EQ(m.dmDisplayFrequency, c.refresh);
      EXPECT_EQ(DisplayFake::flags, static_cast<DWORD>(CDS_UPDATEREGISTRY));
    }
    EXPECT_EQ(DisplayFake::calls, 2);
  }
  // The real service refuses a mode the screen does not have, changing nothing.
  EXPECT_EQ(emu.call("KVChangeDisplaySettings", {Value::Int(123), Value::Int(45)}).value.integer, DISP_CHANGE_BADMODE);
}

TEST(FatalExit, TextGoesToTheSystemWithActionZero) {
  HostEmulator emu;
  static std::vector<std::pair<UINT, std::string>> seen;
  seen.clear();
  struct Fake {
    static void WINAPI Exit(UINT action, LPCSTR text) { seen.emplace_back(action, text ? text : "(null)"); }
  };
  ImportPatch patch(emu.module(), "KERNEL32.dll", "FatalAppExitA", FakeOf(&Fake::Exit));
  ASSERT_TRUE(patch.active());
  EXPECT_FALSE(emu.call("APIFatalAppExit", {Value::Text("Larch is done")}).sent());
  EXPECT_FALSE(emu.call("APIFatalAppExit", {Value::Text("")}).sent());
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], (std::pair<UINT, std::string>{0, "Larch is done"}));
  EXPECT_EQ(seen[1], (std::pair<UINT, std::string>{0, ""}));
}

TEST(FatalExit, EndsTheProcessAfterItsBox) {
  // The real call, in a copy of this program: its box is answered from
  // here, and the copy must end without coming back from the call.
  ChildProcess child = StartChild("ChildSystem.FatalExit", "fatal", "");
  ASSERT_TRUE(child.started());
  BoxAnswerer answerer(child.id());
  const DWORD code = child.wait(60000);
  std::vector<std::string> boxes = answerer.stop();
  EXPECT_NE(code, static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_NE(code, 77u) << "the call came back";
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Larch fatal exit");
}

TEST(ChildSystem, FatalExit) {
  if (ChildRole() != "fatal") GTEST_SKIP() << "runs as a child process only";
  HostEmulator emu;
  emu.call("APIFatalAppExit", {Value::Text("Larch fatal exit")});
  ExitProcess(77);
}

}  // namespace
}  // namespace larch::test
