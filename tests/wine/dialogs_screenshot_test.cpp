// Pictures of the four connection and About dialogs for the function
// reference. A bare X display has no window manager, so no caption would
// show: the pictures are taken in a child run of this program inside a
// Wine virtual desktop, which draws the whole window, and land in the
// build folder (screenshots/).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "dialogs_robot.h"
#include "test_support.h"
#include "text_encoding.h"

namespace larch::test {
namespace {

constexpr char kShotFolderVariable[] = "LARCH_SHOT_DIR";
constexpr char kDoneEvent[] = "LarchDialogShotsDone";

// The flat GDI+ calls that write a PNG, loaded at run time.
struct GdiPlus {
  using Startup = int(WINAPI*)(ULONG_PTR*, const void*, void*);
  using Shutdown = void(WINAPI*)(ULONG_PTR);
  using FromBitmap = int(WINAPI*)(HBITMAP, HPALETTE, void**);
  using Save = int(WINAPI*)(void*, const WCHAR*, const CLSID*, const void*);
  using Dispose = int(WINAPI*)(void*);

  GdiPlus() : module(LoadLibraryA("gdiplus.dll")) {
    if (!module) return;
    startup = reinterpret_cast<Startup>(reinterpret_cast<void*>(GetProcAddress(module.get(), "GdiplusStartup")));
    shutdown = reinterpret_cast<Shutdown>(reinterpret_cast<void*>(GetProcAddress(module.get(), "GdiplusShutdown")));
    fromBitmap = reinterpret_cast<FromBitmap>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), "GdipCreateBitmapFromHBITMAP")));
    save = reinterpret_cast<Save>(reinterpret_cast<void*>(GetProcAddress(module.get(), "GdipSaveImageToFile")));
    dispose = reinterpret_cast<Dispose>(reinterpret_cast<void*>(GetProcAddress(module.get(), "GdipDisposeImage")));
    struct {
      UINT32 version = 1;
      void* debug = nullptr;
      BOOL noThread = FALSE;
      BOOL noCodecs = FALSE;
    } input;
    if (startup && startup(&token, &input, nullptr) != 0) token = 0;
  }
  ~GdiPlus() {
    if (token) shutdown(token);  // before the module goes
  }
  bool ready() const { return token && fromBitmap && save && dispose; }

  UniqueModule module;
  ULONG_PTR token = 0;
  Startup startup = nullptr;
  Shutdown shutdown = nullptr;
  FromBitmap fromBitmap = nullptr;
  Save save = nullptr;
  Dispose dispose = nullptr;
};

// Copies the window as the screen shows it (caption and frame included).
bool SaveWindowPng(HWND window, const std::string& path) {
  static const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
  GdiPlus gdi;
  if (!gdi.ready()) return false;
  RECT r;
  GetWindowRect(window, &r);
  int width = r.right - r.left, height = r.bottom - r.top;
  UniqueWindowDc screen = WindowDcOf(nullptr);
  UniqueMemoryDc memory(CreateCompatibleDC(screen.get().dc));
  UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get().dc, width, height));
  HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
  BitBlt(memory.get(), 0, 0, width, height, screen.get().dc, r.left, r.top, SRCCOPY);
  SelectObject(memory.get(), old);
  bool saved = false;
  void* image = nullptr;
  if (gdi.fromBitmap(bitmap.get(), nullptr, &image) == 0) {
    saved = gdi.save(image, Wide(path, CP_ACP).c_str(), &kPngEncoder, nullptr) == 0;
    gdi.dispose(image);
  }
  return saved;
}

// Shows one dialog, waits for it to be drawn, saves it and cancels it.
// Each dialog is shown with the example call of its function reference.
void Photograph(const std::string& caption, const std::string& file, const std::function<void()> show,
                std::vector<std::string>& problems) {
  Robot robot([&](Robot& r) {
    HWND dialog = r.waitForDialog(caption);
    if (!dialog) return;
    // Drawing happens on the dialog's thread once its queue is idle; the
    // pause only lets the picture settle, nothing is asserted on time.
    SetForegroundWindow(dialog);
    SendMessageA(dialog, WM_NCACTIVATE, TRUE, 0);  // an active caption, as a user sees it
    Sleep(500);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(500);
    if (!SaveWindowPng(dialog, file)) r.fail("cannot save " + file);
    Robot::key(dialog, VK_ESCAPE);
    r.waitGone(dialog, caption);
  });
  show();
  for (const std::string& p : robot.finish()) problems.push_back(p);
}

// The child run: only inside the virtual desktop the parent starts.
TEST(ChildDialogScreenshots, TakenInsideAVirtualDesktop) {
  const char* folder = std::getenv(kShotFolderVariable);
  if (!folder) GTEST_SKIP() << "runs as the child of DialogScreenshots.FourDialogsArePictured";
  HostEmulator emu;
  std::vector<std::string> problems;
  std::string dir = folder;
  // clang-format off
  Photograph(Gbk("请输入登录帐号:"), dir + "\\login_dialog.png",
             [&] { emu.call("KVShowLoginDlg", {Value::Text("admin")}); }, problems);
  Photograph(Gbk("设置MSSQLServer连接参数"), dir + "\\sql_server_dialog.png", [&] {
    emu.call("KVShowSqlSetDlg", {Value::Text("(local)"), Value::Text("sales"), Value::Text("sa"), Value::Text("secret"),
                                 Value::Int(30), Value::Bool(false)});
  }, problems);
  Photograph(Gbk("设置MS Access连接参数"), dir + "\\access_dialog.png", [&] {
    emu.call("KVShowAccessSetDlg", {Value::Text("C:\\data\\sales.mdb"), Value::Text("admin"), Value::Text("secret")});
  }, problems);
  Photograph(Gbk("关于 销售管理"), dir + "\\about_dialog.png", [&] {
    emu.call("KVShowAboutDlg", {Value::Text(Gbk("销售管理系统 1.0")), Value::Text(Gbk("版权所有 (C) 2026")),
                                Value::Text(Gbk("关于 销售管理"))});
  }, problems);
  // clang-format on
  EXPECT_EQ(problems, std::vector<std::string>{});
  UniqueHandle done(OpenEventA(EVENT_MODIFY_STATE, FALSE, kDoneEvent));
  if (done) SetEvent(done.get());
}

// Width and height from a PNG's header; 0 when the file is not a PNG.
std::pair<uint32_t, uint32_t> PngSize(const std::string& bytes) {
  if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || bytes.compare(12, 4, "IHDR") != 0) {
    return {0, 0};
  }
  auto word = [&](size_t at) {
    return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
           (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint8_t(bytes[at + 3]);
  };
  return {word(16), word(20)};
}

// Caption buttons are glyphs of the Marlett font; a new prefix has no font
// of that name and would draw a bare letter. Wine ships one (Debian's
// fonts-wine); a font in the prefix's Fonts folder is seen by every program
// started after it is copied there.
void InstallCaptionFont() {
  char windows[MAX_PATH];
  UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  std::string fonts = std::string(windows) + "\\Fonts";
  CreateDirectoryA(fonts.c_str(), nullptr);
  CopyFileA("Z:\\usr\\share\\wine\\fonts\\marlett.ttf", (fonts + "\\marlett.ttf").c_str(), /*bFailIfExists=*/TRUE);
}

TEST(DialogScreenshots, FourDialogsArePictured) {
  if (std::getenv(kShotFolderVariable)) GTEST_SKIP() << "this is the child run";
  InstallCaptionFont();
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string folder = std::string(self).substr(0, std::string(self).rfind('\\')) + "\\..\\screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  const char* names[] = {"login_dialog.png", "sql_server_dialog.png", "access_dialog.png", "about_dialog.png"};
  for (const char* name : names) DeleteFileA((folder + "\\" + name).c_str());

  UniqueHandle done(CreateEventA(nullptr, TRUE, FALSE, kDoneEvent));
  ASSERT_TRUE(done) << GetLastError();
  // The session remembers the display of the last desktop it created, and
  // later programs see its size: the virtual desktop is made exactly as
  // large as the real screen, so that nothing changes for them.
  std::string command = "explorer.exe /desktop=larchshots," + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
                        std::to_string(GetSystemMetrics(SM_CYSCREEN)) + " \"" + self +
                        "\" --gtest_filter=ChildDialogScreenshots.TakenInsideAVirtualDesktop";
  ProcessOptions options;
  options.variable = kShotFolderVariable;
  options.value = folder;
  options.leaveRunning = true;
  ChildProcess child = StartProcess(command, options);
  ASSERT_TRUE(child.started()) << child.startError();
  // The child signals when its pictures are written; the desktop process
  // may stay a moment longer.
  EXPECT_EQ(WaitForSingleObject(done.get(), 120000), WAIT_OBJECT_0);
  child.wait(10000);
  for (const char* name : names) {
    auto [width, height] = PngSize(ReadFile(folder + "\\" + name));
    EXPECT_GT(width, 200u) << name;
    EXPECT_GT(height, 100u) << name;
  }
}

}  // namespace
}  // namespace larch::test
