// A user-interface backend for tests that records every box, status line and file request and
// answers as a person who agrees: OK or Yes, a timed box left to close by itself, no file chosen.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/ui.h"

namespace testing_support {

struct ShownBox {
  std::string text;
  std::string caption;
  unsigned style = 0;
  std::vector<std::string> captions;  // every caption a timed box showed, in order
};

class RecordingBackend : public platform::ui::Backend {
 public:
  std::vector<ShownBox> boxes;
  std::vector<std::string> itemHistory;  // "id:text" for every SetItemText
  std::vector<platform::ui::OpenFileRequest> openRequests;

  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override {
    boxes.push_back({text, caption, style, {}});
    return (style & 0xF) == platform::ui::MB_YESNO ? platform::ui::IDYES : platform::ui::IDOK;
  }
  int TimedMessageBox(const std::string& text, unsigned style,
                      platform::ui::TimedBoxHandler& handler) override {
    boxes.push_back({text, handler.FirstCaption(), style, {handler.FirstCaption()}});
    Box box(*this);
    while (!box.ended && box.timer)
      handler.OnTick(box);
    return box.result;
  }
  std::unique_ptr<platform::ui::Dialog> CreateDialog(const platform::ui::DialogTemplate& t,
                                                     platform::ui::DialogEvents& e) override {
    auto dialog = std::make_unique<Window>(*this, t.caption);
    e.OnInitDialog(*dialog);
    return dialog;
  }
  void PumpMessages() override {}
  void PostQuitMessage(int) override { quit = true; }
  bool QuitRequested(int* code) override {
    if (quit && code != nullptr)
      *code = 0;
    return quit;
  }
  bool GetOpenFileName(const platform::ui::OpenFileRequest& request, std::string*) override {
    openRequests.push_back(request);
    return false;
  }

 private:
  struct Box : platform::ui::TimedBox {
    explicit Box(RecordingBackend& b) : backend(b) {}
    void SetCaption(const std::string& caption) override {
      backend.boxes.back().captions.push_back(caption);
    }
    void StopTimer() override { timer = false; }
    void EndWith(int r) override {
      ended = true;
      result = r;
    }
    RecordingBackend& backend;
    bool timer = true;
    bool ended = false;
    int result = platform::ui::IDOK;
  };

  struct Window : platform::ui::Dialog {
    Window(RecordingBackend& b, std::string c) : backend(b), caption(std::move(c)) {}
    void SetItemText(int id, const std::string& text) override {
      backend.itemHistory.push_back(std::to_string(id) + ":" + text);
    }
    std::string GetCaption() override { return caption; }
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    bool IsVisible() override { return visible; }
    void CenterOnWorkArea() override {}
    RecordingBackend& backend;
    std::string caption;
    bool visible = false;
  };

  bool quit = false;
};

}  // namespace testing_support
