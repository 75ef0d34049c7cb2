// Shared helpers of the Wine tests.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/win_handles.h"
#include "host_emulator.h"
#include "import_patch.h"

namespace larch::test {

using host::Arg;
using host::ByRef;
using host::CallResult;
using host::HostEmulator;
using host::HostOptions;
using host::Value;

// A fresh folder under the Wine temp folder, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  // path() + "\\" + name
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// Bytes in hex, for failure messages.
std::string Hex(const std::string& bytes);
// `got` holds the same bytes as `expected`; a failure shows both sizes and
// the first difference, with the bytes around it in hex.
::testing::AssertionResult SameBytes(const std::string& got, const std::string& expected);

// While it lives, the loaded library finds no usable desktop, as in a
// process without a display: the window it probes with cannot be made
// (error 1400).
class NoDesktop {
 public:
  explicit NoDesktop(HostEmulator& emu);
  bool active() const { return patch_.active(); }

 private:
  host::ImportPatch patch_;
};

// LastSystemError read back through the library (KVGetLastErrorMsg): the
// text of the recorded code, and the system's text for a given code.
std::string RecordedErrorText(HostEmulator& emu);
std::string ErrorText(HostEmulator& emu, DWORD code);
// The recorded text names a failure: it is neither the text of success
// nor empty (a code the system has no text for is no failure recorded).
::testing::AssertionResult FailureRecorded(HostEmulator& emu);
// The recorded text is the text of `code`. That text must exist: two empty
// texts would match whatever was recorded.
::testing::AssertionResult LastErrorIs(HostEmulator& emu, DWORD code);

// Where a helper was called from, taken as its last parameter with a
// default (`Caller caller = {}`): what the helper finds wrong is reported
// at the test's line, and a helper that calls another passes it on.
struct Caller {
  Caller(const char* file = __builtin_FILE(), int line = __builtin_LINE()) : file(file), line(line) {}
  const char* file;
  int line;
};

// Calls that answer one result of a kind: a text (handed over, type 'H'),
// a logical, or an integer of the usual width (10); the answer comes back.
// Another kind of answer, none or more than one, or a host error is a
// failure at the caller's line that names the function and shows what came.
std::string CallText(HostEmulator& emu, const std::string& name, const std::vector<Arg>& args = {}, Caller caller = {});
bool CallLogical(HostEmulator& emu, const std::string& name, const std::vector<Arg>& args = {}, Caller caller = {});
int32_t CallInteger(HostEmulator& emu, const std::string& name, const std::vector<Arg>& args = {}, Caller caller = {});
// A call that answers nothing (its work is in the variables it was given, or
// in what it did), and raises no host error.
void CallWithoutResult(HostEmulator& emu, const std::string& name, const std::vector<Arg>& args = {},
                       Caller caller = {});

// How StartProcess starts a program and what its owner does at the end.
struct ProcessOptions {
  // The program file, when it is not the command line's first word.
  std::string program;
  // The child's current folder; "" keeps this process's.
  std::string directory;
  // The child's first window is hidden; a console program gets no console.
  bool hidden = false;
  bool noConsole = false;
  // Standard output and error go to a pipe that output() reads.
  bool captureOutput = false;
  // Set in this process's environment for the child to inherit, and
  // removed again once it has started.
  std::string variable, value;
  // Wine hands back no real handles for a Unix program (not even null
  // ones): they are left alone, and nothing can be waited for.
  bool unixProgram = false;
  // A process still running at the end of the owner's scope is
  // terminated, unless it is to outlive the test.
  bool leaveRunning = false;
};

// A process a test started: owns its handle (and the read end of its
// output), and ends it at the end of the scope as ProcessOptions says.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(ChildProcess&&) = default;
  ChildProcess& operator=(ChildProcess&&) = delete;
  ~ChildProcess();

  bool started() const { return started_; }
  // GetLastError() of a start that failed.
  DWORD startError() const { return startError_; }
  DWORD id() const { return id_; }
  HANDLE handle() const { return process_.get(); }
  // Waits for the end (up to `limitMs`) and gives the exit code, or
  // STILL_ACTIVE when it has not ended.
  DWORD wait(DWORD limitMs);
  // Everything the child writes to its output until it closes it.
  std::string output();

 private:
  friend ChildProcess StartProcess(std::string commandLine, const ProcessOptions& options);
  UniqueHandle process_;
  UniqueHandle output_;
  DWORD id_ = 0;
  DWORD startError_ = 0;
  bool started_ = false;
  bool leaveRunning_ = false;
};

ChildProcess StartProcess(std::string commandLine, const ProcessOptions& options = {});

struct ProcessResult {
  bool started = false;
  DWORD exitCode = STILL_ACTIVE;
  std::string output;  // when captured
};
// Starts a program, reads its output when captured, and waits for its end.
ProcessResult RunProcess(const std::string& commandLine, const ProcessOptions& options = {});

}  // namespace larch::test

namespace larch::host {
// How GoogleTest shows a host value in a failure message: its kind and
// content, bytes of a text outside printable ASCII in hex.
void PrintTo(const Value& value, std::ostream* out);
}  // namespace larch::host

// Checks LastSystemError; a failure is reported at the caller's line and
// takes more text with <<.
#define EXPECT_LAST_ERROR(emu, code) EXPECT_TRUE(::larch::test::LastErrorIs((emu), (code)))
#define ASSERT_LAST_ERROR(emu, code) ASSERT_TRUE(::larch::test::LastErrorIs((emu), (code)))
#define EXPECT_FAILURE_RECORDED(emu) EXPECT_TRUE(::larch::test::FailureRecorded((emu)))

// In a helper that checks with EXPECT_*/ASSERT_* itself: every failure of
// the scope also names the line the helper was called from.
#define TRACE_CALLER(caller) \
  const ::testing::ScopedTrace caller_trace_((caller).file, (caller).line, "called from here")
