// The modeless dialog of the gtk backend, built from a template: a window with the template's
// caption and its items placed in dialog units of the desktop's font. The Cancel button, the
// close box and Esc all arrive as command 2. Status texts reach the screen at most 5 times a
// second: each drawing costs milliseconds, and a job sets them for every record it handles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/gtk/toplevel.h"
#include "platform/ui/ui.h"

namespace platform::ui::gtk {

class DialogUnits;
class GtkBackend;

class TemplateDialog : public Dialog {
 public:
  // Creates the window hidden and registers it with `backend` as its latest dialog.
  TemplateDialog(GtkBackend& backend, const DialogTemplate& dialogTemplate, DialogEvents& events);
  ~TemplateDialog() override;

  void SetItemText(int id, const std::string& text) override;
  std::string GetCaption() override;
  // Shows the window without taking the keyboard focus.
  void Show() override;
  // Hides the window at once.
  void Hide() override;
  bool IsVisible() override;
  void CenterOnWorkArea() override;

  GtkWindow* window() const { return window_.window(); }
  // Puts the texts set since the last call into the window: when `always`, or when 200 ms
  // have passed since the last time.
  void ShowTexts(bool always);
  // Delivers command `id` (notification 0) to the dialog's owner.
  void Command(int id) { events_.OnCommand(id, 0); }

 private:
  struct TextItem {
    int id;
    GtkWidget* label;
    std::string text;
    bool changed;
  };
  void AddItem(GtkWidget* fixed, const DialogItem& item, const DialogUnits& units);

  GtkBackend& backend_;
  DialogEvents& events_;
  Toplevel window_;
  std::vector<TextItem> texts_;
  bool changed_ = false;
  int64_t nextShowUs_ = 0;
};

}  // namespace platform::ui::gtk
