#include "platform/ui/gtk/file_chooser.h"

#include <gtk/gtk.h>
#include <sys/stat.h>

#include <memory>

#include "platform/ui/gtk/message_box.h"
#include "platform/ui/gtk/toplevel.h"
#include "platform/ui/gtk/valid_text.h"

namespace platform::ui::gtk {
namespace {

using GText = std::unique_ptr<gchar, decltype(&g_free)>;

constexpr char kTitle[] = "Open";
constexpr unsigned kRefusalStyle = MB_OK | 0x30;  // MB_ICONEXCLAMATION

// A pattern list such as "*.xml;*.xmltv". "*.*" means every file, as on Windows, where it
// matches names without a dot too.
GtkFileFilter* NewFilter(const std::string& name, const std::string& patterns) {
  GtkFileFilter* filter = gtk_file_filter_new();
  gtk_file_filter_set_name(filter, ValidUtf8(name).c_str());
  size_t start = 0;
  for (;;) {
    size_t end = patterns.find(';', start);
    std::string pattern = patterns.substr(start, end - start);
    gtk_file_filter_add_pattern(filter, pattern == "*.*" ? "*" : pattern.c_str());
    if (end == std::string::npos)
      return filter;
    start = end + 1;
  }
}

void AddFilters(GtkFileChooser* chooser, const OpenFileRequest& request) {
  for (size_t i = 0; i < request.filters.size(); ++i) {
    GtkFileFilter* filter = NewFilter(request.filters[i].first, request.filters[i].second);
    gtk_file_chooser_add_filter(chooser, filter);
    if (static_cast<int>(i) + 1 == request.filterIndex)
      gtk_file_chooser_set_filter(chooser, filter);
  }
}

// The folder of the initial file (the current one when it names none); the file is selected
// when it exists.
void StartAt(GtkFileChooser* chooser, const std::string& initialFile) {
  GText folder(g_path_get_dirname(initialFile.c_str()), &g_free);
  GText current(g_get_current_dir(), &g_free);
  GText absolute(g_canonicalize_filename(folder.get(), current.get()), &g_free);
  gtk_file_chooser_set_current_folder(chooser, absolute.get());
  GText file(g_canonicalize_filename(initialFile.c_str(), current.get()), &g_free);
  if (g_file_test(file.get(), G_FILE_TEST_IS_REGULAR))
    gtk_file_chooser_select_filename(chooser, file.get());
}

// Returns an empty text when `name` may be opened, else the box text that refuses it.
std::string Refusal(const std::string& name, unsigned flags) {
  struct stat info = {};
  if (stat(name.c_str(), &info) == 0 || (flags & (OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST)) == 0)
    return "";
  GText folder(g_path_get_dirname(name.c_str()), &g_free);
  if ((flags & OFN_PATHMUSTEXIST) != 0 && !g_file_test(folder.get(), G_FILE_TEST_IS_DIR))
    return name + "\nPath does not exist.\nCheck the path and try again.";
  if ((flags & OFN_FILEMUSTEXIST) != 0)
    return name + "\nFile not found.\nCheck the file name and try again.";
  return "";
}

}  // namespace

bool ChooseFile(const OpenFileRequest& request, GtkWindow* owner, std::string* path) {
  Toplevel dialog(gtk_file_chooser_dialog_new(kTitle, owner, GTK_FILE_CHOOSER_ACTION_OPEN,
                                              "_Cancel", GTK_RESPONSE_CANCEL, "_Open",
                                              GTK_RESPONSE_ACCEPT, nullptr));
  auto* chooser = GTK_FILE_CHOOSER(dialog.widget());
  gtk_dialog_set_default_response(GTK_DIALOG(dialog.widget()), GTK_RESPONSE_ACCEPT);
  gtk_file_chooser_set_local_only(chooser, TRUE);
  AddFilters(chooser, request);
  StartAt(chooser, request.initialFile);
  while (gtk_dialog_run(GTK_DIALOG(dialog.widget())) == GTK_RESPONSE_ACCEPT) {
    GText chosen(gtk_file_chooser_get_filename(chooser), &g_free);
    if (chosen == nullptr)
      continue;
    std::string refusal = Refusal(chosen.get(), request.flags);
    if (refusal.empty()) {
      *path = chosen.get();
      return true;
    }
    MessageBoxWindow(refusal, kTitle, kRefusalStyle, dialog.window()).Run();
  }
  return false;
}

}  // namespace platform::ui::gtk
