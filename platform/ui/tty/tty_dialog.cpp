#include "platform/ui/tty/tty_dialog.h"

#include <signal.h>

#include <algorithm>

#include "platform/ui/tty/terminal.h"
#include "platform/ui/tty/terminal_text.h"
#include "platform/ui/tty/tty_backend.h"

namespace platform::ui {
namespace {

constexpr int64_t kDrawIntervalMs = 40;  // 25 drawings a second
constexpr char kCancelHint[] = "Press Ctrl-C to cancel";

// Appends one line of the drawing, cut to the screen, with the rest of the old line erased.
void AppendLine(std::string& out, const std::string& text, int columns) {
  out += tty::TerminalLine(text, columns);
  out += "\x1b[K\r\n";
}

}  // namespace

TtyDialog::TtyDialog(TtyBackend& backend, const DialogTemplate& dialogTemplate,
                     DialogEvents& events)
    : backend_(backend), caption_(dialogTemplate.caption), events_(events) {
  for (const DialogItem& item : dialogTemplate.items) {
    if (item.kind == DialogItem::Kind::kCenteredText)
      lines_.emplace_back(item.id, item.text);
  }
  backend_.dialog_ = this;
}

TtyDialog::~TtyDialog() {
  Hide();
  if (backend_.dialog_ == this)
    backend_.dialog_ = nullptr;
}

void TtyDialog::SetItemText(int id, const std::string& text) {
  auto line = std::find_if(lines_.begin(), lines_.end(), [id](auto& l) { return l.first == id; });
  if (line == lines_.end() || line->second == text)
    return;
  line->second = text;
  changed_ = true;
}

void TtyDialog::Show() {
  if (visible_)
    return;
  visible_ = changed_ = true;
  nextDrawMs_ = 0;
  ctrlC_.emplace(std::initializer_list<int>{SIGINT});
}

void TtyDialog::Hide() {
  if (!visible_)
    return;
  Settle();
  visible_ = false;
  ctrlC_.reset();
}

void TtyDialog::Pump() {
  if (visible_ && CancelSignals::TakeRequest())
    events_.OnCommand(IDCANCEL, 0);
  if (visible_ && changed_ && tty::CoarseNowMs() >= nextDrawMs_)
    Draw();
}

void TtyDialog::Settle() {
  if (visible_ && changed_)
    Draw();
  linesOnScreen_ = 0;
}

void TtyDialog::Draw() {
  // One column stays free: with wrapping off, a full line would leave the cursor on its last
  // character, and erasing the rest of the line would then erase that character.
  int columns = std::max(1, tty::ScreenColumns() - 1);
  std::string out = "\x1b[?7l";
  if (linesOnScreen_ > 0)
    out += "\r\x1b[" + std::to_string(linesOnScreen_) + "A";
  out += "\x1b[1m" + tty::TerminalLine(caption_, columns) + "\x1b[0m\x1b[K\r\n";
  for (const auto& line : lines_)
    AppendLine(out, "  " + line.second, columns);
  AppendLine(out, std::string("  ") + kCancelHint, columns);
  out += "\x1b[J\x1b[?7h";
  tty::WriteAll(2, out);
  linesOnScreen_ = static_cast<int>(lines_.size()) + 2;
  changed_ = false;
  // The coarse clock may lag by one step at this reading and not at the next.
  nextDrawMs_ = tty::CoarseNowMs() + kDrawIntervalMs + tty::CoarseStepMs();
}

}  // namespace platform::ui
