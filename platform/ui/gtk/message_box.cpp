#include "platform/ui/gtk/message_box.h"

#include <gtk/gtk.h>

#include "platform/ui/gtk/valid_text.h"
#include "platform/ui/ui.h"

namespace platform::ui::gtk {
namespace {

constexpr int kSpacing = 12;
constexpr int kTextWidthChars = 70;

bool IsYesNo(unsigned style) {
  return (style & kButtonMask) == MB_YESNO;
}

// The icon of the MB_ICON... value in the style, or null for none.
const char* IconName(unsigned style) {
  switch ((style & kIconMask) >> 4) {
    case 1:
      return "dialog-error";
    case 2:
      return "dialog-question";
    case 3:
      return "dialog-warning";
    case 4:
      return "dialog-information";
    default:
      return nullptr;
  }
}

gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer text) noexcept {
  bool control = (event->state & GDK_CONTROL_MASK) != 0;
  if (!control || (event->keyval != GDK_KEY_c && event->keyval != GDK_KEY_C))
    return FALSE;
  gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD),
                         static_cast<std::string*>(text)->c_str(), -1);
  return TRUE;
}

GtkWidget* NewContent(const std::string& text, unsigned style) {
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, kSpacing);
  gtk_container_set_border_width(GTK_CONTAINER(row), kSpacing);
  if (const char* icon = IconName(style)) {
    GtkWidget* image = gtk_image_new_from_icon_name(icon, GTK_ICON_SIZE_DIALOG);
    gtk_widget_set_valign(image, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(row), image, FALSE, FALSE, 0);
  }
  GtkWidget* label = gtk_label_new(text.c_str());
  gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
  gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
  gtk_label_set_max_width_chars(GTK_LABEL(label), kTextWidthChars);
  gtk_label_set_xalign(GTK_LABEL(label), 0.0);
  gtk_label_set_yalign(GTK_LABEL(label), 0.0);
  gtk_box_pack_start(GTK_BOX(row), label, TRUE, TRUE, 0);
  gtk_widget_show_all(row);
  return row;
}

void AddButtons(GtkDialog* box, unsigned style) {
  int defaultId = IDOK;
  if (IsYesNo(style)) {
    gtk_dialog_add_button(box, "_Yes", IDYES);
    gtk_dialog_add_button(box, "_No", IDNO);
    defaultId = (style & MB_DEFBUTTON2) != 0 ? IDNO : IDYES;
  } else {
    gtk_dialog_add_button(box, "_OK", IDOK);
  }
  gtk_dialog_set_default_response(box, defaultId);
  gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(box, defaultId));
}

}  // namespace

MessageBoxWindow::MessageBoxWindow(const std::string& text, const std::string& caption,
                                   unsigned style, GtkWindow* owner)
    : box_(gtk_dialog_new()), text_(ValidUtf8(text)), style_(style) {
  GtkWindow* window = box_.window();
  SetCaption(caption);
  gtk_window_set_resizable(window, FALSE);
  gtk_window_set_modal(window, TRUE);
  gtk_window_set_transient_for(window, owner);
  gtk_window_set_position(window,
                          owner != nullptr ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  gtk_window_set_deletable(window, !IsYesNo(style));
  gtk_window_set_keep_above(window, (style & MB_SETFOREGROUND) != 0);
  gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(widget()))),
                     NewContent(text_, style), TRUE, TRUE, 0);
  AddButtons(GTK_DIALOG(widget()), style);
  g_signal_connect(widget(), "key-press-event", G_CALLBACK(OnKeyPress), &text_);
}

void MessageBoxWindow::SetCaption(const std::string& caption) {
  gtk_window_set_title(box_.window(), ValidUtf8(caption).c_str());
}

void MessageBoxWindow::EndWith(int id) {
  gtk_dialog_response(GTK_DIALOG(widget()), id);
}

int MessageBoxWindow::Run() {
  if ((style_ & MB_SETFOREGROUND) != 0)
    gtk_window_present(box_.window());
  for (;;) {
    int response = gtk_dialog_run(GTK_DIALOG(widget()));
    if (response > 0)
      return response;
    if (!IsYesNo(style_))
      return IDOK;
  }
}

}  // namespace platform::ui::gtk
