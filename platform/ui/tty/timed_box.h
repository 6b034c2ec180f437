// The self-closing box on a terminal.
#pragma once

#include <string>

#include "platform/ui/ui.h"

namespace platform::ui::tty {

// Prints `text`, then the handler's caption on a line of its own that changes in place. The
// handler gets a tick each second while its timer runs and every key as input; Enter closes the
// box as OK. Returns the id the box closed with. Without terminal input the keys never come,
// and a box whose timer was stopped closes as OK.
int RunTimedBox(const std::string& text, TimedBoxHandler& handler);

}  // namespace platform::ui::tty
