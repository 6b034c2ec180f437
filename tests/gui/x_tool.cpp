// What the GUI tests and the screenshot script need of the X display beyond xdotool: a PNG
// picture of a window, a request to close it as a window manager sends it when its close box is
// clicked (WM_DELETE_WINDOW), the text on the clipboard. WINDOW is an id as xdotool prints it.
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (!gtk_init_check(nullptr, nullptr))
    return 1;
  std::string command = argc > 1 ? argv[1] : "";
  Window window = argc > 2 ? static_cast<Window>(strtoul(argv[2], nullptr, 0)) : 0;
  if (command == "snapshot" && argc == 4) {
    GdkWindow* foreign = gdk_x11_window_foreign_new_for_display(gdk_display_get_default(), window);
    GdkPixbuf* picture = foreign == nullptr ? nullptr
                                            : gdk_pixbuf_get_from_window(
                                                  foreign, 0, 0, gdk_window_get_width(foreign),
                                                  gdk_window_get_height(foreign));
    bool saved = picture != nullptr && gdk_pixbuf_save(picture, argv[3], "png", nullptr, nullptr);
    g_clear_object(&picture);
    g_clear_object(&foreign);
    return saved ? 0 : 1;
  }
  if (command == "close" && argc == 3) {
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    bool sent = XSendEvent(display, window, False, NoEventMask, &event) != 0;
    XSync(display, False);
    return sent ? 0 : 1;
  }
  if (command == "clipboard" && argc == 2) {
    gchar* text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    if (text == nullptr)
      return 1;
    fputs(text, stdout);
    g_free(text);
    return 0;
  }
  fprintf(stderr, "usage: x_tool snapshot WINDOW FILE | close WINDOW | clipboard\n");
  return 1;
}
