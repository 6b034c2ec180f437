// The file-open dialog on a terminal.
#pragma once

#include <string>

#include "platform/ui/ui.h"

namespace platform::ui::tty {

// Asks for a file name on standard error, proposing `request.initialFile`, which an empty answer
// takes; "~/" stands for the home folder. A folder, or (with OFN_FILEMUSTEXIST) a name that
// does not exist, is refused and asked for again. On success stores the absolute path and
// returns true; returns false at the end of input or when there is no terminal input.
bool PromptForFile(const OpenFileRequest& request, std::string* path);

}  // namespace platform::ui::tty
