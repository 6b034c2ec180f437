#include "platform/ui/gtk/gtk_backend.h"

#include <gtk/gtk.h>

#include "platform/ui/gtk/file_chooser.h"
#include "platform/ui/gtk/message_box.h"
#include "platform/ui/gtk/template_dialog.h"
#include "platform/ui/gtk/timed_box.h"

namespace platform::ui::gtk {
namespace {
// Draining GLib's context costs a few system calls even when nothing waits; a job that reports
// every record would spend a tenth of its time here. A person notices no delay of 10 ms.
constexpr int64_t kPumpIntervalUs = 10000;
}  // namespace

int GtkBackend::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
  SettleDialog();
  MessageBoxWindow box(text, caption, style, Owner());
  return box.Run();
}

int GtkBackend::TimedMessageBox(const std::string& text, unsigned style, TimedBoxHandler& handler) {
  SettleDialog();
  return RunTimedBox(text, style, handler, Owner());
}

std::unique_ptr<Dialog> GtkBackend::CreateDialog(const DialogTemplate& dialogTemplate,
                                                 DialogEvents& events) {
  auto dialog = std::make_unique<TemplateDialog>(*this, dialogTemplate, events);
  events.OnInitDialog(*dialog);
  return dialog;
}

void GtkBackend::PumpMessages() {
  int64_t now = g_get_monotonic_time();
  if (now < nextPumpUs_)
    return;
  nextPumpUs_ = now + kPumpIntervalUs;
  if (dialog_ != nullptr)
    dialog_->ShowTexts(false);
  while (!quit_.IsPosted(nullptr) && g_main_context_iteration(nullptr, FALSE)) {
  }
}

bool GtkBackend::GetOpenFileName(const OpenFileRequest& request, std::string* path) {
  SettleDialog();
  return ChooseFile(request, Owner(), path);
}

GtkWindow* GtkBackend::Owner() {
  return dialog_ != nullptr && dialog_->IsVisible() ? dialog_->window() : nullptr;
}

void GtkBackend::SettleDialog() {
  if (dialog_ != nullptr)
    dialog_->ShowTexts(true);
}

}  // namespace platform::ui::gtk
