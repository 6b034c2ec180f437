// The program started in the background, for the tests that need more than a run to its end: a
// limit on the size of the files it writes, a kill at a chosen moment, its peak memory.
//
// The peak is measured by /usr/bin/time: a process forked from the test starts with the test's
// resident pages counted as its own, and keeps that count across exec; time's child does not.
#pragma once

#include <signal.h>
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
  std::string peakMemoryFile;    // when set, the program runs under /usr/bin/time, which writes
                                 // its peak resident memory there
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
  void Kill() { Signal(SIGKILL); }
  // Sends the signal while the program runs.
  void Signal(int signal);
  // Waits for the end. The exit code as a signed byte (-1 for 255), or -100 - signal.
  int Wait();
  // The program's peak resident memory in KiB, once it has ended under /usr/bin/time; -1 when it
  // was not measured.
  long PeakMemoryKiB() const;

 private:
  void Reaped(int status);

  pid_t m_nPid = -1;
  bool m_bEnded = false;
  int m_nExitCode = -1000;
  std::string m_strPeakMemoryFile;
};

}  // namespace robustness
