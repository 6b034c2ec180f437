// Turns the log of the test binary on (see process_log.h) before the first test creates it.
#include "tests/support/process_log.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/command_line.h"

namespace {

class ProcessLogOn : public ::testing::Environment {
 public:
  void SetUp() override {
    unsetenv("logging");
    platform::GetCommandLine() = "prog /Logging:101";
    Log::Instance();
  }
};

[[maybe_unused]] ::testing::Environment* const g_processLogOn =
    ::testing::AddGlobalTestEnvironment(new ProcessLogOn);

}  // namespace
