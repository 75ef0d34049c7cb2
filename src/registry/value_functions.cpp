// Typed reads, writes and deletions in the session's key.
#include "bridge/dbcs.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/system_error.h"
#include "registry/default_path.h"
#include "registry/functions.h"
#include "registry/registry_session.h"

namespace larch {
namespace {

const BYTE* Bytes(const void* p) { return static_cast<const BYTE*>(p); }

// A value or key name holding a NUL would name another entry (the part
// before it): it is refused, and ERROR_INVALID_NAME is the code of the
// call, as a registry call's own code would be.
bool RefuseName(const TextParam& name) { return HoldsNul(name.view()) && !RegistryResult(ERROR_INVALID_NAME); }

}  // namespace

void FRSetRegValue(ParamBlock* block) {
  Params p(block);
  uint8_t type = p.type(2);
  if (type != kTypeChar && type != kTypeInt) RaiseTypeError();
  TextParam name = p.text(1);
  if (RefuseName(name)) return ReturnRegistryOutcome(false);
  RegistrySession& session = Registry();
  if (!session.ensureOpen(true)) return ReturnRegistryOutcome(false);
  LONG result;
  if (type == kTypeChar) {
    TextParam value = p.text(2);
    // The data are the text with its NUL.
    result = RegSetValueExA(session.key(), name.c_str(), 0, REG_SZ, Bytes(value.c_str()), value.size() + 1);
  } else {
    DWORD value = static_cast<DWORD>(p.integer(2));
    result = RegSetValueExA(session.key(), name.c_str(), 0, REG_DWORD, Bytes(&value), sizeof value);
  }
  ReturnRegistryOutcome(RegistryResult(result));
}

void FRGetRegValue(ParamBlock* block) {
  Params p(block);
  uint8_t type = p.type(2);
  if (type != kTypeChar && type != kTypeInt) RaiseTypeError();
  TextParam name = p.text(1);
  RegistrySession& session = Registry();
  if (type == kTypeChar) {
    char buffer[kRegistryTextLimit + 1] = {};
    DWORD size = sizeof buffer;
    bool found = !RefuseName(name) && session.ensureOpen(false) &&
                 RegistryResult(RegQueryValueExA(session.key(), name.c_str(), nullptr, nullptr,
                                                 reinterpret_cast<BYTE*>(buffer), &size)) &&
                 size <= kRegistryTextLimit;
    if (!found) {
      // A longer default is cut to what the buffer holds, between two
      // characters: never half of a Chinese character at the end.
      TextParam fallback = p.text(2);
      const std::string_view text = fallback.view();
      return ReturnText(text.substr(0, CharBoundaryAtOrBefore(AnsiLeadBytes(), text, kRegistryTextLimit)));
    }
    buffer[size] = '\0';
    return ReturnText(buffer);
  }
  DWORD value = 0;
  DWORD size = sizeof value;
  bool found = !RefuseName(name) && session.ensureOpen(false) &&
               RegistryResult(RegQueryValueExA(session.key(), name.c_str(), nullptr, nullptr,
                                               reinterpret_cast<BYTE*>(&value), &size));
  ReturnInt(found ? static_cast<int32_t>(value) : p.integer(2));
}

void FRDeleteValue(ParamBlock* block) {
  Params p(block);
  TextParam name = p.text(1);
  if (RefuseName(name)) return ReturnRegistryOutcome(false);
  RegistrySession& session = Registry();
  if (!session.ensureOpen(false)) return ReturnRegistryOutcome(false);
  ReturnRegistryOutcome(RegistryResult(RegDeleteValueA(session.key(), name.c_str())));
}

void FRDeleteKey(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnRegistryOutcome(false);
  TextParam subKey = p.text(1);
  if (RefuseName(subKey)) return ReturnRegistryOutcome(false);
  RegistrySession& session = Registry();
  if (!session.ensureOpen(false)) return ReturnRegistryOutcome(false);
  ReturnRegistryOutcome(RegistryResult(RegDeleteKeyA(session.key(), subKey.c_str())));
}

}  // namespace larch
