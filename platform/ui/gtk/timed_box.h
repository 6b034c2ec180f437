// The self-closing box on the desktop: a message box whose caption and end its handler drives.
// A timer ticks once a second; every key, mouse button or wheel event aimed at the box or any
// of its children reaches the handler as input before GTK handles it.
#pragma once

#include <string>

#include "platform/ui/ui.h"

typedef struct _GtkWindow GtkWindow;

namespace platform::ui::gtk {

// Shows the box (owned by `owner`, which may be null) and waits until it closes; returns the id
// of the button that closed it, or the one the handler ended it with.
int RunTimedBox(const std::string& text, unsigned style, TimedBoxHandler& handler,
                GtkWindow* owner);

}  // namespace platform::ui::gtk
