#include "platform/ui/none/none_backend.h"

#include <cstdio>
#include <map>

namespace platform::ui {
namespace {

// A dialog nobody sees: it keeps its texts and its visibility for the program to ask.
class HeadlessDialog : public Dialog {
 public:
  explicit HeadlessDialog(std::string caption) : caption_(std::move(caption)) {}
  void SetItemText(int id, const std::string& text) override { texts_[id] = text; }
  std::string GetCaption() override { return caption_; }
  void Show() override { visible_ = true; }
  void Hide() override { visible_ = false; }
  bool IsVisible() override { return visible_; }
  void CenterOnWorkArea() override {}

 private:
  std::string caption_;
  std::map<int, std::string> texts_;
  bool visible_ = false;
};

void Print(FILE* out, const std::string& caption, const std::string& text) {
  fprintf(out, "%s\n%s\n", caption.c_str(), text.c_str());
  fflush(out);
}

}  // namespace

int NoneBackend::MessageBox(const std::string& text, const std::string& caption,
                            unsigned style) {
  Print((style & kIconMask) == 0 ? stdout : stderr, caption, text);
  return (style & kButtonMask) == MB_YESNO ? IDYES : IDOK;
}

int NoneBackend::TimedMessageBox(const std::string& text, unsigned, TimedBoxHandler& handler) {
  Print(stderr, handler.FirstCaption(), text);
  return IDCANCEL;
}

std::unique_ptr<Dialog> NoneBackend::CreateDialog(const DialogTemplate& dialogTemplate,
                                                  DialogEvents& events) {
  auto dialog = std::make_unique<HeadlessDialog>(dialogTemplate.caption);
  events.OnInitDialog();
  return dialog;
}

void NoneBackend::PostQuitMessage(int exitCode) {
  quit_ = true;
  quitCode_ = exitCode;
}

bool NoneBackend::QuitRequested(int* exitCode) {
  if (quit_ && exitCode != nullptr) *exitCode = quitCode_;
  return quit_;
}

bool NoneBackend::GetOpenFileName(const OpenFileRequest&, std::string*) { return false; }

}  // namespace platform::ui
