// Service calls to the host and the result routines built on them.
#include "bridge/host.h"

#include <windows.h>

#include <cstring>

#include "bridge/state.h"
#include "bridge/values.h"
#include "bridge/win_handles.h"

namespace larch {

uint32_t CallHost(uint32_t operation, uint32_t arg1, uint32_t arg2, uint32_t arg3) {
  ServiceRecord record{};
  record.arg1 = arg1;
  record.arg2 = arg2;
  record.arg3 = arg3;
  record.operation = operation;
  record.zero = 0;
  if (!Bridge().callback) throw HostErrorRaised{0};
  CallForeign(Bridge().callback, Address(&record), 0);
  if (record.operation == kRaiseError || record.operation == kRaiseErrorAlt) {
    throw HostErrorRaised{static_cast<int>(record.arg1)};
  }
  return record.arg1;
}

void RaiseError(int number) {
  CallHost(kRaiseError, static_cast<uint32_t>(number));
  // A host that cleared the mark still gets the function abandoned.
  throw HostErrorRaised{number};
}

void ReturnValue(const HostValue& value) { CallHost(kReturnValue, Address(&value)); }

void ReturnText(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  MemHandle h = NewTextBlock(text, true);
  if (!h) return;  // nothing is sent when no block can be had
  ReturnValue(TextValue(kTypeHandedText, h, static_cast<uint32_t>(text.size())));
}

void ReturnBytes(std::string_view bytes) {
  UniqueHostBlock block(NewTextBlock(bytes, true));
  if (!block) RaiseMemoryError();
  ReturnValue(TextValue(kTypeChar, block.get(), static_cast<uint32_t>(bytes.size())));
}

void ReturnInt(int32_t value, uint16_t width) { ReturnValue(IntValue(value, width)); }
void ReturnLogical(bool flag) { ReturnValue(LogicalValue(flag)); }

void ExecuteCommand(const char* commandLine) { CallHost(kExecuteCommand, Address(commandLine)); }

namespace {

// Copies a character value's bytes and frees its block, which the host
// handed to the library.
std::string TakeText(const HostValue& v) {
  if (v.type != kTypeChar || v.handle == 0) return {};
  UniqueHostBlock block(v.handle);
  std::string text;
  HandleLock lock(v.handle);
  if (lock.data()) text.assign(lock.data(), v.length);
  return text;
}

// Evaluates an expression.
Evaluated EvaluateExpr(const char* expression) {
  Evaluated result;
  CallHost(kEvaluateExpr, Address(&result.raw), Address(expression));
  result.type = result.raw.type;
  result.text = TakeText(result.raw);
  return result;
}

}  // namespace

Evaluated ReadAppIdentity() { return EvaluateExpr("_screen.tag"); }

LoadedValue LoadValue(HostVarRef& ref) {
  LoadedValue result;
  CallHost(kLoadValue, Address(&ref), Address(&result.raw));
  result.text = TakeText(result.raw);
  return result;
}

void StoreValue(HostVarRef& ref, const HostValue& value) {
  RaiseIfNegative(CallHost(kStoreValue, Address(&ref), Address(&value)));
}

namespace {

// Stores a character value from a block of the library's own, freed after.
uint32_t SendText(HostVarRef& ref, std::string_view bytes) {
  UniqueHostBlock block(NewTextBlock(bytes, false));
  if (!block) RaiseMemoryError();
  HostValue value = TextValue(kTypeChar, block.get(), static_cast<uint32_t>(bytes.size()));
  return CallHost(kStoreValue, Address(&ref), Address(&value));
}

}  // namespace

void StoreText(HostVarRef& ref, std::string_view bytes) { RaiseIfNegative(SendText(ref, bytes)); }
void StoreTextUnchecked(HostVarRef& ref, std::string_view bytes) { SendText(ref, bytes); }

void* HostMainWindow() {
  uint32_t window = CallHost(kPlatformWindowOf, CallHost(kCurrentWindowId, 0));
  if (window == 0) window = CallHost(kPlatformWindowOf, CallHost(kFallbackWindowId, 0, 1));
  return reinterpret_cast<void*>(static_cast<uintptr_t>(window));
}

}  // namespace larch
