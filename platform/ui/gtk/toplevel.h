// The owner of a GTK toplevel window (a dialog or a box): destroying the owner destroys the
// window with everything in it, and with it every signal connected to its widgets.
#pragma once

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkWindow GtkWindow;

namespace platform::ui::gtk {

class Toplevel {
 public:
  explicit Toplevel(GtkWidget* window) : window_(window) {}
  ~Toplevel();
  Toplevel(const Toplevel&) = delete;
  Toplevel& operator=(const Toplevel&) = delete;

  GtkWidget* widget() const { return window_; }
  GtkWindow* window() const;

 private:
  GtkWidget* window_;
};

}  // namespace platform::ui::gtk
