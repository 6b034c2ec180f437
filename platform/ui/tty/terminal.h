// The terminal as the tty backend uses it: drawing and prompts go to standard error; answers are
// read from the controlling terminal (/dev/tty), or from standard input when that is a terminal.
#pragma once

#include <termios.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::ui::tty {

// Writes every byte to the descriptor; errors are ignored (a closed terminal shows nothing).
void WriteAll(int fd, std::string_view bytes);

// The width of the terminal on standard error; 80 when it reports none.
int ScreenColumns();

// Milliseconds of the monotonic clock. The coarse one costs no system call and advances in
// steps of CoarseStepMs().
int64_t NowMs();
int64_t CoarseNowMs();
int64_t CoarseStepMs();

// The terminal input for one prompt or box.
class TerminalInput {
 public:
  // Opens /dev/tty, else uses standard input when it is a terminal; else there is no input.
  TerminalInput();
  // Restores the terminal mode when KeysWithoutEnter changed it.
  ~TerminalInput();
  TerminalInput(const TerminalInput&) = delete;
  TerminalInput& operator=(const TerminalInput&) = delete;

  bool IsOpen() const { return fd_ >= 0; }

  // On success stores one line typed by the user, without its line end, and returns true.
  // Returns false at the end of input or when there is no input.
  bool ReadLine(std::string* line);

  // From now on each key arrives at once, without echo; Ctrl-C is then a key like any other.
  void KeysWithoutEnter();

  enum class Wait { kNothing, kKeys, kEnd };
  // Waits up to `timeoutMs` (-1: without limit) for keys. kKeys stores them; kNothing means the
  // time ran out or a signal came; kEnd means there is no input (any more).
  Wait WaitForKeys(int timeoutMs, std::string* keys);

 private:
  void Close();

  int fd_ = -1;
  bool owned_ = false;
  bool modeChanged_ = false;
  struct termios savedMode_ = {};
};

}  // namespace platform::ui::tty
