// Dialog units in pixels. A template gives its sizes in units of the dialog's font: a
// horizontal unit is a quarter of the font's average character width, a vertical unit an
// eighth of its height. Here the font is the desktop's font for windows.
#pragma once

typedef struct _GtkWidget GtkWidget;

namespace platform::ui::gtk {

class DialogUnits {
 public:
  // Measures the font `widget` draws its text with.
  explicit DialogUnits(GtkWidget* widget);

  int X(int units) const { return (units * baseX_ + 2) / 4; }
  int Y(int units) const { return (units * baseY_ + 4) / 8; }

 private:
  int baseX_;
  int baseY_;
};

}  // namespace platform::ui::gtk
