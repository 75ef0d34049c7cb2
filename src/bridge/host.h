// The library's side of the host channel: service calls, results, raised
// host errors. The process-wide error code lives in bridge/system_error.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bridge/handles.h"
#include "bridge/records.h"

namespace larch {

// Thrown when the host marks a service record as failed (or when the
// library raises an error itself); DispatchAPI catches it, so the running
// function is abandoned and its scope owners release what they hold.
struct HostErrorRaised {
  int number;
};

// Sends one service request and returns the word the host left at offset 0.
uint32_t CallHost(uint32_t operation, uint32_t arg1 = 0, uint32_t arg2 = 0, uint32_t arg3 = 0);

[[noreturn]] void RaiseError(int number);
[[noreturn]] inline void RaiseTypeError() { RaiseError(kErrorType); }
[[noreturn]] inline void RaiseMemoryError() { RaiseError(kErrorMemory); }
// Services 27-29 answer minus a host error number when they fail.
inline int32_t RaiseIfNegative(uint32_t result) {
  int32_t r = static_cast<int32_t>(result);
  if (r < 0) RaiseError(-r);
  return r;
}

// Results. Each function sends at most one.
void ReturnValue(const HostValue& value);
void ReturnText(std::string_view text);  // type 'H'; stops at an embedded NUL
void ReturnInt(int32_t value, uint16_t width = 10);
void ReturnLogical(bool flag);
// The registry session's functions answer .F. for success and .T. for
// failure, the reverse of every other logical result.
inline void ReturnRegistryOutcome(bool succeeded) { ReturnLogical(!succeeded); }
// Type 'C': the host copies the bytes (which may hold NULs) and the
// library frees its block afterwards.
void ReturnBytes(std::string_view bytes);

// Other services.
void ExecuteCommand(const char* commandLine);
// An evaluated expression; a character result comes back as its text.
struct Evaluated {
  uint8_t type = 0;
  std::string text;  // C: the text
  HostValue raw{};   // as the host filled it
};
// The application identity held in _screen.tag.
Evaluated ReadAppIdentity();

// Variables passed by reference.
struct LoadedValue {
  HostValue raw{};
  std::string text;  // for 'C' values: the bytes, block already freed
};
LoadedValue LoadValue(HostVarRef& ref);
void StoreValue(HostVarRef& ref, const HostValue& value);
void StoreText(HostVarRef& ref, std::string_view bytes);
// For functions that leave a refused store to the host: the service's
// answer is not examined.
void StoreTextUnchecked(HostVarRef& ref, std::string_view bytes);

// The window that owns the library's dialogs (an HWND).
void* HostMainWindow();

}  // namespace larch
