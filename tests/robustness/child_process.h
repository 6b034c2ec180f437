// The program started in the background, for the tests that need more than a run to its end: a
// limit on the size of the files it writes, a kill at a chosen moment, its peak memory.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace robustness {

struct ChildOptions {
  std::string program;
  std::vector<std::string> args;
  std::map<std::string, std::string> env;  // set on top of the test's environment
  std::vector<std::string> unset;          // removed from it
  std::string cwd;
  std::string outFile = "/dev/null";  // standard output and standard error go to these files
  std::string errFile = "/dev/null";
  long long fileSizeLimit = -1;  // RLIMIT_FSIZE in bytes, with SIGXFSZ ignored; -1: none
};

class ChildProcess {
 public:
  // Starts the program; standard input is /dev/null.
  explicit ChildProcess(const ChildOptions& options);
  // Kills and reaps a child that is still running.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // True while the program has not ended (reaps it when it has).
  bool Running();
  void Kill();
  // Waits for the end. The exit code as a signed byte (-1 for 255), or -100 - signal.
  int Wait();
  // The child's peak resident memory in KiB, once it has ended.
  long PeakMemoryKiB() const { return m_nPeakKiB; }

 private:
  void Reaped(int status, long peakKiB);

  pid_t m_nPid = -1;
  bool m_bEnded = false;
  int m_nExitCode = -1000;
  long m_nPeakKiB = 0;
};

}  // namespace robustness
