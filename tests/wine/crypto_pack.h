// Running larch-pack (built next to the tests) from the crypto tests.
#pragma once

#include <windows.h>

#include <string>

namespace larch::test {

// The folder of the running test executable, with a trailing backslash.
inline std::string BinDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path);
  return s.substr(0, s.find_last_of('\\') + 1);
}

inline std::string TestExePath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

// Runs larch-pack with the argument text; its exit code, or -1 when it
// cannot be started.
inline int RunPack(const std::string& arguments) {
  std::string command = "\"" + BinDir() + "larch-pack.exe\" " + arguments;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<int>(code);
}

inline std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace larch::test
