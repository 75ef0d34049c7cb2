#include "test_support.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace larch::test {
namespace {

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  UniqueFind h(FindFirstFileA((dir + "\\*").c_str(), &fd));
  if (h) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = dir + "\\" + name;
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(h.get(), &fd));
    h.reset();  // the folder goes only once nothing holds it open
  }
  RemoveDirectoryA(dir.c_str());
}

}  // namespace

TempDir::TempDir() {
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  static unsigned counter = 0;
  char name[64];
  std::snprintf(name, sizeof name, "larch-%lu-%u", GetCurrentProcessId(), ++counter);
  path_ = std::string(base) + name;
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::file(const std::string& name) const { return path_ + "\\" + name; }

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Hex(const std::string& bytes) {
  std::string out;
  char b[4];
  for (unsigned char c : bytes) {
    std::snprintf(b, sizeof b, "%02X ", c);
    out += b;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

::testing::AssertionResult SameBytes(const std::string& got, const std::string& expected) {
  if (got == expected) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
  const size_t from = at < 8 ? 0 : at - 8;
  return ::testing::AssertionFailure() << "got " << got.size() << " bytes, expected " << expected.size()
                                       << "; first difference at offset " << at << "\n  from offset " << from
                                       << ", got:      " << Hex(got.substr(std::min(from, got.size()), 24))
                                       << "\n  from offset " << from
                                       << ", expected: " << Hex(expected.substr(std::min(from, expected.size()), 24));
}

namespace {
HWND WINAPI NoDisplayWindow(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID) {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return nullptr;
}

// One result of type `type` ('H', 'C', 'I', 'N', 'L') and no host error.
CallResult CallFor(HostEmulator& emu, char type, const std::string& name, const std::vector<Arg>& args, Caller caller) {
  CallResult r = emu.call(name, args);
  const Value::Kind kind = type == 'H' || type == 'C' ? Value::Kind::Char
                           : type == 'I'              ? Value::Kind::Int
                           : type == 'N'              ? Value::Kind::Number
                           : type == 'L'              ? Value::Kind::Logical
                                                      : Value::Kind::None;
  if (r.error != 0 || r.returns != 1 || r.rawType != type || r.value.kind != kind) {
    ADD_FAILURE_AT(caller.file, caller.line)
        << name << ": expected one result of type '" << type << "' and no host error; got " << r.returns
        << " result(s), type " << (r.rawType ? std::string(1, r.rawType) : std::string("none")) << ", "
        << ::testing::PrintToString(r.value) << ", host error " << r.error;
  }
  return r;
}

}  // namespace

NoDesktop::NoDesktop(HostEmulator& emu)
    : patch_(emu.module(), "user32.dll", "CreateWindowExA", host::FakeOf(&NoDisplayWindow)) {}

std::string RecordedErrorText(HostEmulator& emu) { return emu.call("KVGetLastErrorMsg").value.text; }

std::string ErrorText(HostEmulator& emu, DWORD code) {
  return emu.call("KVGetLastErrorMsg", {Value::Int(static_cast<int32_t>(code))}).value.text;
}

::testing::AssertionResult FailureRecorded(HostEmulator& emu) {
  const CallResult recordedCall = emu.call("KVGetLastErrorMsg");
  if (!recordedCall.sent()) return ::testing::AssertionFailure() << "KVGetLastErrorMsg gave no result";
  const std::string& recorded = recordedCall.value.text;
  if (recorded.empty()) return ::testing::AssertionFailure() << "LastSystemError has no text: no failure recorded";
  if (recorded == ErrorText(emu, 0)) {
    return ::testing::AssertionFailure() << "LastSystemError says success: \"" << recorded << "\"";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult LastErrorIs(HostEmulator& emu, DWORD code) {
  const CallResult recordedCall = emu.call("KVGetLastErrorMsg");
  if (!recordedCall.sent()) return ::testing::AssertionFailure() << "KVGetLastErrorMsg gave no result";
  const std::string& recorded = recordedCall.value.text;
  const std::string expected = ErrorText(emu, code);
  char number[32];
  std::snprintf(number, sizeof number, "%lu (0x%lX)", code, code);
  if (expected.empty()) return ::testing::AssertionFailure() << "the system has no text for error " << number;
  if (recorded != expected) {
    return ::testing::AssertionFailure() << "LastSystemError: expected the text of error " << number << " \""
                                         << expected << "\", got \"" << recorded << "\"";
  }
  return ::testing::AssertionSuccess();
}

std::string CallText(HostEmulator& emu, const std::string& name, const std::vector<Arg>& args, Caller caller) {
  return CallFor(emu, 'H', name, args, caller).value.text;
}

bool CallLogical(HostEmulator& emu, const std::string& name, const std::vector<Arg>& args, Caller caller) {
  return CallFor(emu, 'L', name, args, caller).value.logical;
}

int32_t CallInteger(HostEmulator& emu, const std::string& name, const std::vector<Arg>& args, Caller caller) {
  const CallResult r = CallFor(emu, 'I', name, args, caller);
  if (r.value.kind == Value::Kind::Int && r.value.width != 10) {
    ADD_FAILURE_AT(caller.file, caller.line) << name << ": an integer of width " << r.value.width << ", expected 10";
  }
  return r.value.integer;
}

void CallWithoutResult(HostEmulator& emu, const std::string& name, const std::vector<Arg>& args, Caller caller) {
  const CallResult r = emu.call(name, args);
  if (r.error != 0 || r.sent()) {
    ADD_FAILURE_AT(caller.file, caller.line)
        << name << ": expected no result and no host error; got " << r.returns << " result(s), "
        << ::testing::PrintToString(r.value) << ", host error " << r.error;
  }
}

ChildProcess StartProcess(std::string commandLine, const ProcessOptions& options) {
  ChildProcess child;
  child.leaveRunning_ = options.leaveRunning;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (options.hidden) {
    startup.dwFlags |= STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
  }
  // The child inherits only the pipe's write end; this process keeps the
  // read end and closes its copy of the write end once the child has it,
  // so that reading ends when the child does.
  UniqueHandle writeEnd;
  if (options.captureOutput) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    if (!CreatePipe(&readEnd, writeEnd.put(), &inherit, 0)) {
      child.startError_ = GetLastError();
      return child;
    }
    child.output_.reset(readEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  }
  if (!options.variable.empty()) SetEnvironmentVariableA(options.variable.c_str(), options.value.c_str());
  PROCESS_INFORMATION info{};
  BOOL started = CreateProcessA(/*lpApplicationName=*/options.program.empty() ? nullptr : options.program.c_str(),
                                /*lpCommandLine=*/commandLine.data(), /*lpProcessAttributes=*/nullptr,
                                /*lpThreadAttributes=*/nullptr, /*bInheritHandles=*/options.captureOutput,
                                /*dwCreationFlags=*/options.noConsole ? CREATE_NO_WINDOW : 0,
                                /*lpEnvironment=*/nullptr,
                                /*lpCurrentDirectory=*/options.directory.empty() ? nullptr : options.directory.c_str(),
                                &startup, &info);
  child.startError_ = started ? 0 : GetLastError();
  if (!options.variable.empty()) SetEnvironmentVariableA(options.variable.c_str(), nullptr);
  writeEnd.reset();
  if (!started) return child;
  child.started_ = true;
  if (options.unixProgram) return child;
  child.process_.reset(info.hProcess);
  UniqueHandle thread(info.hThread);
  child.id_ = info.dwProcessId;
  return child;
}

ChildProcess::~ChildProcess() {
  if (!process_ || leaveRunning_) return;
  if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.get(), 99);
    WaitForSingleObject(process_.get(), 10000);
  }
}

DWORD ChildProcess::wait(DWORD limitMs) {
  DWORD code = STILL_ACTIVE;
  if (process_ && WaitForSingleObject(process_.get(), limitMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process_.get(), &code);
  }
  return code;
}

std::string ChildProcess::output() {
  std::string out;
  if (!output_) return out;
  char chunk[512];
  DWORD got = 0;
  while (::ReadFile(output_.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) out.append(chunk, got);
  return out;
}

ProcessResult RunProcess(const std::string& commandLine, const ProcessOptions& options) {
  ChildProcess child = StartProcess(commandLine, options);
  ProcessResult result;
  result.started = child.started();
  if (!result.started) return result;
  result.output = child.output();
  result.exitCode = child.wait(INFINITE);
  return result;
}

}  // namespace larch::test

namespace larch::host {

void PrintTo(const Value& value, std::ostream* out) {
  char number[64];
  switch (value.kind) {
    case Value::Kind::Char:
      *out << "text \"";
      for (unsigned char c : value.text) {
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
          *out << c;
        } else {
          std::snprintf(number, sizeof number, "\\x%02X", c);
          *out << number;
        }
      }
      *out << "\"";
      return;
    case Value::Kind::Int: *out << "integer " << value.integer << " (width " << value.width << ")"; return;
    case Value::Kind::Number:
      std::snprintf(number, sizeof number, "%.17g", value.number);
      *out << "number " << number << " (width " << value.width << ", decimals " << value.decimals << ")";
      return;
    case Value::Kind::Logical: *out << (value.logical ? ".T." : ".F."); return;
    default: *out << "no value";
  }
}

}  // namespace larch::host
