// Answers the dialog boxes the calling thread shows, the way a user would:
// a helper thread finds each visible dialog of the thread and presses the
// first of the given buttons that the dialog has.
#pragma once

#include <windows.h>

#include <atomic>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

namespace larch::test {

class DialogAnswerer {
 public:
  explicit DialogAnswerer(int button) : DialogAnswerer({button}) {}
  DialogAnswerer(std::initializer_list<int> buttons) : buttons_(buttons), owner_(GetCurrentThreadId()) {
    thread_ = std::thread([this] { run(); });
  }
  ~DialogAnswerer() {
    stop_ = true;
    thread_.join();
  }
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;
  int answered() const { return answered_; }

 private:
  static BOOL CALLBACK Visit(HWND window, LPARAM self) {
    char kind[32] = {};
    GetClassNameA(window, kind, sizeof kind);
    if (IsWindowVisible(window) && std::string(kind) == "#32770") {
      reinterpret_cast<DialogAnswerer*>(self)->press(window);
    }
    return TRUE;
  }
  void press(HWND dialog) {
    for (int id : buttons_) {
      HWND button = GetDlgItem(dialog, id);
      if (!button) continue;
      ++answered_;  // counted before the call it blocks can return
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
      while (IsWindow(dialog) && !stop_) Sleep(20);
      return;
    }
  }
  void run() {
    while (!stop_) {
      EnumThreadWindows(owner_, Visit, reinterpret_cast<LPARAM>(this));
      Sleep(50);
    }
  }

  std::vector<int> buttons_;
  DWORD owner_;
  std::atomic<bool> stop_{false};
  std::atomic<int> answered_{0};
  std::thread thread_;
};

}  // namespace larch::test
