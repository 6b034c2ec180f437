#include "platform/ui/gtk/timed_box.h"

#include <gtk/gtk.h>

#include "platform/ui/gtk/message_box.h"

namespace platform::ui::gtk {
namespace {

constexpr unsigned kTickMs = 1000;

bool IsInput(const GdkEvent* event) {
  switch (event->type) {
    case GDK_KEY_PRESS:
    case GDK_KEY_RELEASE:
    case GDK_BUTTON_PRESS:
    case GDK_2BUTTON_PRESS:
    case GDK_3BUTTON_PRESS:
    case GDK_BUTTON_RELEASE:
    case GDK_SCROLL:
      return true;
    default:
      return false;
  }
}

void PassOn(GdkEvent* event, gpointer) noexcept {
  gtk_main_do_event(event);
}

// While it exists: the timer, and a look at every event before GTK handles it.
class GtkTimedBox : public TimedBox {
 public:
  GtkTimedBox(MessageBoxWindow& box, TimedBoxHandler& handler) : box_(box), handler_(handler) {
    timer_ = g_timeout_add(kTickMs, OnTimer, this);
    gdk_event_handler_set(OnEvent, this, nullptr);
  }
  ~GtkTimedBox() {
    gdk_event_handler_set(PassOn, nullptr, nullptr);
    StopTimer();
  }
  GtkTimedBox(const GtkTimedBox&) = delete;
  GtkTimedBox& operator=(const GtkTimedBox&) = delete;

  void SetCaption(const std::string& caption) override { box_.SetCaption(caption); }
  void StopTimer() override {
    if (timer_ != 0)
      g_source_remove(timer_);
    timer_ = 0;
  }
  void EndWith(int result) override { box_.EndWith(result); }

 private:
  static gboolean OnTimer(gpointer self) noexcept {
    auto* box = static_cast<GtkTimedBox*>(self);
    box->handler_.OnTick(*box);
    return G_SOURCE_CONTINUE;
  }

  static void OnEvent(GdkEvent* event, gpointer self) noexcept {
    auto* box = static_cast<GtkTimedBox*>(self);
    if (IsInput(event) && box->IsInBox(event->any.window))
      box->handler_.OnInput(*box);
    gtk_main_do_event(event);
  }

  bool IsInBox(GdkWindow* window) const {
    GdkWindow* boxWindow = gtk_widget_get_window(box_.widget());
    return window != nullptr && boxWindow != nullptr &&
           gdk_window_get_toplevel(window) == boxWindow;
  }

  MessageBoxWindow& box_;
  TimedBoxHandler& handler_;
  guint timer_ = 0;
};

}  // namespace

int RunTimedBox(const std::string& text, unsigned style, TimedBoxHandler& handler,
                GtkWindow* owner) {
  MessageBoxWindow box(text, handler.FirstCaption(), style, owner);
  GtkTimedBox timed(box, handler);
  return box.Run();
}

}  // namespace platform::ui::gtk
