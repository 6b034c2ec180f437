// What the GUI tests and the screenshot script need of the X display beyond xdotool:
//   x_tool snapshot WINDOW FILE   writes a PNG picture of the window
//   x_tool close WINDOW           asks the window to close, as a window manager does when its
//                                 close box is clicked (WM_DELETE_WINDOW)
//   x_tool clipboard              prints the text on the clipboard
// WINDOW is a window id as xdotool prints it. Exit code 0 on success, 1 on failure.
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

Window WindowId(const char* text) {
  return static_cast<Window>(strtoul(text, nullptr, 0));
}

int Snapshot(const char* window, const char* file) {
  GdkWindow* foreign =
      gdk_x11_window_foreign_new_for_display(gdk_display_get_default(), WindowId(window));
  if (foreign == nullptr)
    return 1;
  GdkPixbuf* picture = gdk_pixbuf_get_from_window(foreign, 0, 0, gdk_window_get_width(foreign),
                                                  gdk_window_get_height(foreign));
  bool saved = picture != nullptr && gdk_pixbuf_save(picture, file, "png", nullptr, nullptr);
  if (picture != nullptr)
    g_object_unref(picture);
  g_object_unref(foreign);
  return saved ? 0 : 1;
}

int Close(const char* window) {
  Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = WindowId(window);
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  bool sent = XSendEvent(display, event.xclient.window, False, NoEventMask, &event) != 0;
  XSync(display, False);
  return sent ? 0 : 1;
}

int Clipboard() {
  gchar* text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
  if (text == nullptr)
    return 1;
  fputs(text, stdout);
  g_free(text);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!gtk_init_check(nullptr, nullptr)) {
    fprintf(stderr, "x_tool: no display\n");
    return 1;
  }
  if (argc == 4 && strcmp(argv[1], "snapshot") == 0)
    return Snapshot(argv[2], argv[3]);
  if (argc == 3 && strcmp(argv[1], "close") == 0)
    return Close(argv[2]);
  if (argc == 2 && strcmp(argv[1], "clipboard") == 0)
    return Clipboard();
  fprintf(stderr, "usage: x_tool snapshot WINDOW FILE | close WINDOW | clipboard\n");
  return 1;
}
