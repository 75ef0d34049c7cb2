// Single-instance markers: named mutexes that say an application instance
// is already running.
#include <windows.h>

#include <map>
#include <string>
#include <utility>

#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/win_handles.h"
#include "system/functions.h"

namespace larch {
namespace {

// One handle for each marker name the process has made or found, kept
// open for the life of the process, also past an unload of the library:
// the application instance it marks is still running. The table is
// therefore never destroyed. Mutex names are case-sensitive, and so are
// the keys.
std::map<std::string, UniqueHandle>& MarkerHandles() {
  static auto* handles = new std::map<std::string, UniqueHandle>;
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
  // A name holding a NUL would mark only its first part.
  if (name.empty() || HoldsNul(name)) return ReturnLogical(false);
  // The process holds this marker already: a new handle would find it
  // existing, so the answer is the same without one.
  if (MarkerHandles().count(name) != 0) return ReturnLogical(true);
  UniqueHandle mutex(CreateMutexA(nullptr, TRUE, name.c_str()));
  const DWORD error = GetLastError();
  if (mutex) {
    ReleaseMutex(mutex.get());
    MarkerHandles().emplace(name, std::move(mutex));
  }
  ReturnLogical(error == ERROR_ALREADY_EXISTS);
}

}  // namespace larch
