// A message box as a GTK dialog: the caption, the text beside the icon the style names (none
// without one), the buttons of the style with its default button, modal to its owner window,
// kept above other windows and presented when the style asks to bring it to the foreground.
// Ctrl+C copies the text to the clipboard.
#pragma once

#include <string>

#include "platform/ui/gtk/toplevel.h"

namespace platform::ui::gtk {

class MessageBoxWindow {
 public:
  // Builds the box, hidden; `owner` may be null.
  MessageBoxWindow(const std::string& text, const std::string& caption, unsigned style,
                   GtkWindow* owner);

  GtkWidget* widget() const { return box_.widget(); }
  void SetCaption(const std::string& caption);
  // Makes Run return `id` as if a button with that id had been pressed.
  void EndWith(int id);
  // Shows the box and waits until it closes; returns the id of the button (IDOK, IDYES or IDNO)
  // or the one given to EndWith. Esc and the close box answer IDOK in a box with an OK button;
  // a Yes/No box has no close box and waits for an answer.
  int Run();

 private:
  Toplevel box_;
  std::string text_;
  unsigned style_;
};

}  // namespace platform::ui::gtk
