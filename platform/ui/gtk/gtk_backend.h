// The backend for a desktop: real windows drawn by GTK 3. It lives in the module
// ruzozaze-gtk.so, which the program loads only when it chooses this backend. Boxes and the
// file-open dialog belong to the dialog on screen (when one is shown) and wait for the user in
// GTK's own loop; the pump drains GLib's default main context without ever blocking.
#pragma once

#include <cstdint>

#include "platform/ui/quit_request.h"
#include "platform/ui/ui.h"

typedef struct _GtkWindow GtkWindow;

namespace platform::ui::gtk {

class TemplateDialog;

class GtkBackend : public Backend {
 public:
  // GTK must have been initialised on a display.
  GtkBackend() = default;
  GtkBackend(const GtkBackend&) = delete;
  GtkBackend& operator=(const GtkBackend&) = delete;

  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  int TimedMessageBox(const std::string& text, unsigned style, TimedBoxHandler& handler) override;
  std::unique_ptr<Dialog> CreateDialog(const DialogTemplate& dialogTemplate,
                                       DialogEvents& events) override;
  // Drains GLib's default main context without blocking, at most every 10 ms: a call sooner
  // after the last one does nothing. A posted quit request stops it.
  void PumpMessages() override;
  void PostQuitMessage(int exitCode) override { quit_.Post(exitCode); }
  bool QuitRequested(int* exitCode) override { return quit_.IsPosted(exitCode); }
  bool GetOpenFileName(const OpenFileRequest& request, std::string* path) override;

 private:
  friend class TemplateDialog;
  // The window a box belongs to: the latest dialog while it is shown, else none.
  GtkWindow* Owner();
  // Brings the dialog's status texts up to date before a box covers the job.
  void SettleDialog();

  TemplateDialog* dialog_ = nullptr;  // the latest dialog, while it exists
  QuitRequest quit_;
  int64_t nextPumpUs_ = 0;
};

}  // namespace platform::ui::gtk
