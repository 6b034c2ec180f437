#include "platform/ui/gtk/template_dialog.h"

#include <gtk/gtk.h>

#include <algorithm>

#include "platform/ui/gtk/dialog_units.h"
#include "platform/ui/gtk/gtk_backend.h"
#include "platform/ui/gtk/valid_text.h"

namespace platform::ui::gtk {
namespace {

constexpr int64_t kShowIntervalUs = 200000;  // 5 times a second
constexpr char kItemIdKey[] = "ruzozaze-item-id";

gboolean OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer dialog) noexcept {
  static_cast<TemplateDialog*>(dialog)->Command(IDCANCEL);
  return TRUE;  // the owner decides what becomes of the window
}

gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer dialog) noexcept {
  if (event->keyval != GDK_KEY_Escape)
    return FALSE;
  static_cast<TemplateDialog*>(dialog)->Command(IDCANCEL);
  return TRUE;
}

void OnClicked(GtkWidget* button, gpointer dialog) noexcept {
  int id = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), kItemIdKey));
  static_cast<TemplateDialog*>(dialog)->Command(id);
}

GtkWidget* NewWindow(const DialogTemplate& dialogTemplate) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), ValidUtf8(dialogTemplate.caption).c_str());
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_focus_on_map(GTK_WINDOW(window), FALSE);
  return window;
}

GtkWidget* NewCenteredText(const std::string& text) {
  GtkWidget* label = gtk_label_new(ValidUtf8(text).c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 0.5);
  gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
  gtk_label_set_single_line_mode(GTK_LABEL(label), TRUE);
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  return label;
}

}  // namespace

TemplateDialog::TemplateDialog(GtkBackend& backend, const DialogTemplate& dialogTemplate,
                               DialogEvents& events)
    : backend_(backend), events_(events), window_(NewWindow(dialogTemplate)) {
  DialogUnits units(window_.widget());
  GtkWidget* fixed = gtk_fixed_new();
  gtk_widget_set_size_request(fixed, units.X(dialogTemplate.cx), units.Y(dialogTemplate.cy));
  for (const DialogItem& item : dialogTemplate.items)
    AddItem(fixed, item, units);
  gtk_container_add(GTK_CONTAINER(window_.widget()), fixed);
  gtk_widget_show_all(fixed);
  g_signal_connect(window_.widget(), "delete-event", G_CALLBACK(OnDeleteEvent), this);
  g_signal_connect(window_.widget(), "key-press-event", G_CALLBACK(OnKeyPress), this);
  backend_.dialog_ = this;
}

TemplateDialog::~TemplateDialog() {
  if (backend_.dialog_ == this)
    backend_.dialog_ = nullptr;
}

void TemplateDialog::AddItem(GtkWidget* fixed, const DialogItem& item, const DialogUnits& units) {
  GtkWidget* widget;
  if (item.kind == DialogItem::Kind::kPushButton) {
    widget = gtk_button_new_with_label(ValidUtf8(item.text).c_str());
    g_object_set_data(G_OBJECT(widget), kItemIdKey, GINT_TO_POINTER(item.id));
    g_signal_connect(widget, "clicked", G_CALLBACK(OnClicked), this);
  } else {
    widget = NewCenteredText(item.text);
    texts_.push_back({item.id, widget, item.text, false});
  }
  gtk_widget_set_size_request(widget, units.X(item.cx), units.Y(item.cy));
  gtk_fixed_put(GTK_FIXED(fixed), widget, units.X(item.x), units.Y(item.y));
}

void TemplateDialog::SetItemText(int id, const std::string& text) {
  auto item = std::find_if(texts_.begin(), texts_.end(), [id](auto& t) { return t.id == id; });
  if (item == texts_.end() || item->text == text)
    return;
  item->text = text;
  item->changed = changed_ = true;
}

void TemplateDialog::ShowTexts(bool always) {
  if (!changed_)
    return;
  int64_t now = g_get_monotonic_time();
  if (!always && now < nextShowUs_)
    return;
  for (TextItem& item : texts_) {
    if (item.changed)
      gtk_label_set_text(GTK_LABEL(item.label), ValidUtf8(item.text).c_str());
    item.changed = false;
  }
  changed_ = false;
  nextShowUs_ = now + kShowIntervalUs;
}

std::string TemplateDialog::GetCaption() {
  const gchar* title = gtk_window_get_title(window());
  return title != nullptr ? title : "";
}

void TemplateDialog::Show() {
  ShowTexts(true);
  gtk_widget_show(window_.widget());
}

void TemplateDialog::Hide() {
  gtk_widget_hide(window_.widget());
  gdk_display_flush(gtk_widget_get_display(window_.widget()));
}

bool TemplateDialog::IsVisible() {
  return gtk_widget_get_visible(window_.widget());
}

void TemplateDialog::CenterOnWorkArea() {
  GdkDisplay* display = gtk_widget_get_display(window_.widget());
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (monitor == nullptr)
    monitor = gdk_display_get_monitor(display, 0);
  if (monitor == nullptr)
    return;
  GdkRectangle area;
  gdk_monitor_get_workarea(monitor, &area);
  GtkRequisition size;
  gtk_widget_get_preferred_size(window_.widget(), &size, nullptr);
  int x = area.x + std::max(0, (area.width - size.width) / 2);
  int y = area.y + std::max(0, (area.height - size.height) / 2);
  gtk_window_move(window(), x, y);
}

}  // namespace platform::ui::gtk
