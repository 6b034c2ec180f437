// The process-wide log of the test binary, on at TRACE and writing to "<binary>.log". Tests
// that read it hold a LogSlice: it serialises them across the binary's processes (CTest runs
// each test in a process of its own, several at a time) and reads what was written since.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "diag/log.h"
#include "tests/support/run_program.h"

namespace testing_support {

class LogSlice {
 public:
  LogSlice() {
    lock_ =
        open((Log::Instance().FileName() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    flock(lock_, LOCK_EX);
    start_ = ReadFile(Log::Instance().FileName()).size();
  }
  ~LogSlice() { close(lock_); }
  LogSlice(const LogSlice&) = delete;
  LogSlice& operator=(const LogSlice&) = delete;
  std::string Text() const {  // what the log file got since this slice began
    std::string text = ReadFile(Log::Instance().FileName());
    return start_ < text.size() ? text.substr(start_) : "";
  }

 private:
  int lock_ = -1;
  size_t start_ = 0;
};

// True when `pieces` occur in `text` in this order.
inline bool InOrder(const std::string& text, const std::initializer_list<std::string>& pieces) {
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
