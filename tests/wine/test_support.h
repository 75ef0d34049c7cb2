// Shared helpers of the Wine tests.
#pragma once

#include <string>

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

}  // namespace larch::test
