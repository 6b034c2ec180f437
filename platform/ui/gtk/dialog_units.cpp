#include "platform/ui/gtk/dialog_units.h"

#include <gtk/gtk.h>

namespace platform::ui::gtk {
namespace {
// The average character width is the width of the 52 letters, as Windows takes it.
constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
}  // namespace

DialogUnits::DialogUnits(GtkWidget* widget) {
  PangoLayout* layout = gtk_widget_create_pango_layout(widget, kLetters);
  int width = 0;
  int height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  g_object_unref(layout);
  baseX_ = (width / 26 + 1) / 2;
  baseY_ = height;
}

}  // namespace platform::ui::gtk
