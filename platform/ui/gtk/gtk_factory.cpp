// The module's one export. A run without a display (cron, a service) learns that before GTK
// starts, so it does not pay for GTK's start-up.
#include <gtk/gtk.h>

#include <cstdlib>

#include "platform/ui/gtk/gtk_backend.h"
#include "platform/ui/gtk/lost_display.h"

namespace {

bool Named(const char* variable) {
  const char* value = getenv(variable);
  return value != nullptr && value[0] != '\0';
}

}  // namespace

// Returns a new gtk backend, or null when no display opens. GTK keeps the C locale of the
// program: texts and numbers must not change with the user's language settings.
extern "C" platform::ui::Backend* RuzozazeCreateGtkBackend() {
  if (!Named("DISPLAY") && !Named("WAYLAND_DISPLAY"))
    return nullptr;
  gtk_disable_setlocale();
  g_set_prgname("ruzozaze");
  if (!gtk_init_check(nullptr, nullptr))
    return nullptr;
  platform::ui::gtk::FailWhenTheDisplayIsLost();
  return new platform::ui::gtk::GtkBackend;
}
