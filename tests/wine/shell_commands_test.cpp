// The shell's interpreter over the real host emulator and larch.dll:
// loading and releasing the library by command, and calls that print.
#include <gtest/gtest.h>

#include "interpreter.h"
#include "test_support.h"

namespace larch::test {
namespace {

using Lines = std::vector<std::string>;

class ShellCommands : public testing::Test {
 protected:
  ShellCommands() {
    emu.print = [this](const std::string& line) { printed.push_back(line); };
  }

  Lines Run(const Lines& lines) {
    printed.clear();
    for (const std::string& line : lines) emu.interpreter().feed(line);
    emu.interpreter().finish();
    return printed;
  }

  HostEmulator emu;
  Lines printed;
};

TEST_F(ShellCommands, AFailedLoadKeepsTheLibrary) {
  ASSERT_TRUE(emu.loaded());
  EXPECT_EQ(Run({"SET LIBRARY TO no-such-library.dll", "? LEN(KVGetGUID())"}),
            (Lines{"File 'no-such-library.dll' does not exist.", "36"}));
  EXPECT_TRUE(emu.loaded());
}

TEST_F(ShellCommands, ReleasedAndLoadedAgainByCommand) {
  EXPECT_EQ(Run({"SET LIBRARY TO", "? KVGetGUID()"}), (Lines{"Function 'KVGETGUID' is not found."}));
  EXPECT_FALSE(emu.loaded());
  EXPECT_EQ(Run({"SET LIBRARY TO larch.dll ADDITIVE", "? LEN(KVGetGUID())"}), (Lines{"36"}));
  EXPECT_TRUE(emu.loaded());
  EXPECT_EQ(Run({"RELEASE LIBRARY larch", "? KVGetGUID()"}), (Lines{"Function 'KVGETGUID' is not found."}));
  EXPECT_FALSE(emu.loaded());
}

TEST_F(ShellCommands, CallsWithVariablesByReference) {
  EXPECT_EQ(Run({"s = \"!dlrow ,olleH\"", "KVStrRev(@s)", "? s, LEN(s)", "? KVStrRev(@nosuch)"}),
            (Lines{"Hello, world! 13", "Variable 'NOSUCH' is not found."}));
}

}  // namespace
}  // namespace larch::test
