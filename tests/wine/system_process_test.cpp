// Process control through the host interface: the process list, ending
// processes and windows, starting programs, single-instance markers and
// Notepad.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <set>

#include "import_patch.h"
#include "system_support.h"

namespace larch::test {
namespace {

using host::FakeOf;
using host::ImportPatch;

std::string UniqueName(const std::string& stem) {
  static int counter = 0;
  return stem + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
}

// A copy of this program that waits until this process ends.
ChildProcess StartIdleChild() { return StartChild("ChildSystem.Idle", "idle", std::to_string(GetCurrentProcessId())); }

DWORD FirstListedProcess() {
  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  return Process32First(snapshot.get(), &entry) ? entry.th32ProcessID : 0;
}

// Each test of the suites below has a library of its own.
class WithLibrary : public ::testing::Test {
 protected:
  HostEmulator emu;
};
class ProcessSnapshot : public WithLibrary {};
class ShellExecAndWait : public WithLibrary {};

TEST_F(ProcessSnapshot, RowsAfterTheFirstEntryReplaceTheVariable) {
  ChildProcess child = StartIdleChild();
  ASSERT_TRUE(child.started());
  emu.setVariable("aProc", Value::Text("replaced"));

  CallResult r = emu.call("KVGetProcessSnapshot", {Value::Text("aProc")});
  ASSERT_EQ(r.error, 0);
  ASSERT_EQ(r.value.kind, Value::Kind::Int);
  EXPECT_EQ(r.value.width, 10);
  const host::Variable* list = emu.variable("aProc");
  ASSERT_TRUE(list && list->isArray);
  ASSERT_EQ(list->array.columns, 3);
  // The answer is one less than the rows written.
  EXPECT_EQ(list->array.rows, r.value.integer + 1);

  const DWORD first = FirstListedProcess();
  std::set<DWORD> pids;
  bool sawSelf = false, sawChild = false;
  for (uint16_t row = 1; row <= list->array.rows; ++row) {
    SCOPED_TRACE(::testing::Message() << "row " << row);
    const Value* pid = list->array.at(row, 1);
    const Value* parent = list->array.at(row, 2);
    const Value* name = list->array.at(row, 3);
    ASSERT_EQ(pid->kind, Value::Kind::Int);
    EXPECT_EQ(pid->width, 10);
    ASSERT_EQ(parent->kind, Value::Kind::Int);
    ASSERT_EQ(name->kind, Value::Kind::Char);
    EXPECT_EQ(name->text.find('\0'), std::string::npos);
    EXPECT_NE(static_cast<DWORD>(pid->integer), first) << "the first listed process is never a row";
    pids.insert(static_cast<DWORD>(pid->integer));
    if (static_cast<DWORD>(pid->integer) == GetCurrentProcessId()) {
      sawSelf = true;
      EXPECT_EQ(name->text, "larch_tests.exe");
    }
    if (static_cast<DWORD>(pid->integer) == child.id()) {
      sawChild = true;
      EXPECT_EQ(static_cast<DWORD>(parent->integer), GetCurrentProcessId());
      EXPECT_EQ(name->text, "larch_tests.exe");
    }
  }
  EXPECT_EQ(pids.size(), list->array.rows);
  // The first listed process is never a row, and once the processes listed
  // before this one have ended, the first is this one.
  if (first != GetCurrentProcessId()) EXPECT_TRUE(sawSelf);
  EXPECT_TRUE(sawChild);
}

TEST_F(ProcessSnapshot, EmptyNameAndFailingHostServices) {
  CallResult empty = emu.call("KVGetProcessSnapshot", {Value::Text("")});
  EXPECT_EQ(empty.value.integer, 0);
  EXPECT_EQ(emu.variables().size(), 0u);

  // A host service that answers minus an error number raises that error.
  for (uint32_t failing : {27u /* new variable */, 29u /* store value */}) {
    SCOPED_TRACE(::testing::Message() << "service " << failing);
    emu.serviceHook = [failing](ServiceRecord& record) {
      if (record.operation != failing) return false;
      record.arg1 = static_cast<uint32_t>(-43);
      return true;
    };
    CallResult r = emu.call("KVGetProcessSnapshot", {Value::Text("aFail")});
    EXPECT_EQ(r.error, 43) << "service " << failing;
    EXPECT_FALSE(r.sent());
  }
  emu.serviceHook = nullptr;
}

TEST(KillProcess, EndsAProcessAndRecordsAnInvalidHandle) {
  HostEmulator emu;
  ChildProcess child = StartIdleChild();
  ASSERT_TRUE(child.started());
  CallResult killed = emu.call("KVKillProcess", {Value::Int(static_cast<int32_t>(child.id()))});
  EXPECT_TRUE(killed.value.logical);
  EXPECT_EQ(child.wait(30000), 0u) << "terminated with exit code 0";

  // No such process: the open fails and the termination without a handle
  // records an invalid handle.
  CallResult missing = emu.call("KVKillProcess", {Value::Int(0x7FFFFFF0)});
  ASSERT_EQ(missing.value.kind, Value::Kind::Logical);
  EXPECT_FALSE(missing.value.logical);
  EXPECT_LAST_ERROR(emu, ERROR_INVALID_HANDLE);
}

TEST(WinExec, ShowStatesAndResults) {
  HostEmulator emu;
  static std::vector<UINT> shows;
  shows.clear();
  struct Fake {
    static UINT WINAPI Run(LPCSTR, UINT show) {
      shows.push_back(show);
      return 33;
    }
  };
  {
    ImportPatch patch(emu.module(), "KERNEL32.dll", "WinExec", FakeOf(&Fake::Run));
    ASSERT_TRUE(patch.active());
    EXPECT_EQ(emu.call("KVWinExec", {Value::Text("prog")}).value.integer, 33);
    EXPECT_EQ(emu.call("KVWinExec", {Value::Text("prog"), Value::Int(3)}).value.integer, 33);
    EXPECT_EQ(emu.call("KVWinExec", {Value::Text("")}).value.integer, -1);
  }
  EXPECT_EQ(shows, (std::vector<UINT>{0, 3})) << "one parameter starts hidden; empty starts nothing";

  // The real service: a program that runs, and one that does not exist.
  EXPECT_GT(emu.call("KVWinExec", {Value::Text("cmd.exe /c exit 0")}).value.integer, 31);
  EXPECT_EQ(emu.call("KVWinExec", {Value::Text("no-such-program-larch.exe")}).value.integer, ERROR_FILE_NOT_FOUND);
}

TEST(ExeSleep, SleepsOnlyForPositiveValuesAndSendsNothing) {
  HostEmulator emu;
  static std::vector<DWORD> sleeps;
  sleeps.clear();
  struct Fake {
    static void WINAPI Sleep(DWORD ms) { sleeps.push_back(ms); }
  };
  ImportPatch patch(emu.module(), "KERNEL32.dll", "Sleep", FakeOf(&Fake::Sleep));
  ASSERT_TRUE(patch.active());
  for (int32_t ms : {0, -5, 25}) EXPECT_FALSE(emu.call("KVExeSleep", {Value::Int(ms)}).sent()) << ms;
  EXPECT_EQ(sleeps, std::vector<DWORD>{25});
}

TEST_F(ShellExecAndWait, ExitCodeOfTheStartedProgram) {
  EXPECT_EQ(
      emu.call("KVShellExecAndWait", {Value::Text("cmd.exe"), Value::Text("/c exit 3"), Value::Int(0)}).value.integer,
      3);
  EXPECT_EQ(emu.call("KVShellExecAndWait", {Value::Text("")}).value.integer, -1);
}

// What the library hands the shell, and how it takes the shell's failures.
struct ShellExecFake {
  static inline SHELLEXECUTEINFOA seen{};
  static inline std::string parameters;
  static inline bool nullParameters = false;
  static inline BOOL answer = FALSE;
  static inline DWORD error = 0;
  static BOOL WINAPI Run(SHELLEXECUTEINFOA* info) {
    seen = *info;
    nullParameters = info->lpParameters == nullptr;
    parameters = info->lpParameters ? info->lpParameters : "";
    info->hProcess = nullptr;  // no process, also when the start succeeds
    SetLastError(error);
    return answer;
  }
};

TEST_F(ShellExecAndWait, RecordAndFailuresThroughAFake) {
  ImportPatch patch(emu.module(), "SHELL32.dll", "ShellExecuteExA", FakeOf(&ShellExecFake::Run));
  ASSERT_TRUE(patch.active());

  ShellExecFake::answer = FALSE;
  ShellExecFake::error = ERROR_ACCESS_DENIED;
  EXPECT_EQ(emu.call("KVShellExecAndWait", {Value::Text("doc.txt"), Value::Text("")}).value.integer, 0);
  const SHELLEXECUTEINFOA& seen = ShellExecFake::seen;
  EXPECT_EQ(seen.cbSize, 60u);
  EXPECT_EQ(seen.fMask, static_cast<ULONG>(SEE_MASK_NOCLOSEPROCESS));
  EXPECT_EQ(seen.hwnd, nullptr);
  EXPECT_EQ(seen.lpVerb, nullptr);
  EXPECT_EQ(seen.lpDirectory, nullptr);
  EXPECT_EQ(seen.nShow, 1) << "omitted show state: normal";
  EXPECT_TRUE(ShellExecFake::nullParameters) << "an empty parameter text is passed as none";
  EXPECT_LAST_ERROR(emu, ERROR_ACCESS_DENIED);

  // Opened without a new process: the wait has no handle and fails.
  ShellExecFake::answer = TRUE;
  ShellExecFake::error = 0;
  EXPECT_EQ(emu.call("KVShellExecAndWait", {Value::Text("doc.txt"), Value::Text("-x"), Value::Int(3)}).value.integer,
            0);
  EXPECT_EQ(ShellExecFake::parameters, "-x");
  EXPECT_EQ(ShellExecFake::seen.nShow, 3);
  EXPECT_LAST_ERROR(emu, ERROR_INVALID_HANDLE);
}

TEST_F(ShellExecAndWait, MissingFileShowsTheShellsBox) {
  const char* missing = "C:\\windows\\missing-larch.exe";
  // The shell shows its error box to the user (answered here). What it
  // leaves as the error code after the box is what the library records.
  BoxAnswerer answerer;
  SHELLEXECUTEINFOA direct{};
  direct.cbSize = sizeof direct;
  direct.fMask = SEE_MASK_NOCLOSEPROCESS;
  direct.lpFile = missing;
  direct.nShow = SW_SHOWNORMAL;
  ASSERT_FALSE(ShellExecuteExA(&direct));
  const DWORD shellError = GetLastError();
  const uintptr_t shellValue = reinterpret_cast<uintptr_t>(direct.hInstApp);

  CallResult r = emu.call("KVShellExecAndWait", {Value::Text(missing)});
  std::vector<std::string> boxes = answerer.stop();
  EXPECT_EQ(r.value.integer, 0);
  EXPECT_EQ(boxes.size(), 2u) << "one box for each attempt";
  // The shell may leave no error code after its box; the library then
  // records the shell's own failure value, never success.
  EXPECT_FAILURE_RECORDED(emu);
  if (shellError != 0) {
    EXPECT_LAST_ERROR(emu, shellError);
  } else if (shellValue == SE_ERR_FNF || shellValue == SE_ERR_PNF) {
    EXPECT_LAST_ERROR(emu, static_cast<DWORD>(shellValue));
  }
}

TEST(TestExeIsRun, MarkersByNameAndByIdentity) {
  const std::string name = UniqueName("larch-marker");
  {
    HostEmulator emu;
    EXPECT_FALSE(emu.call("KVTestExeIsRun", {Value::Text(name)}).value.logical);
    EXPECT_TRUE(emu.call("KVTestExeIsRun", {Value::Text(name)}).value.logical);
    // A name the system refuses for a mutex answers false.
    EXPECT_FALSE(emu.call("KVTestExeIsRun", {Value::Text("bad\\" + name)}).value.logical);
    EXPECT_FALSE(emu.call("KVTestExeIsRun", {Value::Text("bad\\" + name)}).value.logical);
    // A NUL would cut the name to the marker made above: refused instead.
    EXPECT_FALSE(emu.call("KVTestExeIsRun", {Value::Text(name + std::string(1, '\0') + "x")}).value.logical);

    // Omitted or empty: the application identity in _screen.tag.
    const std::string identity = UniqueName("larch-identity");
    emu.screenTag = Value::Text(identity);
    EXPECT_FALSE(emu.call("KVTestExeIsRun").value.logical);
    EXPECT_TRUE(emu.call("KVTestExeIsRun", {Value::Text("")}).value.logical);
    EXPECT_TRUE(emu.call("KVTestExeIsRun", {Value::Text(identity)}).value.logical);
  }
  // The marker lives as long as the process, also after the library has
  // been unloaded, and another process sees it.
  HostEmulator again;
  EXPECT_TRUE(again.call("KVTestExeIsRun", {Value::Text(name)}).value.logical);
  ChildProcess seen = StartChild("ChildSystem.Marker", "marker", name);
  ChildProcess unseen = StartChild("ChildSystem.Marker", "marker", name + "-other");
  ASSERT_TRUE(seen.started() && unseen.started());
  EXPECT_EQ(seen.wait(60000), 10u) << "10: the child found the marker";
  EXPECT_EQ(unseen.wait(60000), 11u) << "11: the child made a new marker";
}

TEST(TestExeIsRun, HoldsOneHandleForEachNameHoweverOftenAsked) {
  HostEmulator emu;
  const std::string name = UniqueName("larch-polled");
  // The system gives a new handle the lowest free slot, so the value of a
  // handle opened now shows how many are held: each handle kept by a call
  // would push it up by one slot (4). (Wine has no process handle count.)
  auto nextSlot = [] {
    HANDLE probe = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(probe);
    return reinterpret_cast<uintptr_t>(probe);
  };
  constexpr uintptr_t kSlot = 4;
  const uintptr_t before = nextSlot();
  EXPECT_FALSE(emu.call("KVTestExeIsRun", {Value::Text(name)}).value.logical);
  int answeredTrue = 0;
  for (int i = 0; i < 1000; ++i) answeredTrue += emu.call("KVTestExeIsRun", {Value::Text(name)}).value.logical;
  EXPECT_EQ(answeredTrue, 1000);
  EXPECT_LE(nextSlot(), before + 2 * kSlot) << "one marker handle, however often it is asked for";
  // Another name is another marker, and letter case makes another name.
  EXPECT_FALSE(emu.call("KVTestExeIsRun", {Value::Text(name + "-2")}).value.logical);
  EXPECT_FALSE(emu.call("KVTestExeIsRun", {Value::Text("X" + name)}).value.logical);
  EXPECT_FALSE(emu.call("KVTestExeIsRun", {Value::Text("x" + name)}).value.logical);
  EXPECT_TRUE(emu.call("KVTestExeIsRun", {Value::Text("x" + name)}).value.logical);
  EXPECT_LE(nextSlot(), before + 5 * kSlot);
}

TEST(KillProcess2, ClosesAWindowByTitle) {
  HostEmulator emu;
  const std::string title = UniqueName("Larch close me");
  HWND window = CreateWindowExA(0, "STATIC", title.c_str(), WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_TRUE(window);
  ShowWindow(window, SW_MINIMIZE);
  // The default handling of the close request destroys the window.
  CallResult closed = emu.call("KVKillProcess2", {Value::Text(title)});
  EXPECT_TRUE(closed.value.logical);
  EXPECT_FALSE(IsWindow(window));

  CallResult none = emu.call("KVKillProcess2", {Value::Text(title)});
  ASSERT_EQ(none.value.kind, Value::Kind::Logical);
  EXPECT_FALSE(none.value.logical);
  EXPECT_FALSE(emu.call("KVKillProcess2", {Value::Text("")}).sent());
}

TEST(ShowTextInNotepad, TheTextLandsInANewNotepad) {
  ASSERT_TRUE(TopLevelWindows("Notepad").empty()) << "another Notepad would take the text";
  HostEmulator emu;
  const std::string text = "larch says hello\r\nsecond line";
  CallResult r = emu.call("KVShowTextInNotepad", {Value::Text(text)});
  EXPECT_FALSE(r.sent());
  std::vector<HWND> notepads = TopLevelWindows("Notepad");
  EXPECT_EQ(notepads.size(), 1u);
  for (HWND notepad : notepads) {
    HWND edit = FindWindowExA(notepad, nullptr, "Edit", nullptr);
    EXPECT_EQ(WindowText(edit), text);
    EndProcessOfWindow(notepad);
  }

  // An empty text starts nothing.
  EXPECT_FALSE(emu.call("KVShowTextInNotepad", {Value::Text("")}).sent());
  EXPECT_TRUE(TopLevelWindows("Notepad").empty());
}

TEST(ShowTextInNotepad, StartsTheSystemsNotepadByItsFullName) {
  HostEmulator emu;
  static std::vector<std::string> lines;
  static std::vector<UINT> shows;
  lines.clear();
  shows.clear();
  struct Fake {
    static UINT WINAPI Run(LPCSTR line, UINT show) {
      lines.push_back(line);
      shows.push_back(show);
      return 33;
    }
  };
  ImportPatch patch(emu.module(), "KERNEL32.dll", "WinExec", FakeOf(&Fake::Run));
  ASSERT_TRUE(patch.active());
  EXPECT_FALSE(emu.call("KVShowTextInNotepad", {Value::Text("text")}).sent());
  // A bare name would be looked for in the host's folder and the current
  // folder first, where any notepad.exe would start in its place.
  char system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
  const std::string expected = "\"" + std::string(system) + "\\notepad.exe\"";
  EXPECT_EQ(lines, std::vector<std::string>{expected}) << "one quoted full name, nothing searched";
  EXPECT_EQ(shows, std::vector<UINT>{SW_SHOWNORMAL});
}

// ---- Children: these run only when a test above starts them. ----

TEST(ChildSystem, Idle) {
  if (ChildRole() != "idle") GTEST_SKIP() << "runs as a child process only";
  HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::stoul(ChildArgument())));
  if (parent) WaitForSingleObject(parent, INFINITE);
  ExitProcess(0);
}

TEST(ChildSystem, Marker) {
  if (ChildRole() != "marker") GTEST_SKIP() << "runs as a child process only";
  HostEmulator emu;
  CallResult r = emu.call("KVTestExeIsRun", {Value::Text(ChildArgument())});
  ExitProcess(r.value.logical ? 10 : 11);
}

}  // namespace
}  // namespace larch::test
