#include "tests/robustness/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <stdexcept>

namespace robustness {
namespace {

void Redirect(const std::string& path, int target, int flags) {
  int fd = open(path.c_str(), flags, 0644);
  if (fd < 0 || dup2(fd, target) < 0)
    _exit(127);
  close(fd);
}

[[noreturn]] void Exec(const ChildOptions& o) {
  Redirect("/dev/null", 0, O_RDONLY);
  Redirect(o.outFile, 1, O_WRONLY | O_CREAT | O_TRUNC);
  Redirect(o.errFile, 2, O_WRONLY | O_CREAT | O_TRUNC);
  if (!o.cwd.empty() && chdir(o.cwd.c_str()) != 0)
    _exit(127);
  if (o.fileSizeLimit >= 0) {
    rlimit limit{rlim_t(o.fileSizeLimit), rlim_t(o.fileSizeLimit)};
    signal(SIGXFSZ, SIG_IGN);  // an ignored signal stays ignored across exec
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
      _exit(127);
  }
  unsetenv("logging");
  for (const auto& name : o.unset)
    unsetenv(name.c_str());
  for (const auto& [name, value] : o.env)
    setenv(name.c_str(), value.c_str(), 1);
  std::vector<std::string> args = o.args;
  args.insert(args.begin(), o.program);
  if (!o.peakMemoryFile.empty())
    args.insert(args.begin(), {"/usr/bin/time", "-q", "-f", "%M", "-o", o.peakMemoryFile});
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const ChildOptions& options)
    : m_strPeakMemoryFile(options.peakMemoryFile) {
  m_nPid = fork();
  if (m_nPid < 0)
    throw std::runtime_error("fork failed");
  if (m_nPid == 0)
    Exec(options);
}

ChildProcess::~ChildProcess() {
  if (!m_bEnded) {
    Kill();
    Wait();
  }
}

bool ChildProcess::Running() {
  if (m_bEnded)
    return false;
  int status = 0;
  if (waitpid(m_nPid, &status, WNOHANG) == m_nPid)
    Reaped(status);
  return !m_bEnded;
}

void ChildProcess::Signal(int signal) {
  if (!m_bEnded)
    kill(m_nPid, signal);
}

int ChildProcess::Wait() {
  while (!m_bEnded) {
    int status = 0;
    pid_t pid = waitpid(m_nPid, &status, 0);
    if (pid == m_nPid) {
      Reaped(status);
    } else if (pid < 0 && errno != EINTR) {
      m_bEnded = true;  // not our child any more: nothing to learn
    }
  }
  return m_nExitCode;
}

long ChildProcess::PeakMemoryKiB() const {
  std::ifstream in(m_strPeakMemoryFile);
  long peak = -1;
  return in >> peak ? peak : -1;
}

void ChildProcess::Reaped(int status) {
  m_bEnded = true;
  if (WIFEXITED(status)) {
    m_nExitCode = static_cast<signed char>(WEXITSTATUS(status));
  } else if (WIFSIGNALED(status)) {
    m_nExitCode = -100 - WTERMSIG(status);
  }
}

}  // namespace robustness
