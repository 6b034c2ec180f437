// The backend for runs without a person: cron, CI, pipes. Nothing ever waits for input; SIGINT
// and SIGTERM while the dialog is shown are its Cancel command, confirmed at once.
#pragma once

#include "platform/ui/quit_request.h"
#include "platform/ui/ui.h"

namespace platform::ui {

class HeadlessDialog;

class NoneBackend : public Backend {
 public:
  // Prints caption and text (standard output for a box without an icon, such as the usage box;
  // standard error otherwise) and returns at once: OK for an OK box, Yes for a Yes/No box.
  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  // Prints the first caption and the text on standard error; closes at once as Cancel.
  int TimedMessageBox(const std::string& text, unsigned style, TimedBoxHandler& handler) override;
  // The dialog catches SIGINT and SIGTERM while it is shown.
  std::unique_ptr<Dialog> CreateDialog(const DialogTemplate& dialogTemplate,
                                       DialogEvents& events) override;
  // Delivers a caught signal to the shown dialog as command 2.
  void PumpMessages() override;
  void PostQuitMessage(int exitCode) override { quit_.Post(exitCode); }
  bool QuitRequested(int* exitCode) override { return quit_.IsPosted(exitCode); }
  // Cannot be shown: always dismissed.
  bool GetOpenFileName(const OpenFileRequest& request, std::string* path) override;
  bool CanAsk() override { return false; }

 private:
  friend class HeadlessDialog;
  HeadlessDialog* dialog_ = nullptr;  // the latest dialog, while it exists
  QuitRequest quit_;
};

}  // namespace platform::ui
