// A user-interface backend for tests: it records every box and dialog text, answers boxes from a
// script, and lets a test deliver commands to the open dialog as if a person had clicked.
#pragma once

#include <deque>
#include <functional>
#include <map>
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

class ScriptedBackend : public platform::ui::Backend {
 public:
  // Answers to the next message boxes, in order; an empty script answers OK (or Yes).
  std::deque<int> answers;
  // Drives a timed box: called with the box once it is up; the default ticks until it closes.
  std::function<void(platform::ui::TimedBox&, platform::ui::TimedBoxHandler&)> drive;
  // Run at each pump; tests post commands or quit requests from here.
  std::function<void()> onPump;
  std::vector<ShownBox> boxes;
  std::map<int, std::string> itemTexts;
  std::vector<std::string> itemHistory;  // "id:text" for every SetItemText
  bool dialogVisible = false;
  bool dialogAlive = false;
  int pumps = 0;
  platform::ui::DialogEvents* events = nullptr;
  std::vector<platform::ui::OpenFileRequest> openRequests;
  std::string openAnswer;  // empty: the user cancels

  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override {
    boxes.push_back({text, caption, style, {}});
    if (answers.empty()) {
      return (style & 0xF) == platform::ui::MB_YESNO ? platform::ui::IDYES : platform::ui::IDOK;
    }
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  int TimedMessageBox(const std::string& text, unsigned style,
                      platform::ui::TimedBoxHandler& handler) override {
    Box box(*this);
    boxes.push_back({text, handler.FirstCaption(), style, {handler.FirstCaption()}});
    if (drive) {
      drive(box, handler);
    } else {
      while (!box.ended && box.timer)
        handler.OnTick(box);
    }
    return box.result;
  }

  std::unique_ptr<platform::ui::Dialog> CreateDialog(const platform::ui::DialogTemplate& t,
                                                     platform::ui::DialogEvents& e) override {
    events = &e;
    dialogAlive = true;
    auto dialog = std::make_unique<Window>(*this, t.caption);
    e.OnInitDialog(*dialog);
    return dialog;
  }

  void PumpMessages() override {
    ++pumps;
    if (onPump)
      onPump();
  }
  void PostQuitMessage(int code) override {
    quit = true;
    quitCode = code;
  }
  bool QuitRequested(int* code) override {
    if (quit && code != nullptr)
      *code = quitCode;
    return quit;
  }
  bool GetOpenFileName(const platform::ui::OpenFileRequest& request, std::string* path) override {
    openRequests.push_back(request);
    if (openAnswer.empty())
      return false;
    *path = openAnswer;
    return true;
  }

  // Delivers the Cancel command (the button or the close box) to the open dialog.
  void ClickCancel() {
    if (events != nullptr)
      events->OnCommand(platform::ui::IDCANCEL, 0);
  }

  bool quit = false;
  int quitCode = 0;

 private:
  struct Box : platform::ui::TimedBox {
    explicit Box(ScriptedBackend& b) : backend(b) {}
    void SetCaption(const std::string& caption) override {
      backend.boxes.back().captions.push_back(caption);
    }
    void StopTimer() override { timer = false; }
    void EndWith(int r) override {
      ended = true;
      result = r;
    }
    ScriptedBackend& backend;
    bool timer = true;
    bool ended = false;
    int result = platform::ui::IDOK;
  };

  struct Window : platform::ui::Dialog {
    Window(ScriptedBackend& b, std::string c) : backend(b), caption(std::move(c)) {}
    ~Window() override {
      backend.dialogAlive = false;
      backend.events = nullptr;
    }
    void SetItemText(int id, const std::string& text) override {
      backend.itemTexts[id] = text;
      backend.itemHistory.push_back(std::to_string(id) + ":" + text);
    }
    std::string GetCaption() override { return caption; }
    void Show() override { backend.dialogVisible = true; }
    void Hide() override { backend.dialogVisible = false; }
    bool IsVisible() override { return backend.dialogVisible; }
    void CenterOnWorkArea() override { backend.centred = true; }
    ScriptedBackend& backend;
    std::string caption;
  };

 public:
  bool centred = false;
};

}  // namespace testing_support
