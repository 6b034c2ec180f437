#include "platform/ui/none/none_backend.h"

#include <signal.h>

#include <cstdio>
#include <optional>

#include "platform/ui/cancel_signals.h"

namespace platform::ui {

// A dialog nobody sees: it keeps its visibility for the program to ask, and while shown turns
// SIGINT and SIGTERM into its Cancel command.
class HeadlessDialog : public Dialog {
 public:
  HeadlessDialog(NoneBackend& backend, std::string caption, DialogEvents& events)
      : backend_(backend), caption_(std::move(caption)), events_(events) {
    backend_.dialog_ = this;
  }
  ~HeadlessDialog() override {
    if (backend_.dialog_ == this)
      backend_.dialog_ = nullptr;
  }
  void SetItemText(int, const std::string&) override {}
  std::string GetCaption() override { return caption_; }
  void Show() override {
    if (!signals_)
      signals_.emplace(std::initializer_list<int>{SIGINT, SIGTERM});
  }
  void Hide() override { signals_.reset(); }
  bool IsVisible() override { return signals_.has_value(); }
  void CenterOnWorkArea() override {}

  void DeliverCancelRequest() {
    if (signals_ && CancelSignals::TakeRequest())
      events_.OnCommand(IDCANCEL, 0);
  }

 private:
  NoneBackend& backend_;
  std::string caption_;
  DialogEvents& events_;
  std::optional<CancelSignals> signals_;  // present while shown
};

namespace {

void Print(FILE* out, const std::string& caption, const std::string& text) {
  fprintf(out, "%s\n%s\n", caption.c_str(), text.c_str());
  fflush(out);
}

}  // namespace

int NoneBackend::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
  Print((style & kIconMask) == 0 ? stdout : stderr, caption, text);
  return (style & kButtonMask) == MB_YESNO ? IDYES : IDOK;
}

int NoneBackend::TimedMessageBox(const std::string& text, unsigned, TimedBoxHandler& handler) {
  Print(stderr, handler.FirstCaption(), text);
  return IDCANCEL;
}

std::unique_ptr<Dialog> NoneBackend::CreateDialog(const DialogTemplate& dialogTemplate,
                                                  DialogEvents& events) {
  auto dialog = std::make_unique<HeadlessDialog>(*this, dialogTemplate.caption, events);
  events.OnInitDialog(*dialog);
  return dialog;
}

void NoneBackend::PumpMessages() {
  if (dialog_ != nullptr)
    dialog_->DeliverCancelRequest();
}

bool NoneBackend::GetOpenFileName(const OpenFileRequest&, std::string*) {
  return false;
}

}  // namespace platform::ui
