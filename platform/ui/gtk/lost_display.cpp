#include "platform/ui/gtk/lost_display.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <unistd.h>

namespace platform::ui::gtk {
namespace {

constexpr char kMessage[] = "The connection to the display was lost: the run ends unsaved.\n";

// Xlib ends the process itself when this returns. _exit, not exit: GDK's and the program's exit
// handlers would talk to the lost display or meet the job still running.
int OnLostConnection(Display*) {
  ssize_t ignored = write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
  (void)ignored;
  _exit(255);
}

}  // namespace

void FailWhenTheDisplayIsLost() {
  if (GDK_IS_X11_DISPLAY(gdk_display_get_default()))
    XSetIOErrorHandler(OnLostConnection);
}

}  // namespace platform::ui::gtk
