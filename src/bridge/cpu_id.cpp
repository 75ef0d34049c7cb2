#include "bridge/cpu_id.h"

#include <cpuid.h>

#include <cstdio>
#include <cstring>

namespace larch {

CpuIdWords ReadCpuId() {
  CpuIdWords w{};
  unsigned a = 0, b = 0, c = 0, d = 0;
  __cpuid(0, a, b, c, d);
  std::memcpy(w.vendor, &b, 4);
  std::memcpy(w.vendor + 4, &d, 4);
  std::memcpy(w.vendor + 8, &c, 4);
  w.vendor[12] = '\0';
  __cpuid(1, a, b, c, d);
  w.features = d;
  w.signature = a;
  __cpuid_count(3, 0, a, b, c, d);
  w.serialHigh = d;
  w.serialLow = c;
  return w;
}

std::string FormatCpuId(const CpuIdWords& w) {
  char buffer[100] = {};
  std::snprintf(buffer, sizeof buffer, "%s-%08X-%08X-%08X-%08X", w.vendor, static_cast<unsigned>(w.features),
                static_cast<unsigned>(w.signature), static_cast<unsigned>(w.serialHigh),
                static_cast<unsigned>(w.serialLow));
  return buffer;
}

}  // namespace larch
