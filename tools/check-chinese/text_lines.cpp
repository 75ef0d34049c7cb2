// larch-text-lines FUNCTION IN OUT [INTEGER]
// Calls FUNCTION(line [, INTEGER]) of the library next to this program for
// every line of IN (bytes, separated by LF) and writes one result per line
// to OUT. A call that raises a host error writes "#ERROR n".
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "host_emulator.h"

int main(int argc, char** argv) {
  using larch::host::Arg;
  using larch::host::Value;
  if (argc != 4 && argc != 5) {
    std::cerr << "usage: larch-text-lines FUNCTION IN OUT [INTEGER]\n";
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  std::ofstream out(argv[3], std::ios::binary);
  if (!in || !out) {
    std::cerr << "larch-text-lines: cannot open " << (in ? argv[3] : argv[2]) << "\n";
    return 2;
  }
  larch::host::HostEmulator host;
  if (!host.loaded()) {
    std::cerr << "larch-text-lines: the library did not load\n";
    return 2;
  }
  std::string line;
  while (std::getline(in, line)) {
    std::vector<Arg> args = {Value::Text(line)};
    if (argc == 5) args.push_back(Value::Int(std::atoi(argv[4])));
    larch::host::CallResult r = host.call(argv[1], args);
    if (r.error != 0) {
      out << "#ERROR " << r.error << "\n";
    } else {
      out << r.value.text << "\n";
    }
  }
  return 0;
}
