#include "tests/support/pty_session.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>

namespace testing_support {

PtySession::PtySession(const RunOptions& options, int columns) {
  PreparedCommand command(options);
  struct winsize size = {};
  size.ws_row = 24;
  size.ws_col = static_cast<unsigned short>(columns);
  pid_ = forkpty(&master_, nullptr, nullptr, &size);
  if (pid_ == 0)
    command.Exec();
}

PtySession::~PtySession() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (master_ >= 0)
    close(master_);
}

bool PtySession::ReadSome(int milliseconds) {
  struct pollfd fd = {master_, POLLIN, 0};
  if (poll(&fd, 1, milliseconds) <= 0)
    return true;
  char buffer[4096];
  ssize_t got = read(master_, buffer, sizeof buffer);
  if (got <= 0)
    return false;  // EIO: the program's side of the terminal is closed
  output_.append(buffer, static_cast<size_t>(got));
  return true;
}

size_t PtySession::WaitFor(const std::string& text, size_t from) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (;;) {
    size_t found = output_.find(text, from);
    if (found != std::string::npos)
      return found;
    if (std::chrono::steady_clock::now() > end || !ReadSome(100))
      return output_.find(text, from);
  }
}

void PtySession::ReadFor(int milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end && ReadSome(10)) {
  }
}

void PtySession::Type(const std::string& keys) {
  [[maybe_unused]] ssize_t written = write(master_, keys.data(), keys.size());
}

int PtySession::Finish() {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < end && ReadSome(100)) {
  }
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end)
      kill(pid_, SIGKILL);
    usleep(10000);
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -100 - WTERMSIG(status);
}

std::string WithoutControlSequences(const std::string& text) {
  std::string plain;
  for (size_t at = 0; at < text.size(); ++at) {
    if (text.compare(at, 2, "\x1b[") != 0) {
      plain += text[at];
      continue;
    }
    at += 2;
    while (at < text.size() && !isalpha(static_cast<unsigned char>(text[at])))
      ++at;
  }
  return plain;
}

}  // namespace testing_support
