// Running larch-pack (built next to the tests) from the crypto tests.
#pragma once

#include <windows.h>

#include <string>

#include "test_support.h"

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
  ProcessResult run = RunProcess("\"" + BinDir() + "larch-pack.exe\" " + arguments);
  return run.started ? static_cast<int>(run.exitCode) : -1;
}

inline std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace larch::test
