#include "tests/ui/process_log.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include "diag/log.h"
#include "platform/command_line.h"
#include "tests/support/run_program.h"

namespace testing_support {
namespace {

// Turns the log on before the first test creates it.
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

LogSlice::LogSlice() {
  const std::string& file = Log::Instance().FileName();
  lock_ = open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  flock(lock_, LOCK_EX);
  start_ = ReadFile(file).size();
}

LogSlice::~LogSlice() {
  close(lock_);
}

std::string LogSlice::Text() const {
  std::string text = ReadFile(Log::Instance().FileName());
  return start_ < text.size() ? text.substr(start_) : "";
}

bool InOrder(const std::string& text, const std::initializer_list<std::string>& pieces) {
  size_t at = 0;
  for (const std::string& piece : pieces) {
    at = text.find(piece, at);
    if (at == std::string::npos)
      return false;
    at += piece.size();
  }
  return true;
}

}  // namespace testing_support
