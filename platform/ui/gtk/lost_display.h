// What becomes of a run whose X display goes away (the X server ends, the session is closed).
#pragma once

namespace platform::ui::gtk {

// Replaces GDK's handler of a lost X connection, which ends the process with exit code 1. Ours
// says so on standard error and ends the process at once with exit code -1, as a failed run. It
// cannot carry a job to its save: nothing of GTK may run again, and a box or dialog waiting on
// the display would wait for ever. So the import's transaction is rolled back, as after a kill.
// Call after GTK has opened the display; does nothing for a display that is not X11.
void FailWhenTheDisplayIsLost();

}  // namespace platform::ui::gtk
