// The backend for a person at a terminal: the progress dialog drawn in place on standard error,
// Ctrl-C as its Cancel command, and boxes and the file-open dialog as prompts answered on the
// terminal.
#pragma once

#include "platform/ui/quit_request.h"
#include "platform/ui/ui.h"

namespace platform::ui {

class TtyDialog;

class TtyBackend : public Backend {
 public:
  // A Yes/No box is the prompt "text [y/N]" (No as default with MB_DEFBUTTON2, else "[Y/n]"),
  // asked again until the answer is y, yes, n, no or empty; end of input takes the default.
  // Other boxes print caption and text (a box without icon on standard output) and wait for
  // Enter; they return OK. Without terminal input nothing waits and the default is returned.
  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  // Prints the text, then the caption line that the handler counts down in place once a second.
  // A key is the handler's input; Enter then closes the box as OK.
  int TimedMessageBox(const std::string& text, unsigned style, TimedBoxHandler& handler) override;
  std::unique_ptr<Dialog> CreateDialog(const DialogTemplate& dialogTemplate,
                                       DialogEvents& events) override;
  // Delivers a Ctrl-C to the shown dialog as command 2 and lets the drawing catch up.
  void PumpMessages() override;
  void PostQuitMessage(int exitCode) override { quit_.Post(exitCode); }
  bool QuitRequested(int* exitCode) override { return quit_.IsPosted(exitCode); }
  // Asks for the file name, proposing the request's initial file (taken on an empty answer);
  // a name that does not exist (or is a folder) is refused and asked for again. On success
  // stores the absolute path and returns true; false at end of input or without terminal input.
  bool GetOpenFileName(const OpenFileRequest& request, std::string* path) override;
  // Prints the text on standard error, below the last drawing of the dialog.
  void ShowFinalNote(const std::string& text) override;

 private:
  friend class TtyDialog;
  // Brings the dialog's drawing up to date before something else is written below it.
  void SettleDialog();

  TtyDialog* dialog_ = nullptr;  // the latest dialog, while it exists
  QuitRequest quit_;
};

}  // namespace platform::ui
