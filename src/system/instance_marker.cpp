// Single-instance markers: named mutexes that say an application instance
// is already running.
#include <windows.h>

#include <string>
#include <vector>

#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/win_handles.h"
#include "system/functions.h"

namespace larch {
namespace {

// Every marker handle stays open for the life of the process, also past an
// unload of the library: the application instance it marks is still
// running. The list is therefore never destroyed.
std::vector<UniqueHandle>& MarkerHandles() {
  static auto* handles = new std::vector<UniqueHandle>;
  return *handles;
}

std::string MarkerName(const Params& p) {
  if (p.has(1) && p.length(1) > 0) return p.text(1).str();
  Evaluated identity = ReadAppIdentity();
  return identity.type == kTypeChar ? identity.text : std::string();
}

}  // namespace

void KVTestExeIsRun(ParamBlock* block) {
  Params p(block);
  const std::string name = MarkerName(p);
  // Without a name the system would make an anonymous mutex that marks
  // nothing and could only leak.
  if (name.empty()) return ReturnLogical(false);
  HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
  const DWORD error = GetLastError();
  if (mutex) {
    ReleaseMutex(mutex);
    MarkerHandles().emplace_back(mutex);
  }
  ReturnLogical(error == ERROR_ALREADY_EXISTS);
}

}  // namespace larch
