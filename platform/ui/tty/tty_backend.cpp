#include "platform/ui/tty/tty_backend.h"

#include <unistd.h>

#include <cctype>

#include "platform/ui/cancel_signals.h"
#include "platform/ui/tty/file_prompt.h"
#include "platform/ui/tty/terminal.h"
#include "platform/ui/tty/terminal_text.h"
#include "platform/ui/tty/timed_box.h"
#include "platform/ui/tty/tty_dialog.h"

namespace platform::ui {
namespace {

// Clears what a typed ^C left on the cursor's line.
constexpr char kClearLine[] = "\r\x1b[K";

std::string Lowered(std::string text) {
  for (char& c : text)
    c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

int AskYesNo(const std::string& text, int defaultAnswer) {
  tty::TerminalInput input;
  if (!input.IsOpen())
    return defaultAnswer;
  std::string prompt = tty::TerminalText(text) + (defaultAnswer == IDNO ? " [y/N] " : " [Y/n] ");
  for (;;) {
    tty::WriteAll(STDERR_FILENO, kClearLine + prompt);
    std::string answer;
    if (!input.ReadLine(&answer)) {
      tty::WriteAll(STDERR_FILENO, "\n");
      return defaultAnswer;
    }
    answer = Lowered(answer);
    if (answer.empty())
      return defaultAnswer;
    if (answer == "y" || answer == "yes")
      return IDYES;
    if (answer == "n" || answer == "no")
      return IDNO;
  }
}

void ShowAndWaitForEnter(const std::string& text, const std::string& caption, int fd) {
  tty::WriteAll(STDERR_FILENO, kClearLine);
  tty::WriteAll(fd, tty::TerminalText(caption + "\n" + text + "\n"));
  tty::TerminalInput input;
  if (!input.IsOpen())
    return;
  tty::WriteAll(STDERR_FILENO, "Press Enter to continue. ");
  std::string ignored;
  if (!input.ReadLine(&ignored))
    tty::WriteAll(STDERR_FILENO, "\n");
}

}  // namespace

int TtyBackend::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
  SettleDialog();
  if ((style & kButtonMask) == MB_YESNO) {
    int answer = AskYesNo(text, (style & MB_DEFBUTTON2) != 0 ? IDNO : IDYES);
    // A Ctrl-C typed while the question was up belongs to this question.
    CancelSignals::DiscardRequest();
    return answer;
  }
  ShowAndWaitForEnter(text, caption, (style & kIconMask) == 0 ? STDOUT_FILENO : STDERR_FILENO);
  return IDOK;
}

int TtyBackend::TimedMessageBox(const std::string& text, unsigned, TimedBoxHandler& handler) {
  SettleDialog();
  tty::WriteAll(STDERR_FILENO, kClearLine);
  return tty::RunTimedBox(text, handler);
}

std::unique_ptr<Dialog> TtyBackend::CreateDialog(const DialogTemplate& dialogTemplate,
                                                 DialogEvents& events) {
  auto dialog = std::make_unique<TtyDialog>(*this, dialogTemplate, events);
  events.OnInitDialog(*dialog);
  return dialog;
}

void TtyBackend::PumpMessages() {
  if (dialog_ != nullptr)
    dialog_->Pump();
}

bool TtyBackend::GetOpenFileName(const OpenFileRequest& request, std::string* path) {
  SettleDialog();
  tty::WriteAll(STDERR_FILENO, kClearLine);
  return tty::PromptForFile(request, path);
}

void TtyBackend::ShowFinalNote(const std::string& text) {
  SettleDialog();
  tty::WriteAll(STDERR_FILENO, kClearLine + tty::TerminalText(text) + "\n");
}

void TtyBackend::SettleDialog() {
  if (dialog_ != nullptr)
    dialog_->Settle();
}

}  // namespace platform::ui
