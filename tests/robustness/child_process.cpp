#include "tests/robustness/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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
  std::string program = o.program;
  std::vector<char*> argv{program.data()};
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const ChildOptions& options) {
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
  rusage usage{};
  if (wait4(m_nPid, &status, WNOHANG, &usage) == m_nPid)
    Reaped(status, usage.ru_maxrss);
  return !m_bEnded;
}

void ChildProcess::Kill() {
  if (!m_bEnded)
    kill(m_nPid, SIGKILL);
}

int ChildProcess::Wait() {
  while (!m_bEnded) {
    int status = 0;
    rusage usage{};
    pid_t pid = wait4(m_nPid, &status, 0, &usage);
    if (pid == m_nPid) {
      Reaped(status, usage.ru_maxrss);
    } else if (pid < 0 && errno != EINTR) {
      m_bEnded = true;  // not our child any more: nothing to learn
    }
  }
  return m_nExitCode;
}

void ChildProcess::Reaped(int status, long peakKiB) {
  m_bEnded = true;
  m_nPeakKiB = peakKiB;
  if (WIFEXITED(status)) {
    m_nExitCode = static_cast<signed char>(WEXITSTATUS(status));
  } else if (WIFSIGNALED(status)) {
    m_nExitCode = -100 - WTERMSIG(status);
  }
}

}  // namespace robustness
