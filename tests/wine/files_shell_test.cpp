// The shell's file operations, with their confirmation windows answered by
// a helper thread the way a user would answer them.
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: the shell headers build on it.
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "test_support.h"

namespace larch::test {
namespace {

// Presses one button in every dialog box the calling thread shows, and
// counts the boxes.
class DialogAnswerer {
 public:
  explicit DialogAnswerer(int button) : button_(button), owner_(GetCurrentThreadId()) {
    thread_ = std::thread([this] { run(); });
  }
  ~DialogAnswerer() {
    stop_ = true;
    thread_.join();
  }
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
    HWND button = GetDlgItem(dialog, button_);
    if (!button) return;
    ++answered_;  // counted before the call it blocks can return
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    while (IsWindow(dialog) && !stop_) Sleep(20);
  }
  void run() {
    while (!stop_) {
      EnumThreadWindows(owner_, Visit, reinterpret_cast<LPARAM>(this));
      Sleep(50);
    }
  }

  int button_;
  DWORD owner_;
  std::atomic<bool> stop_{false};
  std::atomic<int> answered_{0};
  std::thread thread_;
};

void ExpectLastError(HostEmulator& emu, DWORD code) {
  EXPECT_EQ(emu.call("KVGetLastErrorMsg").value.text,
            emu.call("KVGetLastErrorMsg", {Value::Int(static_cast<int32_t>(code))}).value.text)
      << "expected last error " << code;
}

// Whether the desktop's trash folder (where the platform puts items that
// the shell deletes with undo) holds an item whose name starts with `name`.
bool InTrash(const std::string& name) {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (!data) return false;
  std::string folder = std::string("Z:") + data + "/Trash/files/";
  for (char& c : folder) c = c == '/' ? '\\' : c;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + name + "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

std::string UniqueName(const char* stem) {
  char name[64];
  std::snprintf(name, sizeof name, "%s-%lu-%lu", stem, GetCurrentProcessId(), GetTickCount());
  return name;
}

TEST(FilesShell, DeletingAFolderAsksAndSendsItToTheTrash) {
  HostEmulator emu;
  TempDir dir;
  const std::string name = UniqueName("trash-me");
  const std::string folder = dir.file(name);
  CreateDirectoryA(folder.c_str(), nullptr);
  WriteFile(folder + "\\inside.txt", "x");
  {
    DialogAnswerer yes(IDYES);
    EXPECT_TRUE(emu.call("APIDeleteFolder", {Value::Text(folder)}).value.logical);
    EXPECT_EQ(yes.answered(), 1);
  }
  EXPECT_FALSE(FileExists(folder));
  if (std::getenv("XDG_DATA_HOME")) EXPECT_TRUE(InTrash(name)) << "deleted with undo";
}

TEST(FilesShell, ADeletionTheUserDeclinesIsAFailure) {
  HostEmulator emu;
  TempDir dir;
  const std::string file = dir.file("keep.txt");
  WriteFile(file, "x");
  {
    DialogAnswerer no(IDNO);
    EXPECT_FALSE(emu.call("APIDeleteFolder", {Value::Text(file)}).value.logical);
    EXPECT_EQ(no.answered(), 1);
  }
  EXPECT_TRUE(FileExists(file));
  ExpectLastError(emu, ERROR_CANCELLED);
}

TEST(FilesShell, CopiesMovesRenamesAndDeletesNameLists) {
  HostEmulator emu;
  TempDir dir;
  const std::string a = dir.file("a.txt"), b = dir.file("b.txt"), target = dir.file("target");
  WriteFile(a, "aaa");
  WriteFile(b, "bbb");
  CreateDirectoryA(target.c_str(), nullptr);
  auto dispose = [&](int operation, const std::string& from, const std::string& to) {
    return emu.call("APIDisposeFolder", {Value::Int(0), Value::Int(operation), Value::Text(from), Value::Text(to)});
  };

  // A NUL inside the text separates two names.
  EXPECT_TRUE(dispose(FO_COPY, a + std::string(1, '\0') + b, target).value.logical);
  EXPECT_EQ(ReadFile(target + "\\a.txt"), "aaa");
  EXPECT_EQ(ReadFile(target + "\\b.txt"), "bbb");
  EXPECT_TRUE(FileExists(a));

  EXPECT_TRUE(dispose(FO_MOVE, a, target + "\\moved.txt").value.logical);
  EXPECT_FALSE(FileExists(a));
  EXPECT_EQ(ReadFile(target + "\\moved.txt"), "aaa");

  EXPECT_TRUE(dispose(FO_RENAME, b, dir.file("renamed.txt")).value.logical);
  EXPECT_EQ(ReadFile(dir.file("renamed.txt")), "bbb");

  {
    DialogAnswerer yes(IDYES);
    EXPECT_TRUE(dispose(FO_DELETE, dir.file("renamed.txt"), "").value.logical);
    EXPECT_EQ(yes.answered(), 1);
  }
  EXPECT_FALSE(FileExists(dir.file("renamed.txt")));

  EXPECT_FALSE(dispose(FO_COPY, dir.file("missing.txt"), target).value.logical);
}

TEST(FilesShell, OperationCodesOutsideOneToFourDoNothing) {
  HostEmulator emu;
  TempDir dir;
  const std::string a = dir.file("a.txt");
  WriteFile(a, "aaa");
  for (int operation : {0, 5, -1}) {
    CallResult r = emu.call("APIDisposeFolder",
                            {Value::Int(0), Value::Int(operation), Value::Text(a), Value::Text(dir.file("b.txt"))});
    EXPECT_EQ(r.value, Value::Bool(false)) << operation;
  }
  EXPECT_TRUE(FileExists(a));
  EXPECT_FALSE(FileExists(dir.file("b.txt")));
}

}  // namespace
}  // namespace larch::test
