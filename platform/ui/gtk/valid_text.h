// Texts handed to GTK must be UTF-8. Status lines carry listings data and alerts carry file
// names, so a text is checked first and broken sequences become U+FFFD.
#pragma once

#include <string>

namespace platform::ui::gtk {

// Returns `text` unchanged when it is valid UTF-8 without NUL bytes, else its repaired copy.
std::string ValidUtf8(const std::string& text);

}  // namespace platform::ui::gtk
