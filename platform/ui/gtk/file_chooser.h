// The file-open dialog on the desktop: GTK's file chooser for opening one local file, with the
// request's filters (the one at filterIndex selected), started in the folder of the request's
// initial file, which is selected when it exists.
#pragma once

#include <string>

#include "platform/ui/ui.h"

typedef struct _GtkWindow GtkWindow;

namespace platform::ui::gtk {

// On a confirmed choice stores the file's full path and returns true; returns false when the
// user cancelled. With OFN_FILEMUSTEXIST (or OFN_PATHMUSTEXIST) a name that does not exist (or
// whose folder does not) is refused with a box saying so, and the dialog stays up.
bool ChooseFile(const OpenFileRequest& request, GtkWindow* owner, std::string* path);

}  // namespace platform::ui::gtk
