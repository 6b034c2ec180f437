// Stands in for ruzozaze-gtk.so in the tests of the backend choice: its backend answers every
// box by printing "FAKE GTK: " and the text. With FAKE_GTK_NO_DISPLAY set it behaves as if no
// display could be opened.
#include <cstdio>
#include <cstdlib>

#include "platform/ui/ui.h"

namespace ui = platform::ui;

struct FakeGtkBackend : ui::Backend {
  int MessageBox(const std::string& text, const std::string&, unsigned) override {
    printf("FAKE GTK: %s\n", text.c_str());
    return ui::IDOK;
  }
  int TimedMessageBox(const std::string& text, unsigned, ui::TimedBoxHandler&) override {
    return MessageBox(text, "", 0);
  }
  std::unique_ptr<ui::Dialog> CreateDialog(const ui::DialogTemplate&, ui::DialogEvents&) override {
    return nullptr;
  }
  void PumpMessages() override {}
  void PostQuitMessage(int) override {}
  bool QuitRequested(int*) override { return false; }
  bool GetOpenFileName(const ui::OpenFileRequest&, std::string*) override { return false; }
};

extern "C" ui::Backend* RuzozazeCreateGtkBackend() {
  return getenv("FAKE_GTK_NO_DISPLAY") != nullptr ? nullptr : new FakeGtkBackend;
}
