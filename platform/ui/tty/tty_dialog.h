// The modeless dialog on a terminal: its caption, one line per text item and a Cancel hint,
// drawn in place on standard error. Drawing waits for the pump and happens at most 25 times a
// second; the last state is always drawn before anything else is written and when the dialog
// is hidden or destroyed. While shown, Ctrl-C is its Cancel command.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/cancel_signals.h"
#include "platform/ui/ui.h"

namespace platform::ui {

class TtyBackend;

class TtyDialog : public Dialog {
 public:
  TtyDialog(TtyBackend& backend, const DialogTemplate& dialogTemplate, DialogEvents& events);
  ~TtyDialog() override;

  void SetItemText(int id, const std::string& text) override;
  std::string GetCaption() override { return caption_; }
  void Show() override;
  void Hide() override;
  bool IsVisible() override { return visible_; }
  void CenterOnWorkArea() override {}

  // Delivers a Ctrl-C as command 2, then draws when a change waits and the time has come.
  void Pump();
  // Draws a waiting change now and leaves the drawing as it is: what the terminal shows next
  // goes below it, and the next drawing starts there.
  void Settle();

 private:
  void Draw();

  TtyBackend& backend_;
  std::string caption_;
  DialogEvents& events_;
  std::vector<std::pair<int, std::string>> lines_;  // text items in template order
  bool visible_ = false;
  bool changed_ = false;
  int64_t nextDrawMs_ = 0;
  int linesOnScreen_ = 0;  // lines of the drawing above the cursor; 0 before the first one
  std::optional<CancelSignals> ctrlC_;
};

}  // namespace platform::ui
