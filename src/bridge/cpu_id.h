// Processor identity text, built from the CPUID instruction.
#pragma once

#include <cstdint>
#include <string>

namespace larch {

struct CpuIdWords {
  char vendor[13];      // leaf 0: EBX, EDX, ECX
  uint32_t features;    // leaf 1 EDX
  uint32_t signature;   // leaf 1 EAX
  uint32_t serialHigh;  // leaf 3 EDX
  uint32_t serialLow;   // leaf 3 ECX
};

CpuIdWords ReadCpuId();
// "vendor-FFFFFFFF-SSSSSSSS-HHHHHHHH-LLLLLLLL"
std::string FormatCpuId(const CpuIdWords& words);

}  // namespace larch
