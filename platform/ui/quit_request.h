// The quit request of the program's one thread: posted once, kept until the end, never taken by
// the pump (which stops when it sees it).
#pragma once

namespace platform::ui {

class QuitRequest {
 public:
  void Post(int exitCode) {
    posted_ = true;
    exitCode_ = exitCode;
  }
  // True when a request was posted; stores its code when `exitCode` is not null.
  bool IsPosted(int* exitCode) const {
    if (posted_ && exitCode != nullptr)
      *exitCode = exitCode_;
    return posted_;
  }

 private:
  bool posted_ = false;
  int exitCode_ = 0;
};

}  // namespace platform::ui
