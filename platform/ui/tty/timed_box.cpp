#include "platform/ui/tty/timed_box.h"

#include <unistd.h>

#include <algorithm>

#include "platform/ui/tty/terminal.h"
#include "platform/ui/tty/terminal_text.h"

namespace platform::ui::tty {
namespace {

constexpr int64_t kTickMs = 1000;

class TerminalTimedBox : public TimedBox {
 public:
  explicit TerminalTimedBox(std::string caption) : caption_(std::move(caption)) {}

  void SetCaption(const std::string& caption) override {
    caption_ = caption;
    DrawCaption();
  }
  void StopTimer() override { timerRunning_ = false; }
  void EndWith(int result) override {
    ended_ = true;
    result_ = result;
  }

  int Run(TimedBoxHandler& handler) {
    TerminalInput input;
    input.KeysWithoutEnter();
    DrawCaption();
    for (int64_t nextTick = NowMs() + kTickMs; !ended_;) {
      int timeout = timerRunning_ ? static_cast<int>(std::max<int64_t>(0, nextTick - NowMs())) : -1;
      std::string keys;
      TerminalInput::Wait wait = input.WaitForKeys(timeout, &keys);
      if (wait == TerminalInput::Wait::kKeys) {
        handler.OnInput(*this);
        if (keys.find_first_of("\r\n") != std::string::npos)
          EndWith(IDOK);
      } else if (wait == TerminalInput::Wait::kEnd) {
        if (!timerRunning_)
          EndWith(IDOK);
      } else if (timerRunning_ && NowMs() >= nextTick) {
        nextTick += kTickMs;
        handler.OnTick(*this);
      }
    }
    WriteAll(STDERR_FILENO, "\r\n");
    return result_;
  }

 private:
  // The caption line, rewritten in place; cut to the screen so that it never wraps.
  void DrawCaption() {
    std::string line = caption_ + "  [Enter: OK]";
    std::string out = "\r";
    out += TerminalLine(line, std::max(1, ScreenColumns() - 1));
    out += "\x1b[K";
    WriteAll(STDERR_FILENO, out);
  }

  std::string caption_;
  bool timerRunning_ = true;
  bool ended_ = false;
  int result_ = IDOK;
};

}  // namespace

int RunTimedBox(const std::string& text, TimedBoxHandler& handler) {
  std::string shown = TerminalText(text);
  if (shown.empty() || shown.back() != '\n')
    shown += '\n';
  WriteAll(STDERR_FILENO, shown);
  TerminalTimedBox box(handler.FirstCaption());
  return box.Run(handler);
}

}  // namespace platform::ui::tty
