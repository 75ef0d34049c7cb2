// Command lines of any bytes through the shell's interpreter, structured
// commands, #DEFINE and macros included: never a crash, a hang or a read
// past the text. The host keeps variables in
// memory, has no library and touches no file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "interpreter.h"
#include "memory_shell_host.h"

namespace {

using namespace larch::host;

// No file is read or written, whatever the command line says.
class FuzzHost : public MemoryShellHost {
 public:
  bool readFile(const std::string&, std::string*, bool*) override { return false; }
  bool writeFile(const std::string&, const std::string&, bool) override { return false; }
  bool fileExists(const std::string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHost host;
  Interpreter shell(host);
  // A loop that never ends is the input's to write, not the fuzzer's to wait for.
  shell.setStepLimit(10000);
  // A few lines that leave variables and arrays for the input to use.
  shell.feed("DIMENSION a(2, 2)");
  shell.feed("s = \"text\"");
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  while (start <= input.size()) {
    size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    if (!shell.feed(input.substr(start, end - start))) break;
    start = end + 1;
  }
  shell.finish();
  return 0;
}
