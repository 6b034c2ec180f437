// The backend for runs without a person: cron, CI, pipes. Nothing ever waits for input.
#pragma once

#include "platform/ui/ui.h"

namespace platform::ui {

class NoneBackend : public Backend {
 public:
  // Prints caption and text (standard output for a box without an icon, such as the usage box;
  // standard error otherwise) and returns at once: OK for an OK box, Yes for a Yes/No box.
  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  // Prints the first caption and the text on standard error; closes at once as Cancel.
  int TimedMessageBox(const std::string& text, unsigned style, TimedBoxHandler& handler) override;
  std::unique_ptr<Dialog> CreateDialog(const DialogTemplate& dialogTemplate,
                                       DialogEvents& events) override;
  void PumpMessages() override {}
  void PostQuitMessage(int exitCode) override;
  bool QuitRequested(int* exitCode) override;
  // Cannot be shown: always dismissed.
  bool GetOpenFileName(const OpenFileRequest& request, std::string* path) override;

 private:
  bool quit_ = false;
  int quitCode_ = 0;
};

}  // namespace platform::ui
