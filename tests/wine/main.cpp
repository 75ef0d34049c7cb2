// Every test runs with the handle-table audit turned into a test failure.
#include <gtest/gtest.h>

#include "host_emulator.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  larch::host::HostEmulator::auditHandler() = [](const std::string& finding) {
    ADD_FAILURE() << "handle audit: " << finding;
  };
  return RUN_ALL_TESTS();
}
