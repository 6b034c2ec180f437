// The choice of the user-interface backend, once at start-up.
#pragma once

namespace platform::ui {

// Installs the backend the run uses. RUZOZAZE_UI=gtk, tty or none forces that one. Otherwise:
// gtk when standard input is not a terminal, a display is named (DISPLAY or WAYLAND_DISPLAY),
// its module loads and the display opens; else tty when standard input and standard error are
// terminals; else none.
// Returns true on success; false, after a message on standard error, when RUZOZAZE_UI names
// another backend or gtk is forced and cannot be used (the backend installed stays as it was).
bool ChooseBackend();

}  // namespace platform::ui
