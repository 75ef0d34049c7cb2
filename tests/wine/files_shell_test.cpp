// The shell's file operations, with their confirmation windows answered by
// a helper thread the way a user would answer them.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "files_dialog_answerer.h"
#include "import_patch.h"
#include "test_support.h"

namespace larch::test {
namespace {

using host::FakeOf;
using host::ImportPatch;

// Whether the desktop's trash folder (where the platform puts items that
// the shell deletes with undo) holds an item whose name starts with `name`.
bool InTrash(const std::string& name) {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (!data) return false;
  std::string folder = std::string("Z:") + data + "/Trash/files/";
  for (char& c : folder) c = c == '/' ? '\\' : c;
  WIN32_FIND_DATAA found;
  return static_cast<bool>(UniqueFind(FindFirstFileA((folder + name + "*").c_str(), &found)));
}

std::string UniqueName(const char* stem) {
  char name[64];
  std::snprintf(name, sizeof name, "%s-%lu-%lu", stem, GetCurrentProcessId(), GetTickCount());
  return name;
}

// Each test has a library of its own and a fresh folder for its files.
class FilesShell : public ::testing::Test {
 protected:
  HostEmulator emu;
  TempDir dir;
};

TEST_F(FilesShell, DeletingAFolderAsksAndSendsItToTheTrash) {
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
  if (std::getenv("XDG_DATA_HOME")) {
    EXPECT_TRUE(InTrash(name)) << "deleted with undo";
  }
}

TEST_F(FilesShell, ADeletionTheUserDeclinesIsAFailure) {
  const std::string file = dir.file("keep.txt");
  WriteFile(file, "x");
  {
    DialogAnswerer no(IDNO);
    EXPECT_FALSE(emu.call("APIDeleteFolder", {Value::Text(file)}).value.logical);
    EXPECT_EQ(no.answered(), 1);
  }
  EXPECT_TRUE(FileExists(file));
  EXPECT_LAST_ERROR(emu, ERROR_CANCELLED);
}

TEST_F(FilesShell, CopiesMovesRenamesAndDeletesNameLists) {
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

TEST_F(FilesShell, OperationCodesOutsideOneToFourDoNothing) {
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

TEST_F(FilesShell, FailuresOfRealOperationsAreNeverRecordedAsSuccess) {
  const std::string missing = dir.file("missing.txt");
  const std::string full = dir.file("full");
  CreateDirectoryA(full.c_str(), nullptr);
  WriteFile(full + "\\inside.txt", "x");
  const std::string success = ErrorText(emu, 0);
  const std::string notEmpty = ErrorText(emu, ERROR_DIR_NOT_EMPTY);
  struct Case {
    const char* function;
    std::vector<Arg> args;
    // clang-format off
  } const cases[] = {
      {"APIDeleteFolder", {Value::Text(missing)}},
      {"APIDisposeFolder", {Value::Int(0), Value::Int(FO_COPY), Value::Text(missing), Value::Text(dir.file("c.txt"))}},
      // (A move of a missing item is no such failure here: the shell ignores
      // the failed move and reports success.)
      {"APIDisposeFolder", {Value::Int(0), Value::Int(FO_RENAME), Value::Text(missing), Value::Text(dir.file("r.txt"))}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.function);
    // A failure of another kind first, so that what follows is this call's.
    ASSERT_FALSE(emu.call("APIRemoveDirectory", {Value::Text(full)}).value.logical);
    {
      // Whether the shell asks first or not, the item is not there.
      DialogAnswerer answer({IDYES, IDOK});
      EXPECT_FALSE(emu.call(c.function, c.args).value.logical) << c.function;
    }
    // Not EXPECT_FAILURE_RECORDED: where the shell leaves no error code its
    // own result is recorded, and those codes have no system text.
    const std::string now = RecordedErrorText(emu);
    EXPECT_NE(now, success) << c.function;
    EXPECT_NE(now, notEmpty) << c.function << ": nothing recorded";
  }
}

// A fake of the shell operation: records what it was asked and answers
// as the test says, leaving the thread's error code at 0 as the shell
// often does.
struct ShellCall {
  int calls = 0;
  HWND owner = nullptr;
  UINT operation = 0;
  FILEOP_FLAGS flags = 0;
  int result = 0;
  BOOL aborted = FALSE;
} g_shell;

int WINAPI FakeShellOperation(LPSHFILEOPSTRUCTA record) {
  ++g_shell.calls;
  g_shell.owner = record->hwnd;
  g_shell.operation = record->wFunc;
  g_shell.flags = record->fFlags;
  record->fAnyOperationsAborted = g_shell.aborted;
  SetLastError(0);
  return g_shell.result;
}

TEST_F(FilesShell, WhatTheShellIsAskedAndWhatItsAnswersRecord) {
  ImportPatch shell(emu.module(), "shell32.dll", "SHFileOperationA", FakeOf(&FakeShellOperation));
  ASSERT_TRUE(shell.active());
  auto deleteItem = [&](Caller caller = {}) {
    return CallLogical(emu, "APIDeleteFolder", {Value::Text("C:\\some\\item")}, caller);
  };

  struct Case {
    int result;
    BOOL aborted;
    bool ok;
    DWORD recorded;  // 0: the last error is left as it was
    // clang-format off
  } const cases[] = {
      {0, FALSE, true, 0},
      {0x7C, FALSE, false, 0x7C},      // the shell's own code (its "invalid files")
      {0, TRUE, false, ERROR_CANCELLED},  // declined: nothing was done
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "shell result " << c.result << ", aborted " << c.aborted);
    emu.call("KVSetPath", {Value::Text("")});  // some other failure first
    g_shell = ShellCall{};
    g_shell.result = c.result;
    g_shell.aborted = c.aborted;
    EXPECT_EQ(deleteItem(), c.ok) << c.result;
    EXPECT_EQ(g_shell.calls, 1);
    EXPECT_EQ(g_shell.operation, static_cast<UINT>(FO_DELETE));
    EXPECT_EQ(g_shell.flags, FOF_ALLOWUNDO) << "confirmations and progress as the shell shows them";
    if (c.recorded) {
      EXPECT_LAST_ERROR(emu, c.recorded);
    }
  }

  // The owner window: a window of the host's is passed, a stale handle is not.
  UniqueWindow ownerWindow(
      CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(ownerWindow);
  const HWND window = ownerWindow.get();
  for (HWND owner : {window, reinterpret_cast<HWND>(0x7FF0)}) {
    SCOPED_TRACE(owner == window ? "a window" : "no window");
    g_shell = ShellCall{};
    emu.call("APIDisposeFolder", {Value::Int(static_cast<int32_t>(reinterpret_cast<uintptr_t>(owner))),
                                  Value::Int(FO_COPY), Value::Text("C:\\a"), Value::Text("C:\\b")});
    EXPECT_EQ(g_shell.owner, owner == window ? window : nullptr);
  }
}

TEST_F(FilesShell, WithoutADisplayNoWindowIsTriedButConfirmationsStay) {
  ImportPatch shell(emu.module(), "shell32.dll", "SHFileOperationA", FakeOf(&FakeShellOperation));
  NoDesktop display(emu);
  ASSERT_TRUE(shell.active() && display.active());
  g_shell = ShellCall{};
  g_shell.aborted = TRUE;  // the confirmation could not be answered
  EXPECT_FALSE(emu.call("APIDeleteFolder", {Value::Text("C:\\some\\item")}).value.logical);
  EXPECT_EQ(g_shell.flags, FOF_ALLOWUNDO | FOF_SILENT | FOF_NOERRORUI);
  EXPECT_EQ(g_shell.flags & FOF_NOCONFIRMATION, 0) << "nothing is deleted unasked";
  EXPECT_LAST_ERROR(emu, ERROR_CANCELLED);
}

TEST_F(FilesShell, EveryNameOfBothListsIsMeasured) {
  ImportPatch shell(emu.module(), "shell32.dll", "SHFileOperationA", FakeOf(&FakeShellOperation));
  ASSERT_TRUE(shell.active());
  const std::string fits(259, 'a'), tooLong = "C:\\" + std::string(257, 'b');  // 260 bytes
  const std::string nul(1, '\0');
  struct Case {
    std::string from, to;
    bool handedOver;
    DWORD error;
    // clang-format off
  } const cases[] = {
      {fits, "C:\\t", true, 0},
      {"C:\\x" + nul + fits, fits, true, 0},
      {tooLong, "C:\\t", false, ERROR_FILENAME_EXCED_RANGE},
      {"C:\\x" + nul + tooLong, "C:\\t", false, ERROR_FILENAME_EXCED_RANGE},          // the second name of the list
      {"C:\\x" + nul + "C:\\y" + nul + tooLong, "", false, ERROR_FILENAME_EXCED_RANGE},  // the last one
      {"C:\\x", tooLong, false, ERROR_FILENAME_EXCED_RANGE},                             // the target
      {"C:\\x", "C:\\t" + nul + tooLong, false, ERROR_INVALID_NAME},  // the target is one name: no NUL in it
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.from.size() << " and " << c.to.size() << " bytes");
    g_shell = ShellCall{};
    emu.call("KVSetPath", {Value::Text("")});
    CallResult r =
        emu.call("APIDisposeFolder", {Value::Int(0), Value::Int(FO_COPY), Value::Text(c.from), Value::Text(c.to)});
    EXPECT_EQ(r.value.logical, c.handedOver) << c.from.size() << "/" << c.to.size();
    EXPECT_EQ(g_shell.calls, c.handedOver ? 1 : 0);
    if (!c.handedOver) {
      EXPECT_LAST_ERROR(emu, c.error);
    }
  }
  g_shell = ShellCall{};
  EXPECT_FALSE(emu.call("APIDeleteFolder", {Value::Text("C:\\x" + nul + tooLong)}).value.logical);
  EXPECT_EQ(g_shell.calls, 0);
  EXPECT_LAST_ERROR(emu, ERROR_FILENAME_EXCED_RANGE);
}

}  // namespace
}  // namespace larch::test
