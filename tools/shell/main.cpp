// larch-shell: a command window in the host's own syntax, for trying the
// library without the host. Reads script files given as arguments, or
// standard input, one command per line.
#include <fstream>
#include <iostream>
#include <string>

#include "host_emulator.h"
#include "interpreter.h"

namespace {

void RunStream(larch::host::HostEmulator& host, std::istream& in, bool prompt) {
  std::string line;
  for (;;) {
    if (prompt) std::cout << ". " << std::flush;
    if (!std::getline(in, line)) break;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (larch::host::UpperCase(line) == "QUIT") break;
    host.interpreter().run(line);
  }
}

}  // namespace

int main(int argc, char** argv) {
  larch::host::HostOptions options;  // no library until SET LIBRARY TO
  larch::host::HostEmulator host(options);
  if (argc < 2) {
    RunStream(host, std::cin, false);
    return 0;
  }
  for (int i = 1; i < argc; ++i) {
    std::ifstream file(argv[i], std::ios::binary);
    if (!file) {
      std::cerr << "larch-shell: cannot open " << argv[i] << "\n";
      return 2;
    }
    RunStream(host, file, false);
  }
  return 0;
}
