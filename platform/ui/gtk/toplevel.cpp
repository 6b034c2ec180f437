#include "platform/ui/gtk/toplevel.h"

#include <gtk/gtk.h>

namespace platform::ui::gtk {

Toplevel::~Toplevel() {
  if (window_ != nullptr)
    gtk_widget_destroy(window_);
}

GtkWindow* Toplevel::window() const {
  return GTK_WINDOW(window_);
}

}  // namespace platform::ui::gtk
