// INI files through the system's private-profile functions. Empty texts
// are passed on as empty texts, never as absent ones, so nothing is ever
// deleted by these calls. A section, key or value that would not stay on
// its own line (ini_names.h), or a file name longer than the system's path
// size, never reaches the system: a write fails, a read gives the default.
#include <windows.h>

#include "bridge/dbcs.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/path_length.h"
#include "bridge/system_error.h"
#include "files/functions.h"
#include "files/ini_names.h"

namespace larch {
namespace {

constexpr DWORD kIniValueCapacity = 512;

// Whether a read of this entry can reach the system; a read refused here
// finds nothing, as the system would, and records nothing.
bool ReadAllowed(const TextParam& section, const TextParam& key, const TextParam& file) {
  return IniEntryAllowed(AnsiLeadBytes(), section.view(), key.view(), {}) &&
         !UnusablePath(file.view(), RelativeTo::kWindowsFolder);
}

}  // namespace

void KVWriteIniStr(ParamBlock* block) {
  Params p(block);
  TextParam section = p.text(1);
  TextParam key = p.text(2);
  TextParam value = p.text(3);
  TextParam file = p.text(4);
  if (!IniEntryAllowed(AnsiLeadBytes(), section.view(), key.view(), value.view())) {
    RecordFailure(ERROR_INVALID_PARAMETER);
    return ReturnLogical(false);
  }
  if (RefusePath(file.view(), RelativeTo::kWindowsFolder)) return ReturnLogical(false);
  ReturnLogical(Recorded(WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str())));
}

void KVGetIniStr(ParamBlock* block) {
  Params p(block);
  TextParam section = p.text(1);
  TextParam key = p.text(2);
  TextParam fallback = p.text(3);
  TextParam file = p.text(4);
  if (!ReadAllowed(section, key, file)) {
    // The default as the system would give it: cut to the buffer.
    return ReturnText(
        fallback.view().substr(0, CharBoundaryAtOrBefore(AnsiLeadBytes(), fallback.view(), kIniValueCapacity - 1)));
  }
  char buffer[kIniValueCapacity + 1] = {};
  GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer, kIniValueCapacity, file.c_str());
  ReturnText(buffer);
}

void KVGetIniInt(ParamBlock* block) {
  Params p(block);
  TextParam section = p.text(1);
  TextParam key = p.text(2);
  TextParam file = p.text(4);
  if (!ReadAllowed(section, key, file)) return ReturnInt(p.integer(3));
  UINT value = GetPrivateProfileIntA(section.c_str(), key.c_str(), p.integer(3), file.c_str());
  ReturnInt(static_cast<int32_t>(value));
}

}  // namespace larch
