// Ending processes and windows, starting programs, pausing, and Notepad.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "bridge/dbcs.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/path_length.h"
#include "bridge/system_error.h"
#include "bridge/win_handles.h"
#include "system/functions.h"
#include "system/long_inputs.h"
#include "system/system_rules.h"

namespace larch {
namespace {

// Every right a process handle had before Windows Vista widened
// PROCESS_ALL_ACCESS (0x1FFFFF in this SDK); the older mask opens processes
// on every version.
constexpr DWORD kAllProcessAccess = 0x1F0FFF;

HWND TopLevelWindowTitled(const char* title) { return FindWindowA(nullptr, title); }

}  // namespace

void KVKillProcess(ParamBlock* block) {
  Params p(block);
  UniqueHandle process(OpenProcess(kAllProcessAccess, TRUE, static_cast<DWORD>(p.integer(1))));
  // When the open failed the termination is still tried without a handle,
  // so the code recorded is the one callers know: an invalid handle.
  ReturnLogical(Recorded(TerminateProcess(process.get(), 0)));
}

void KVKillProcess2(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return;
  // No title holds a NUL: such a text names no window (and cut at the NUL
  // it would name another).
  const TextParam title = p.text(1);
  if (HoldsNul(title.view())) return ReturnLogical(false);
  HWND window = TopLevelWindowTitled(title.c_str());
  if (!window) return ReturnLogical(false);
  ShowWindow(window, SW_RESTORE);
  // Returns once the window has handled the request; it may still refuse.
  SendMessageA(window, WM_CLOSE, 0, 0);
  ReturnLogical(true);
}

void KVWinExec(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnInt(-1);
  const UINT show = static_cast<UINT>(p.integerOr(2, SW_HIDE));
  const TextParam command = p.text(1);
  // A line holding a NUL (the system would run the part before it), a
  // program name past the path limit, or a line no process can be given,
  // is refused with the value WinExec gives for a path it cannot follow
  // (a value of 32 or more would read as a started program).
  if (RefuseNul(command.view()) || RefuseLonger(command.view(), kCommandLineLimit) ||
      RefuseLonger(ProgramName(AnsiLeadBytes(), command.view()), kMaxPathLength)) {
    return ReturnInt(ERROR_PATH_NOT_FOUND);
  }
  ReturnInt(static_cast<int32_t>(WinExec(command.c_str(), show)));
}

void KVExeSleep(ParamBlock* block) {
  Params p(block);
  if (p.integer(1) > 0) Sleep(static_cast<DWORD>(p.integer(1)));
}

void KVShellExecAndWait(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnInt(-1);
  const std::string file = p.text(1).str();
  const std::string parameters = p.textOr(2);
  if (RefuseNul(file) || RefuseNul(parameters) || RefuseLonger(file, ShellTargetLimit(AnsiLeadBytes(), file)) ||
      RefuseLonger(parameters, kCommandLineLimit)) {
    return ReturnInt(0);
  }

  SHELLEXECUTEINFOA info{};
  static_assert(sizeof info == 60, "the record the shell expects");
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = p.integerOr(3, SW_SHOWNORMAL);
  if (!ShellExecuteExA(&info)) {
    // After the box it shows the user, the shell may leave no error code;
    // its own failure value then tells what went wrong.
    const DWORD error = GetLastError();
    RecordFailure(ShellStartFailureCode(error, reinterpret_cast<uintptr_t>(info.hInstApp)));
    return ReturnInt(0);
  }
  // A document opened without a new process leaves no handle: the wait
  // fails and its error is what the caller finds recorded.
  UniqueHandle process(info.hProcess);
  DWORD exitCode = 0;
  if (WaitForSingleObject(info.hProcess, INFINITE) == WAIT_FAILED || !GetExitCodeProcess(process.get(), &exitCode)) {
    RecordSystemError();
    return ReturnInt(0);
  }
  ReturnInt(static_cast<int32_t>(exitCode));
}

void KVShowTextInNotepad(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return;
  TextParam text = p.text(1);
  // The system's own Notepad, by its full name: a bare name would be
  // looked for in the host's folder and the current folder first, where
  // any program called notepad.exe would be started in its place. The
  // system folder holds Notepad on every version (under WOW64 the system
  // gives the 32-bit twin); the copy in the Windows folder is kept for older
  // programs only.
  char folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return;
  const std::string command = NotepadCommandLine(AnsiLeadBytes(), std::string_view(folder, length));
  if (ResolvedPathTooLong(std::string_view(command).substr(1, command.size() - 2))) return;
  // WinExec returns once the new Notepad waits for input (or the system
  // gives up waiting); the window is looked up right after, with no retry.
  WinExec(command.c_str(), SW_SHOWNORMAL);
  HWND notepad = FindWindowExA(nullptr, nullptr, "Notepad", nullptr);
  if (!notepad) return;
  HWND edit = FindWindowExA(notepad, nullptr, "Edit", nullptr);
  if (!edit) return;
  SendMessageA(edit, WM_SETFOCUS, 0, 0);
  SendMessageA(edit, WM_SETTEXT, text.size() + 1, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace larch
