#include "platform/ui/tty/terminal.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

namespace platform::ui::tty {
namespace {

int64_t Milliseconds(clockid_t clock) {
  struct timespec now = {};
  clock_gettime(clock, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      return;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

int ScreenColumns() {
  struct winsize size = {};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0)
    return 80;
  return size.ws_col;
}

int64_t NowMs() {
  return Milliseconds(CLOCK_MONOTONIC);
}

int64_t CoarseNowMs() {
  return Milliseconds(CLOCK_MONOTONIC_COARSE);
}

int64_t CoarseStepMs() {
  static const int64_t step = [] {
    struct timespec resolution = {};
    clock_getres(CLOCK_MONOTONIC_COARSE, &resolution);
    return static_cast<int64_t>(resolution.tv_sec) * 1000 + (resolution.tv_nsec + 999999) / 1000000;
  }();
  return step;
}

TerminalInput::TerminalInput() {
  fd_ = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  owned_ = fd_ >= 0;
  if (fd_ < 0 && isatty(STDIN_FILENO))
    fd_ = STDIN_FILENO;
}

TerminalInput::~TerminalInput() {
  Close();
}

void TerminalInput::Close() {
  if (modeChanged_)
    tcsetattr(fd_, TCSAFLUSH, &savedMode_);
  if (owned_)
    close(fd_);
  fd_ = -1;
  owned_ = modeChanged_ = false;
}

bool TerminalInput::ReadLine(std::string* line) {
  line->clear();
  bool any = false;
  for (char c = 0; fd_ >= 0;) {
    ssize_t got = read(fd_, &c, 1);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      return any;
    any = true;
    if (c == '\n')
      break;
    *line += c;
  }
  if (!line->empty() && line->back() == '\r')
    line->pop_back();
  return any;
}

void TerminalInput::KeysWithoutEnter() {
  struct termios mode = {};
  if (fd_ < 0 || modeChanged_ || tcgetattr(fd_, &mode) != 0)
    return;
  savedMode_ = mode;
  mode.c_lflag &= ~(ICANON | ECHO | ISIG);
  mode.c_cc[VMIN] = 1;
  mode.c_cc[VTIME] = 0;
  modeChanged_ = tcsetattr(fd_, TCSANOW, &mode) == 0;
}

TerminalInput::Wait TerminalInput::WaitForKeys(int timeoutMs, std::string* keys) {
  if (fd_ < 0) {
    if (timeoutMs < 0)
      return Wait::kEnd;
    poll(nullptr, 0, timeoutMs);
    return Wait::kNothing;
  }
  struct pollfd input = {fd_, POLLIN, 0};
  int ready = poll(&input, 1, timeoutMs);
  if (ready == 0 || (ready < 0 && errno == EINTR))
    return Wait::kNothing;
  char buffer[64];
  ssize_t got = ready < 0 ? -1 : read(fd_, buffer, sizeof buffer);
  if (got < 0 && (errno == EINTR || errno == EAGAIN))
    return Wait::kNothing;
  if (got <= 0) {
    Close();
    return Wait::kEnd;
  }
  keys->assign(buffer, static_cast<size_t>(got));
  return Wait::kKeys;
}

}  // namespace platform::ui::tty
