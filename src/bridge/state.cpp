// The addresses the host handed over, and the call through such an address.
#include "bridge/state.h"

namespace larch {

BridgeState& Bridge() {
  static BridgeState state;
  return state;
}

// Calls a foreign function with one or two 32-bit arguments so that it works
// whether it was declared cdecl, stdcall or fastcall: the arguments go both
// in ECX/EDX and on the stack, and the stack pointer is put back afterwards.
// The frame pointer keeps the unwinder's view of this frame valid while the
// stack pointer is moved by hand.
// clang-format off
__attribute__((noinline, optimize("no-omit-frame-pointer")))
uint32_t CallForeign(uint32_t function, uint32_t a, uint32_t b) {
  uint32_t result;
  asm volatile(
      "movl %%esp, %%esi\n\t"
      "pushl %3\n\t"
      "pushl %2\n\t"
      "movl %2, %%ecx\n\t"
      "movl %3, %%edx\n\t"
      "call *%1\n\t"
      "movl %%esi, %%esp\n\t"
      : "=a"(result)
      : "r"(function), "r"(a), "r"(b)
      : "ecx", "edx", "esi", "memory", "cc");
  return result;
}
// clang-format on

}  // namespace larch
