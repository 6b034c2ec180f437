// A program run on a pseudo-terminal of its own, as a person at a terminal would run it: the
// test reads what it draws and types keys (Ctrl-C included, as the terminal turns it into
// SIGINT).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/run_program.h"

namespace testing_support {

class PtySession {
 public:
  // Starts the command on a terminal `columns` wide, which is its standard streams.
  explicit PtySession(const RunOptions& options, int columns = 80);
  // Kills the program when it still runs.
  ~PtySession();
  PtySession(const PtySession&) = delete;
  PtySession& operator=(const PtySession&) = delete;

  // Reads until `text` shows up at or after `from`; returns where it starts, or npos when it did
  // not come within 20 seconds or the program ended without it.
  size_t WaitFor(const std::string& text, size_t from = 0);
  // Reads what comes for `milliseconds`.
  void ReadFor(int milliseconds);
  void Type(const std::string& keys);
  // Reads to the end and returns the exit code (-100 - signal when killed by a signal).
  int Finish();
  const std::string& Output() const { return output_; }

 private:
  // Reads what arrives within `milliseconds`; false once the program's side is closed.
  bool ReadSome(int milliseconds);

  pid_t pid_ = -1;
  int master_ = -1;
  std::string output_;
};

// `text` without its ANSI control sequences (ESC [ ... letter).
std::string WithoutControlSequences(const std::string& text);

}  // namespace testing_support
