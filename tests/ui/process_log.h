// The process-wide log of the test binary, on at TRACE and writing to "<binary>.log". Tests
// that read it hold a LogSlice: it serialises them across the binary's processes (CTest runs
// each test in a process of its own, several at a time) and reads what was written since.
#pragma once

#include <string>

namespace testing_support {

class LogSlice {
 public:
  LogSlice();
  ~LogSlice();
  LogSlice(const LogSlice&) = delete;
  LogSlice& operator=(const LogSlice&) = delete;
  std::string Text() const;  // what the log file got since this slice began

 private:
  int lock_ = -1;
  size_t start_ = 0;
};

// True when `pieces` occur in `text` in this order.
bool InOrder(const std::string& text, const std::initializer_list<std::string>& pieces);

}  // namespace testing_support
