// Helpers of the process, window and session tests: child copies of the
// test program, processes and windows the tests start and must end, and a
// thread that answers message boxes. Header-only: the test program is
// built from the *_test.cpp files and the shared support.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace larch::test {

// The environment variable that makes a copy of the test program act as a
// child: its value names the role and its argument, "role:argument".
constexpr const char* kChildVariable = "LARCH_SYSTEM_CHILD";
// The role this process was started for, or "" in a normal run.
std::string ChildRole();
std::string ChildArgument();

// Starts this test program again, hidden, with one test selected and the
// child variable set to role:argument. The child is ended at the end of
// the scope if it is still running.
ChildProcess StartChild(const std::string& testName, const std::string& role, const std::string& argument);

// Visible top-level windows of a class (any process), in z-order.
std::vector<HWND> TopLevelWindows(const char* className);
DWORD ProcessOfWindow(HWND window);
// Polls until a top-level window of the class appears that is not in
// `known`, for up to 30 seconds; nullptr when none does.
HWND WaitForNewWindow(const char* className, const std::vector<HWND>& known, DWORD processId = 0);
// Terminates the process that owns a window the test caused.
void EndProcessOfWindow(HWND window);
std::string WindowText(HWND window);

// Answers the message boxes of one process from a thread of its own: every
// dialog-class window that process shows gets its text recorded and is
// closed with its default button.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(DWORD processId = GetCurrentProcessId());
  ~BoxAnswerer();
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;
  // Texts of the boxes answered so far (stops the thread first).
  std::vector<std::string> stop();

 private:
  DWORD processId_;
  std::atomic<bool> stop_{false};
  std::vector<std::string> texts_;
  std::thread thread_;
};

// ---- definitions ----

inline std::string ChildRole() {
  const char* value = std::getenv(kChildVariable);
  if (!value) return {};
  std::string s = value;
  return s.substr(0, s.find(':'));
}

inline std::string ChildArgument() {
  const char* value = std::getenv(kChildVariable);
  if (!value) return {};
  std::string s = value;
  size_t colon = s.find(':');
  return colon == std::string::npos ? std::string() : s.substr(colon + 1);
}

inline ChildProcess StartChild(const std::string& testName, const std::string& role, const std::string& argument) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  ProcessOptions options;
  options.hidden = true;
  options.variable = kChildVariable;
  options.value = role + ":" + argument;
  return StartProcess("\"" + std::string(self) + "\" --gtest_filter=" + testName, options);
}

// Window lookups shared by the helpers below.
namespace windows_detail {

struct WindowQuery {
  const char* className;
  DWORD processId;
  std::vector<HWND> found;
};

inline BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* query = reinterpret_cast<WindowQuery*>(param);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpiA(name, query->className) != 0 || !IsWindowVisible(window)) return TRUE;
  if (query->processId != 0 && ProcessOfWindow(window) != query->processId) return TRUE;
  query->found.push_back(window);
  return TRUE;
}

inline std::vector<HWND> Collect(const char* className, DWORD processId) {
  WindowQuery query{className, processId, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

}  // namespace windows_detail

inline std::vector<HWND> TopLevelWindows(const char* className) { return windows_detail::Collect(className, 0); }

inline DWORD ProcessOfWindow(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

inline HWND WaitForNewWindow(const char* className, const std::vector<HWND>& known, DWORD processId) {
  for (int attempt = 0; attempt < 600; ++attempt) {
    for (HWND window : windows_detail::Collect(className, processId)) {
      bool seen = false;
      for (HWND k : known) seen = seen || k == window;
      if (!seen) return window;
    }
    Sleep(50);
  }
  return nullptr;
}

inline void EndProcessOfWindow(HWND window) {
  UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ProcessOfWindow(window)));
  if (!process) return;
  TerminateProcess(process.get(), 0);
  WaitForSingleObject(process.get(), 10000);
}

inline std::string WindowText(HWND window) {
  char text[4096] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

inline BoxAnswerer::BoxAnswerer(DWORD processId) : processId_(processId) {
  thread_ = std::thread([this] {
    // Each box is recorded once, however long it takes to go on a busy
    // machine: one still there on a later look is only pressed again.
    std::vector<HWND> answered;
    while (!stop_) {
      for (HWND box : windows_detail::Collect("#32770", processId_)) {
        if (std::find(answered.begin(), answered.end(), box) == answered.end()) {
          answered.push_back(box);
          // A message box holds its text in the static control 0xFFFF.
          texts_.push_back(WindowText(GetDlgItem(box, 0xFFFF)));
        }
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 100 && IsWindow(box) && IsWindowVisible(box); ++i) Sleep(20);
      }
      Sleep(20);
    }
  });
}

inline BoxAnswerer::~BoxAnswerer() { stop(); }

inline std::vector<std::string> BoxAnswerer::stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  return texts_;
}

}  // namespace larch::test
