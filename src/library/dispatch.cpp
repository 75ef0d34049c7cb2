// The library's entry points: DllMain, which the system calls, and
// DispatchAPI, the one export the host calls. Every dispatch operation runs
// inside an error frame: a host error raised while a library function runs
// abandons that function and makes this DispatchAPI call return 0. Nested
// calls (a host command that calls the library again) each catch their own
// errors.
#include <windows.h>

#include "bridge/handles.h"
#include "bridge/host.h"
#include "bridge/lifecycle.h"
#include "bridge/state.h"
#include "library/function_table.h"

namespace larch {
namespace {

void SlotAdd(DispatchRecord* r) {
  SlotTable* t = Bridge().slots;
  uint32_t index = 0;
  if (t) {
    while (t->hint < t->capacity && t->entries[t->hint] != 0) ++t->hint;
    if (t->hint < t->capacity) {
      index = t->hint;
      ++t->used;
      t->entries[index] = r->word0;
    }
  }
  r->word0 = index;
}

void SlotRemove(uint32_t i) {
  SlotTable* t = Bridge().slots;
  if (!t || i == 0 || i >= t->capacity || t->entries[i] == 0) return;
  --t->used;
  t->entries[i] = 0;
  if (i < t->hint) t->hint = static_cast<uint16_t>(i);
}

uint32_t SlotGet(uint32_t i) {
  SlotTable* t = Bridge().slots;
  if (!t || i == 0 || i >= t->capacity) return 0;
  return t->entries[i];
}

void Perform(DispatchRecord* r) {
  switch (r->operation) {
    case kOpAttach:
      Bridge().handles = reinterpret_cast<HandleTable*>(static_cast<uintptr_t>(r->word0));
      Bridge().slots = reinterpret_cast<SlotTable*>(static_cast<uintptr_t>(r->word4));
      Bridge().callback = r->function;
      [[fallthrough]];
    case kOpGetTable:
      r->word4 = kInterfaceVersion;
      r->word0 = Address(PublishedTable());
      break;
    case kOpCallParams:
      if (r->function) CallForeign(r->function, Address(r->arguments), 0);
      break;
    case kOpAlloc: r->word0 = AllocHandle(r->word0, static_cast<uint16_t>(r->word4)); break;
    case kOpFree: FreeHandle(r->word0); break;
    case kOpAddress: r->word0 = Address(HandleAddress(r->word0)); break;
    case kOpCallPair:
      if (r->function) CallForeign(r->function, r->word0, r->word4);
      break;
    case kOpCallValue:
      if (r->function) r->word0 = CallForeign(r->function, r->word0, Address(r->arguments));
      break;
    case kOpSlotAdd: SlotAdd(r); break;
    case kOpSlotRemove: SlotRemove(r->word0); break;
    case kOpSlotGet: r->word0 = SlotGet(r->word0); break;
    default: break;  // unknown operations leave the record untouched
  }
}

// Reports a failure that is not already a host error as "out of memory".
void RaiseMemoryErrorQuietly() {
  try {
    RaiseMemoryError();
  } catch (const HostErrorRaised&) {
  }
}

}  // namespace
}  // namespace larch

extern "C" __declspec(dllexport) int __fastcall DispatchAPI(larch::DispatchRecord* record) {
  using namespace larch;
  if (!record) return 0;
  try {
    Perform(record);
  } catch (const HostErrorRaised&) {
    // The host already knows; the function is abandoned.
  } catch (...) {
    RaiseMemoryErrorQuietly();
  }
  return 0;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    larch::RecordLibraryModule(instance);
  }
  return TRUE;
}
