// Stands in for ruzozaze-gtk.so: its backend answers every box by printing "FAKE GTK: " and the
// text; with FAKE_GTK_NO_DISPLAY set, no display opens.
#include <cstdio>
#include <cstdlib>

#include "platform/ui/ui.h"

namespace ui = platform::ui;

struct FakeGtkBackend : ui::Backend {
  int MessageBox(const std::string& text, const std::string&, unsigned) override {
    printf("FAKE GTK: %s\n", text.c_str());
    return ui::IDOK;
  }
  int TimedMessageBox(const std::string&, unsigned, ui::TimedBoxHandler&) override { return 0; }
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
