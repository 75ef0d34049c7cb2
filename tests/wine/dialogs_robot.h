// Drives the library's modal dialogs from a second thread of the test
// process, the way a user would: the test's own thread is inside the dialog
// (in the library call), the robot finds the window, reads and fills its
// controls, and presses buttons and keys. Findings are collected and
// checked on the test's thread, where GoogleTest assertions belong.
#pragma once

#include <windows.h>

#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace larch::test {

class Robot {
 public:
  using Script = std::function<void(Robot&)>;

  // Starts the script; the dialogs it looks for belong to the calling thread.
  explicit Robot(Script script) : uiThread_(GetCurrentThreadId()) {
    worker_ = std::thread([this, script = std::move(script)] {
      script(*this);
      if (!problems.empty()) rescue();
    });
  }
  ~Robot() { finish(); }

  // Waits for the script to end; returns what it found wrong.
  const std::vector<std::string>& finish() {
    if (worker_.joinable()) worker_.join();
    return problems;
  }

  std::vector<std::string> problems;

  void fail(const std::string& what) { problems.push_back(what); }
  template <typename T>
  void expectEq(const T& actual, const T& expected, const std::string& what) {
    if (!(actual == expected)) fail(what + ": got " + Shown(actual) + ", expected " + Shown(expected));
  }
  void expectText(const std::string& actual, const std::string& expected, const std::string& what) {
    if (actual != expected) fail(what + ": got \"" + actual + "\", expected \"" + expected + "\"");
  }

  // A visible dialog-class window of the test's thread for which `match`
  // holds; nullptr (and a problem) when none comes.
  // Once a step has failed, later waits give up at once: the script is
  // abandoned and everything open is cancelled.
  HWND waitForWindow(const std::function<bool(HWND)>& match, const std::string& what) {
    for (int tries = 0; tries < kPatience && problems.empty(); ++tries) {
      HWND found = nullptr;
      FindRequest request{&match, &found};
      EnumThreadWindows(uiThread_, FindWindowProc, reinterpret_cast<LPARAM>(&request));
      if (found) return found;
      Sleep(kPoll);
    }
    if (problems.empty()) fail("no window: " + what);
    return nullptr;
  }

  // The dialog whose caption is `caption`.
  HWND waitForDialog(const std::string& caption) {
    return waitForWindow([&](HWND w) { return IsDialog(w) && text(w) == caption; }, "dialog \"" + caption + "\"");
  }
  // Any dialog-class window owned by `owner` (message boxes, pickers).
  HWND waitForOwned(HWND owner, const std::string& what) {
    return waitForWindow([&](HWND w) { return IsDialog(w) && GetWindow(w, GW_OWNER) == owner; }, what);
  }

  // Waits until the window has been destroyed.
  bool waitGone(HWND window, const std::string& what) {
    for (int tries = 0; tries < kPatience && problems.empty(); ++tries) {
      if (!IsWindow(window)) return true;
      Sleep(kPoll);
    }
    if (problems.empty()) fail("still open: " + what);
    return false;
  }

  static std::string text(HWND window) {
    char buffer[1024] = {};
    SendMessageA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
  }
  static std::string text(HWND dialog, int id) { return text(GetDlgItem(dialog, id)); }
  static bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
  static bool checked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

  // Replaces a box's text directly (no typing limit applies).
  static void setText(HWND dialog, int id, const std::string& value) {
    SendDlgItemMessageA(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
  }
  // Types into a box character by character, as the keyboard would.
  static void type(HWND dialog, int id, const std::string& value) {
    HWND box = GetDlgItem(dialog, id);
    for (unsigned char c : value) SendMessageA(box, WM_CHAR, c, 1);
  }
  static void clearAndType(HWND dialog, int id, const std::string& value) {
    setText(dialog, id, "");
    type(dialog, id, value);
  }
  // A click: posted, because the button's work may open a modal window.
  static void click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
  // A key as the dialog's message loop sees it (Esc, Enter, arrows).
  static void key(HWND target, UINT virtualKey) {
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(target, WM_KEYUP, virtualKey, 0xC0000001);
  }
  // A key handled by the control itself (arrows in a box), delivered at
  // once: the control has acted when this returns.
  static void keyNow(HWND control, UINT virtualKey) {
    SendMessageA(control, WM_KEYDOWN, virtualKey, 1);
    SendMessageA(control, WM_KEYUP, virtualKey, 0xC0000001);
  }
  static void closeBox(HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

  struct Warning {
    std::string caption;
    std::string text;
    bool ownedByDialog = false;
  };
  // Waits for the message box the dialog raises, reads it and presses OK.
  Warning takeWarning(HWND dialog) {
    Warning warning;
    // A message box keeps its text in the static of id 0xFFFF (the dialogs'
    // etched lines have that id too, so the dialog itself is skipped).
    HWND box =
        waitForWindow([&](HWND w) { return w != dialog && IsDialog(w) && GetDlgItem(w, 0xFFFF); }, "warning box");
    if (!box) return warning;
    warning.caption = text(box);
    warning.text = text(box, 0xFFFF);
    warning.ownedByDialog = GetWindow(box, GW_OWNER) == dialog;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    waitGone(box, "warning box");
    return warning;
  }
  void expectWarning(HWND dialog, const std::string& expected) {
    Warning w = takeWarning(dialog);
    expectText(w.text, expected, "warning text");
    expectText(w.caption, "larch.dll", "warning caption");
    if (!w.ownedByDialog) fail("warning box not owned by the dialog");
  }

  // A value as a failure message shows it (logical values as true/false).
  template <typename T>
  static std::string Shown(const T& value) {
    std::ostringstream text;
    text << std::boolalpha << value;
    return text.str();
  }

  static bool IsDialog(HWND window) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    return std::string(name) == "#32770" && IsWindowVisible(window);
  }

 private:
  static constexpr int kPoll = 20;        // milliseconds between looks
  static constexpr int kPatience = 1500;  // looks before giving up (30 s)

  struct FindRequest {
    const std::function<bool(HWND)>* match;
    HWND* found;
  };
  static BOOL CALLBACK FindWindowProc(HWND window, LPARAM param) {
    auto* request = reinterpret_cast<FindRequest*>(param);
    if ((*request->match)(window)) {
      *request->found = window;
      return FALSE;
    }
    return TRUE;
  }
  static BOOL CALLBACK CancelWindowProc(HWND window, LPARAM) {
    if (IsDialog(window)) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  }
  // After a failed step, cancels whatever is still open so the library
  // call returns and the test can report.
  void rescue() {
    for (int round = 0; round < 50; ++round) {
      EnumThreadWindows(uiThread_, CancelWindowProc, 0);
      Sleep(kPoll * 5);
    }
  }

  DWORD uiThread_;
  std::thread worker_;
};

}  // namespace larch::test
