// Long names and recorded failures of the process and shell functions: a
// text past what the system call takes is refused before the call, with
// the function's failure result and 206 recorded; a failure is never
// recorded as success. The shell's and WinExec's services are faked at
// the library's import table (a real call would show a box or search for
// seconds); the shortcut object is the real one.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <functional>

#include "import_patch.h"
#include "system_support.h"

namespace larch::test {
namespace {

using host::FakeOf;
using host::ImportPatch;

// What the faked services were handed: the length of every text.
struct Seen {
  int calls = 0;
  std::vector<size_t> lengths;  // file (or command line), verb, parameters, folder
};
Seen g_seen;

size_t LengthOf(LPCSTR s) { return s ? std::strlen(s) : 0; }

struct LimitFakes {
  static UINT WINAPI WinExec(LPCSTR line, UINT) {
    ++g_seen.calls;
    g_seen.lengths = {LengthOf(line)};
    return 33;
  }
  static BOOL WINAPI ShellExecuteEx(SHELLEXECUTEINFOA* info) {
    ++g_seen.calls;
    g_seen.lengths = {LengthOf(info->lpFile), LengthOf(info->lpVerb), LengthOf(info->lpParameters),
                      LengthOf(info->lpDirectory)};
    info->hInstApp = reinterpret_cast<HINSTANCE>(SE_ERR_FNF);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  static HINSTANCE WINAPI ShellExecute(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT) {
    ++g_seen.calls;
    g_seen.lengths = {LengthOf(file), LengthOf(verb), LengthOf(parameters), LengthOf(folder)};
    return reinterpret_cast<HINSTANCE>(42);
  }
};

// A path of exactly n bytes under `base`, in components a file system
// takes (so that a path within the limit can really be written).
std::string PathOfLength(const std::string& base, size_t n) {
  std::string path = base;
  while (path.size() + 1 + 100 < n) path += "\\" + std::string(99, 'd');
  path += "\\";
  path += std::string(n > path.size() ? n - path.size() : 0, 'a');
  return path.substr(0, n);
}

// One text parameter of one function, tried just within and past its limit.
struct LimitRow {
  const char* function;
  const char* parameter;
  size_t limit;
  std::function<std::string(const std::string& dir, size_t n)> text;                      // the long text
  std::function<std::vector<Arg>(const std::string& dir, const std::string& text)> args;  // the call with it
  int seenAt;        // which length a fake recorded is the text's; -1: the real shortcut object
  size_t added = 0;  // bytes the call puts around the text
};

std::vector<Arg> Args(std::initializer_list<Arg> args) { return args; }

TEST(LongNames, RefusedBeforeTheSystemCallWithTheFailureResultAnd206) {
  auto path = [](const std::string&, size_t n) { return PathOfLength("C:\\larch", n); };
  auto pathInDir = [](const std::string& dir, size_t n) { return PathOfLength(dir, n); };
  auto url = [](const std::string&, size_t n) {
    std::string u = "http://127.0.0.1/";
    return u + std::string(n - u.size(), 'u');
  };
  auto word = [](const std::string&, size_t n) { return std::string(n, 'w'); };
  auto parameters = [](const std::string&, size_t n) { return "-x " + std::string(n - 3, 'p'); };
  const std::string exe = "C:\\windows\\system32\\cmd.exe";
  using Dir = const std::string&;
  using Text = const std::string&;

  // clang-format off
  const LimitRow rows[] = {
      {"KVWinExec", "program", 259, path, [](Dir, Text t) { return Args({Value::Text(t)}); }, 0},
      {"KVWinExec", "quoted program", 259, path, [](Dir, Text t) { return Args({Value::Text("\"" + t + "\" arg")}); },
       0, 6},
      {"KVShellExecAndWait", "file", 259, path, [](Dir, Text t) { return Args({Value::Text(t)}); }, 0},
      {"KVShellExecAndWait", "URL", 2083, url, [](Dir, Text t) { return Args({Value::Text(t)}); }, 0},
      {"KVShellExecAndWait", "parameters", 32767, parameters,
       [exe](Dir, Text t) { return Args({Value::Text(exe), Value::Text(t)}); }, 2},
      {"APIShellExecute", "file", 259, path, [](Dir, Text t) { return Args({Value::Text(t)}); }, 0},
      {"APIShellExecute", "URL", 2083, url, [](Dir, Text t) { return Args({Value::Text(t)}); }, 0},
      {"APIShellExecute", "verb", 255, word,
       [exe](Dir, Text t) { return Args({Value::Text(exe), Value::Int(0), Value::Text(t)}); }, 1},
      {"APIShellExecute", "parameters", 32767, parameters,
       [exe](Dir, Text t) { return Args({Value::Text(exe), Value::Int(0), Value::Text(""), Value::Text(t)}); }, 2},
      {"APIShellExecute", "folder", 259, path,
       [exe](Dir, Text t) {
         return Args({Value::Text(exe), Value::Int(0), Value::Text(""), Value::Text(""), Value::Text(t)});
       },
       3},
      {"KVCreateShortcut", "target", 259, pathInDir,
       [](Dir dir, Text t) { return Args({Value::Text(t), Value::Text(dir + "\\target.lnk")}); }, -1},
      {"KVCreateShortcut", "link file", 259, pathInDir,
       [exe](Dir, Text t) { return Args({Value::Text(exe), Value::Text(t)}); }, -1},
      {"KVCreateShortcut", "folder", 259, pathInDir,
       [exe](Dir dir, Text t) { return Args({Value::Text(exe), Value::Text(dir + "\\folder.lnk"), Value::Text(t)}); },
       -1},
  };
  // clang-format on

  for (const LimitRow& row : rows) {
    const std::string function = row.function;
    for (size_t n : {row.limit, row.limit + 1, row.limit + 16, size_t{70000}}) {
      SCOPED_TRACE(function + " " + row.parameter + ", " + std::to_string(n) + " bytes");
      HostEmulator emu;
      ImportPatch winExec(emu.module(), "KERNEL32.dll", "WinExec", FakeOf(&LimitFakes::WinExec));
      ImportPatch shellEx(emu.module(), "SHELL32.dll", "ShellExecuteExA", FakeOf(&LimitFakes::ShellExecuteEx));
      ImportPatch shell(emu.module(), "SHELL32.dll", "ShellExecuteA", FakeOf(&LimitFakes::ShellExecute));
      ASSERT_TRUE(winExec.active() && shellEx.active() && shell.active()) << "no real shell call here";
      TempDir dir;
      const std::string text = row.text(dir.path(), n);
      ASSERT_EQ(text.size(), n);
      g_seen = Seen{};

      CallResult r = emu.call(function, row.args(dir.path(), text));
      ASSERT_EQ(r.error, 0);
      const bool within = n <= row.limit;
      if (row.seenAt >= 0) {
        EXPECT_EQ(g_seen.calls, within ? 1 : 0) << "the system is called only within the limit";
        if (within && g_seen.calls == 1) {
          EXPECT_EQ(g_seen.lengths.at(static_cast<size_t>(row.seenAt)), n + row.added) << "passed on whole";
        }
      }
      if (function == "KVWinExec") {
        EXPECT_EQ(r.value.integer, within ? 33 : ERROR_PATH_NOT_FOUND) << "a refusal never reads as a start";
      } else if (function == "KVShellExecAndWait") {
        EXPECT_EQ(r.value.integer, 0);
      } else if (function == "APIShellExecute") {
        EXPECT_FALSE(r.sent());
      } else {
        ASSERT_EQ(r.value.kind, Value::Kind::Logical);
        EXPECT_EQ(r.value.logical, within) << "within the limit the link is built and saved";
      }
      if (!within) {
        EXPECT_LAST_ERROR(emu, ERROR_FILENAME_EXCED_RANGE);
      }
    }
  }
}

// What the library records after each kind of failure: never the message
// of success, and the code the failure means.
struct FailFakes {
  static inline uintptr_t instApp = 0;
  static BOOL WINAPI ShellExecuteEx(SHELLEXECUTEINFOA* info) {
    info->hInstApp = reinterpret_cast<HINSTANCE>(instApp);
    info->hProcess = nullptr;
    SetLastError(0);  // as the shell leaves it after its box
    return FALSE;
  }
  static HANDLE WINAPI Snapshot(DWORD, DWORD) {
    SetLastError(0);
    return INVALID_HANDLE_VALUE;
  }
  static BOOL WINAPI Terminate(HANDLE, UINT) {
    SetLastError(0);
    return FALSE;
  }
};

TEST(RecordedFailures, NeverSuccessAndTheCodeTheFailureMeans) {
  struct Case {
    const char* what;
    const char* dll;
    const char* service;
    const void* fake;
    uintptr_t instApp;
    std::string function;
    std::vector<Arg> args;
    int32_t recorded;
  };
  // clang-format off
  const Case cases[] = {
      {"shell: file not found", "SHELL32.dll", "ShellExecuteExA", FakeOf(&FailFakes::ShellExecuteEx), SE_ERR_FNF,
       "KVShellExecAndWait", {Value::Text("missing.exe")}, ERROR_FILE_NOT_FOUND},
      {"shell: no association", "SHELL32.dll", "ShellExecuteExA", FakeOf(&FailFakes::ShellExecuteEx), SE_ERR_NOASSOC,
       "KVShellExecAndWait", {Value::Text("doc.unknown-type")}, ERROR_NO_ASSOCIATION},
      {"shell: no code at all", "SHELL32.dll", "ShellExecuteExA", FakeOf(&FailFakes::ShellExecuteEx), 0,
       "KVShellExecAndWait", {Value::Text("doc.txt")}, ERROR_GEN_FAILURE},
      {"snapshot", "KERNEL32.dll", "CreateToolhelp32Snapshot", FakeOf(&FailFakes::Snapshot), 0,
       "KVGetProcessSnapshot", {Value::Text("aProc")}, ERROR_GEN_FAILURE},
      {"termination", "KERNEL32.dll", "TerminateProcess", FakeOf(&FailFakes::Terminate), 0, "KVKillProcess",
       {Value::Int(0x7FFFFFF0)}, ERROR_GEN_FAILURE},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HostEmulator emu;
    FailFakes::instApp = c.instApp;
    {
      ImportPatch patch(emu.module(), c.dll, c.service, c.fake);
      ASSERT_TRUE(patch.active());
      CallResult r = emu.call(c.function, c.args);
      ASSERT_EQ(r.error, 0);
      ASSERT_TRUE(r.sent());
      if (r.value.kind == Value::Kind::Logical) {
        EXPECT_FALSE(r.value.logical);
      } else {
        EXPECT_EQ(r.value.integer, 0) << "the failure result";
      }
    }
    EXPECT_FAILURE_RECORDED(emu);
    EXPECT_LAST_ERROR(emu, static_cast<DWORD>(c.recorded));
  }
}

}  // namespace
}  // namespace larch::test
