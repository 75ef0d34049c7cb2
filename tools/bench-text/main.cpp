// larch-bench-text convert FILE OUT   time KVBig5ToGb2312 on a file's bytes
// larch-bench-text match PATTERN N... time KVIsMatchString on N bytes of "a"
// Prints one line per measurement: the name, the size and the seconds of
// the fastest of a few runs (each run one call through the host emulator).
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "host_emulator.h"

namespace {

using larch::host::CallResult;
using larch::host::HostEmulator;
using larch::host::Value;
using Clock = std::chrono::steady_clock;

template <typename Call>
double Fastest(int runs, Call call) {
  double best = 1e300;
  for (int k = 0; k < runs; ++k) {
    const Clock::time_point start = Clock::now();
    call();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

int Convert(HostEmulator& host, const char* inPath, const char* outPath) {
  std::ifstream in(inPath, std::ios::binary);
  if (!in) {
    std::cerr << "larch-bench-text: cannot open " << inPath << "\n";
    return 2;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string result;
  const double seconds = Fastest(3, [&] {
    CallResult r = host.call("KVBig5ToGb2312", {Value::Text(text)});
    result = r.value.text;
  });
  std::ofstream(outPath, std::ios::binary) << result;
  std::cout << "convert " << text.size() << " " << seconds << "\n";
  return 0;
}

int Match(HostEmulator& host, int argc, char** argv) {
  const std::string pattern = argv[2];
  for (int i = 3; i < argc; ++i) {
    const std::string text(static_cast<size_t>(std::atol(argv[i])), 'a');
    bool matched = true;
    const double seconds = Fastest(5, [&] {
      matched = host.call("KVIsMatchString", {Value::Text(text), Value::Text(pattern)}).value.logical;
    });
    std::cout << "match " << text.size() << " " << seconds << " " << (matched ? "T" : "F") << "\n";
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  HostEmulator host;
  if (!host.loaded()) {
    std::cerr << "larch-bench-text: the library did not load\n";
    return 2;
  }
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "convert" && argc == 4) return Convert(host, argv[2], argv[3]);
  if (mode == "match" && argc >= 4) return Match(host, argc, argv);
  std::cerr << "usage: larch-bench-text convert FILE OUT | match PATTERN N...\n";
  return 2;
}
