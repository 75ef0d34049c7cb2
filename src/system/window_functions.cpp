// Top-level windows by handle or title: queries, activation, flashing, the
// taskbar, and the fatal exit.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "bridge/host.h"
#include "bridge/params.h"
#include "system/functions.h"
#include "system/window_handle.h"

namespace larch {
namespace {

HWND WindowParam(const Params& p, int n) { return WindowOf(p.integer(n)); }

// The wrappers that answer a window service's BOOL as a logical.
template <BOOL(WINAPI* Service)(HWND)>
void AnswerForWindow(ParamBlock* block) {
  Params p(block);
  ReturnLogical(Service(WindowParam(p, 1)) != FALSE);
}

constexpr int kShowHide = 0;
constexpr int kShowShow = 5;

}  // namespace

void APIGetDesktopWindow(ParamBlock*) { ReturnInt(HandleValue(GetDesktopWindow())); }
void APIBringWindowToTop(ParamBlock* block) { AnswerForWindow<BringWindowToTop>(block); }
void APIIsIconic(ParamBlock* block) { AnswerForWindow<IsIconic>(block); }
void APIIsZoomed(ParamBlock* block) { AnswerForWindow<IsZoomed>(block); }
void APIOpenIcon(ParamBlock* block) { AnswerForWindow<OpenIcon>(block); }
void APISetForegroundWindow(ParamBlock* block) { AnswerForWindow<SetForegroundWindow>(block); }
void APIIsWindow(ParamBlock* block) { AnswerForWindow<IsWindow>(block); }

void APIGetWindowText(ParamBlock* block) {
  Params p(block);
  HWND window = WindowParam(p, 1);
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return ReturnText("");
  std::vector<char> title(static_cast<size_t>(length) + 1);
  const int copied = GetWindowTextA(window, title.data(), static_cast<int>(title.size()));
  ReturnText(std::string_view(title.data(), copied > 0 ? static_cast<size_t>(copied) : 0));
}

void APIFlashWindowEx(ParamBlock* block) {
  Params p(block);
  FLASHWINFO info{};
  static_assert(sizeof info == 20, "the record the system expects");
  info.cbSize = sizeof info;
  info.hwnd = WindowParam(p, 1);
  info.dwFlags = FLASHW_TRAY;  // the taskbar button only, three times
  info.uCount = 3;
  info.dwTimeout = 0;  // the cursor's blink rate
  ReturnLogical(FlashWindowEx(&info) != FALSE);
}

void APIFatalAppExit(ParamBlock* block) {
  Params p(block);
  // The system shows the text and ends the process; nothing comes back.
  FatalAppExitA(0, p.text(1).c_str());
}

void KVActiveWindow(ParamBlock* block) {
  Params p(block);
  // The window is brought forward as it is: a minimised one stays minimised.
  switch (p.type(1)) {
    case kTypeChar: {
      if (p.length(1) == 0) return;
      const TextParam title = p.text(1);
      // No title holds a NUL: such a text names no window.
      if (HoldsNul(title.view())) return ReturnLogical(false);
      HWND window = FindWindowA(nullptr, title.c_str());
      return ReturnLogical(window && SetForegroundWindow(window));
    }
    case kTypeInt:
      if (p.integer(1) <= 0) return;
      return ReturnLogical(SetForegroundWindow(WindowParam(p, 1)) != FALSE);
    default: return;
  }
}

void KVShowHideTaskbar(ParamBlock* block) {
  Params p(block);
  // Without a taskbar the show call gets no window and fails quietly.
  HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
  ShowWindow(taskbar, p.integer(1) != 0 ? kShowShow : kShowHide);
}

}  // namespace larch
